#include "cli/DryRun.h"

#include <cstdio>
#include <string>

#include "chip/ChipTable.h"
#include "cli/ConfigDescription.h"
#include "cli/ExitStatus.h"
#include "cli/ResultTexts.h"
#include "image/ImageFit.h"
#include "image/IntelHex.h"

namespace {

constexpr std::uint32_t Blank = 0xFFFF;
constexpr int NoCalibration = 0xFF;

std::string Hex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, static_cast<unsigned>(value));
    return text;
}

class Plan {
public:
    Plan(const CliOptions& options, const LoadedImage& file, std::ostream& out, std::ostream& err)
        : options_(options), file_(file), out_(out), err_(err) {}

    int Print();

private:
    int Refuse(const std::string& why) {
        err_ << "chipsmith-cli: dry run: " << why << '\n' << std::flush;
        return ExitStatus::Usage;
    }
    std::uint32_t Slot(int address) const { return file_.image[static_cast<std::size_t>(address)]; }
    int Digits() const { return chip_->family.Is14Bit() ? 4 : 3; }
    std::string ChosenChip() const;
    void ProgramWords() const;
    void ComparedWords() const;
    void ConfigurationWord() const;
    void IdWords() const;
    void CalibrationRule() const;

    const CliOptions& options_;
    const LoadedImage& file_;
    std::ostream& out_;
    std::ostream& err_;
    const ChipInfo* chip_ = nullptr;
};

std::string Plan::ChosenChip() const {
    std::string how = "inferred from the file";
    if (options_.chipType != 0) {
        how = "as --chip says";
        if (file_.inferredChip != 0 && file_.inferredChip != options_.chipType) {
            how += "; the file looks like one for the " +
                   ChipOptionName(file_.inferredChip).toStdString();
        }
    }
    return "chip: " + std::string(chip_->name) + ", " + how;
}

// What the programming walk writes: every program word the file gives below the calibration
// word, which the calibration rule decides.
void Plan::ProgramWords() const {
    int count = 0;
    int first = -1;
    int last = -1;
    for (int address = 0; address < chip_->calibrationAddress; ++address) {
        if (!chip_->family.IsBlankForProgramming(Slot(address))) {
            ++count;
            first = first < 0 ? address : first;
            last = address;
        }
    }
    out_ << "program words: "
         << (count == 0 ? std::string("none")
                        : CountOf(count) + ", " + Hex(first, 3) + " to " + Hex(last, 3))
         << '\n';
}

// As verify compares: from word 0 to the file's last used word, then the ID words and the
// configuration word.
void Plan::ComparedWords() const {
    const int last = LastUsedWord(*chip_, file_.image);
    out_ << "compared: program words 0x000 to " << Hex(last, 3) << " (" << CountOf(last + 1)
         << "), the ID words the file has and the configuration word; on a code-protected chip "
            "the ID words and the configuration word only\n";
}

void Plan::ConfigurationWord() const {
    const std::uint32_t word = Slot(chip_->configAddress);
    if (word == Blank) {
        out_ << "configuration word: none in the file; the chip's stays as it is\n";
        return;
    }
    const std::vector<std::string> lines =
        DescribeConfigWord(chip_->family, static_cast<std::uint16_t>(word));
    out_ << lines.front() << '\n';
    for (std::size_t k = 1; k < lines.size(); ++k) {
        out_ << "  " << lines[k] << '\n';
    }
}

void Plan::IdWords() const {
    std::string words;
    bool any = false;
    for (int k = 0; k < IdWordCount; ++k) {
        const std::uint32_t word = Slot(chip_->idAddress + k);
        any = any || word != Blank;
        words += (k == 0 ? "" : ", ") + Hex(word & chip_->family.wordMask, Digits());
    }
    out_ << "ID words: " << (any ? words : std::string("none in the file")) << '\n';
}

// ProgramCommand's rule, in the order it applies it.
void Plan::CalibrationRule() const {
    const int inFile = static_cast<int>(Slot(chip_->calibrationAddress) & 0xFF);
    std::string otherwise;
    if (options_.calibration) {
        otherwise = CalibrationByte(*options_.calibration) + " from --calibration";
    } else if (inFile != NoCalibration) {
        otherwise = CalibrationByte(inFile) + " from the file";
    } else if (UsesInternalOscillator(chip_->family,
                                      static_cast<std::uint16_t>(Slot(chip_->configAddress)))) {
        otherwise =
            "refused: the file gives no value and its configuration word selects the internal "
            "RC oscillator (give --calibration XX)";
    } else {
        otherwise = "none (the file gives none, and its oscillator needs none)";
    }
    out_ << "calibration: the chip's own value when it holds one; otherwise " << otherwise << '\n';
}

int Plan::Print() {
    const int chipType = options_.chipType != 0 ? options_.chipType : file_.inferredChip;
    if (chipType == 0) {
        return Refuse(
            "its last word is no configuration word, so the chip it is for cannot be told; give "
            "--chip");
    }
    chip_ = options_.chip != nullptr && options_.chip->chipType == chipType ? options_.chip
                                                                            : FindChip(chipType);
    const bool verify = options_.command == Command::Verify;
    const ImageFit fit = CheckImageFit(*chip_, file_.image.data());
    if (!verify && !fit.Fits() && !options_.force) {
        return Refuse("would be refused: " + DescribeImageFit(*chip_, fit) +
                      " --force programs it anyway.");
    }
    out_ << "dry run of "
         << (verify                              ? "verify"
             : options_.command == Command::Auto ? "auto"
                                                 : "program")
         << ": no port touched\n"
         << ChosenChip() << '\n';
    if (verify) {
        ComparedWords();
    } else {
        ProgramWords();
    }
    ConfigurationWord();
    IdWords();
    if (!verify) {
        if (chip_->family.Protects(Slot(chip_->configAddress))) {
            out_ << "the configuration word last, once the chip reads back as the file; "
                    "otherwise it is left blank and the chip readable\n";
        }
        CalibrationRule();
        if (!fit.Fits()) {
            out_ << "warning: " << DescribeImageFit(*chip_, fit)
                 << " (programmed anyway: --force)\n";
        }
    }
    if (options_.command == Command::Auto) {
        out_ << (options_.allowNonblank
                     ? "blank check first; a chip that is not blank is programmed anyway\n"
                     : "blank check first; a chip that is not blank is refused\n");
    }
    out_ << std::flush;
    return ExitStatus::Done;
}

}  // namespace

int DryRun(const CliOptions& options, const LoadedImage& file, std::ostream& out,
           std::ostream& err) {
    return Plan(options, file, out, err).Print();
}
