#include "cli/ChipCommands.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

#include "chip/ChipOperations.h"
#include "chip/ChipReads.h"
#include "chip/ChipSession.h"
#include "chip/ChipTable.h"
#include "chip/ConfigReadout.h"
#include "chip/IdWords.h"
#include "chip/ProgrammingAlgorithm.h"
#include "cli/ConfigDescription.h"
#include "cli/ResultTexts.h"
#include "cli/TerminalProgress.h"
#include "image/Calibration.h"
#include "image/Checksum.h"
#include "image/ConfigWordPanel.h"
#include "image/IntelHex.h"

namespace {

constexpr int NoCalibration = 0xFF;

std::string Hex(int value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

int Digits(const ChipInfo& chip) {
    return chip.family.Is14Bit() ? 4 : 3;
}

std::string CalibrationText(int value) {
    return value == NoCalibration ? "no calibration value"
                                  : "calibration " + CalibrationByte(value);
}

int ReadCalibrationValue(CommandContext& context) {
    const ChipInfo& chip = context.chip;
    return ReadCalibrationFromChip(context.board, chip.family, chip.calibrationAddress,
                                   context.progress.For("Calibration")) &
           0xFF;
}

struct Comparison {
    bool codeProtected = false;
    std::vector<std::string> lines;  // one per difference
    int differences = 0;
    int calibration = NoCalibration;  // the calibration word's low byte, read with the rest
    std::uint16_t checksum = 0;       // the chip's, from every program word read
    std::vector<std::uint16_t> ids;
};

// The program words 0 to the file's last used word, the ID words when the file has any, and the
// configuration word, as read; on a protected chip the program words read back as zeros, so only
// the ID words and the configuration word.
Comparison CompareWords(const ChipInfo& chip, const std::vector<std::uint32_t>& image,
                        const ConfigAndIdWords& onChip) {
    const ChipFamily& family = chip.family;
    Comparison comparison;
    const bool withIds = HasIdWords(chip, image.data());
    const int count = LastUsedWord(chip, image) + 1;
    const std::uint16_t chipConfig = onChip.config;
    comparison.calibration = onChip.calibration & 0xFF;
    comparison.codeProtected = IsCodeProtected(family.Is14Bit(), chipConfig);
    comparison.checksum = ChipChecksum(chip, onChip.words, chipConfig, onChip.ids);
    comparison.ids = onChip.ids;
    auto differ = [&](int address, std::uint16_t onChip, std::uint16_t inFile) {
        ++comparison.differences;
        if (comparison.differences <= ListedDifferences) {
            comparison.lines.push_back(Hex(address, 4) + ": chip " +
                                       Hex(onChip & family.wordMask, Digits(chip)) + ", file " +
                                       Hex(inFile & family.wordMask, Digits(chip)));
        }
    };
    for (int k = 0; k < count && !comparison.codeProtected; ++k) {
        const std::uint16_t expected = family.Forced(image[static_cast<std::size_t>(k)]);
        const std::uint16_t word = onChip.words[static_cast<std::size_t>(k)];
        if (word != expected) {
            differ(k, word, expected);
        }
    }
    if (withIds) {
        for (const WordMismatch& mismatch : IdWordDifferences(chip, image.data(), onChip.ids)) {
            differ(mismatch.address, mismatch.chip, mismatch.expected);
        }
    }
    const auto configSlot = static_cast<std::size_t>(family.configAddress);
    const std::uint16_t fileConfig = static_cast<std::uint16_t>(image[configSlot]);
    if ((chipConfig & family.wordMask) != (fileConfig & family.wordMask)) {
        differ(family.configAddress, chipConfig, fileConfig);
    }
    if (comparison.differences > ListedDifferences) {
        comparison.lines.push_back(
            "... and " + std::to_string(comparison.differences - ListedDifferences) + " more");
    }
    return comparison;
}

// The configuration word, the program words and the ID words in one power-up a pass. After
// programming, `calibration` is the value the chip should hold: a first pass that reads the file
// and that value is the answer (AgreedRead.h); a verify reads twice.
Comparison Compare(CommandContext& context, const std::vector<std::uint32_t>& image,
                   std::optional<int> calibration = std::nullopt) {
    const ChipInfo& chip = context.chip;
    std::function<bool(const ConfigAndIdWords&)> expected;
    if (calibration) {
        expected = [&](const ConfigAndIdWords& pass) {
            const Comparison comparison = CompareWords(chip, image, pass);
            return comparison.differences == 0 &&
                   (comparison.codeProtected || comparison.calibration == *calibration);
        };
    }
    // Every program word, not only the file's: the chip's checksum counts them all.
    const int count = chip.calibrationAddress;
    return CompareWords(chip, image,
                        ReadConfigAndIdWords(context.board, chip, count,
                                             context.progress.For("Verifying"), expected));
}

std::string DifferenceSummary(const Comparison& comparison) {
    std::string text = comparison.differences == 0
                           ? std::string("chip and file equal")
                           : CountOf(comparison.differences) +
                                 (comparison.differences == 1 ? " differs" : " differ");
    if (comparison.codeProtected) {
        text +=
            " (code-protected chip: its configuration word and ID words compared; the "
            "program words were compared before it was protected)";
    }
    return text;
}

// A protected chip's program words and calibration instruction read as zeros.
constexpr char ProtectedWords[] =
    "the chip is code-protected: its program words read as zeros and its calibration value "
    "cannot be read";

}  // namespace

ChipOutcome ReadChipCommand(CommandContext& context) {
    const ChipInfo& chip = context.chip;
    std::vector<std::uint32_t> image(ImageSlots, 0xFFFF);
    const std::vector<std::uint16_t> words = ReadProgramWords(
        context.board, chip.family, chip.memoryWords, context.progress.For("Reading"));
    std::copy(words.begin(), words.end(), image.begin());
    ReadIdWords(context.board, chip, image.data());
    image[static_cast<std::size_t>(chip.configAddress)] =
        ReadConfigWordFromChip(context.board, chip.family);
    ChipOutcome outcome;
    // A protected chip has a checksum too: the maker's rule counts its hidden words as the zeros
    // they read as.
    outcome.checksum = ImageChecksum(chip, image.data());
    for (int k = 0; k < IdWordCount; ++k) {
        outcome.ids.push_back(
            static_cast<std::uint16_t>(image[static_cast<std::size_t>(chip.idAddress + k)]));
    }
    const auto config =
        static_cast<std::uint16_t>(image[static_cast<std::size_t>(chip.configAddress)]);
    if (IsCodeProtected(chip.family.Is14Bit(), config)) {
        // Every program word reads as zero, the calibration instruction too: a file of them is
        // no copy of the chip, and a zero would pass for a calibration value.
        outcome.passed = false;
        outcome.summary = "read " + std::string(chip.name) + ": " + ProtectedWords + "; ";
        if (context.options.force) {
            outcome.data = ChipHexText(chip, image);
            outcome.summary += "the words are written as read, as --force says";
        } else {
            outcome.summary += "nothing written (--force writes the words as read)";
        }
        return outcome;
    }
    outcome.data = ChipHexText(chip, image);
    const int calibration =
        static_cast<int>(image[static_cast<std::size_t>(chip.calibrationAddress)] & 0xFF);
    const int lastUsed = LastUsedWord(chip, image);
    outcome.summary = "read " + std::string(chip.name) + ": size " + CountOf(lastUsed + 1) +
                      " (last used " + Hex(lastUsed, 3) + "), " + CalibrationText(calibration);
    return outcome;
}

ChipOutcome BlankCommand(CommandContext& context) {
    return BlankCheck(context, true);
}

ChipOutcome BlankCheck(CommandContext& context, bool readTwice) {
    const ChipInfo& chip = context.chip;
    const Progress progress = context.progress.For("Blank check");
    const BlankCheckResult result =
        readTwice ? BlankCheckChip(context.board, chip.family, chip.calibrationAddress, progress)
                  : RunOnChip(context.board, chip.family, StartAt::AddressZero, [&] {
                        return BlankCheckWords(context.board, chip.family, chip.calibrationAddress,
                                               progress);
                    });
    ChipOutcome outcome;
    outcome.passed = result.nonBlankWords == 0;
    // Zeros everywhere may be a protected chip, whose calibration byte would read as 00.
    context.chipProtected =
        !outcome.passed && chip.family.Protects(ReadConfigWordFromChip(context.board, chip.family));
    if (*context.chipProtected) {
        outcome.summary = std::string("not blank: ") + ProtectedWords;
        return outcome;
    }
    context.calibrationOnChip = result.calibrationWord & 0xFF;
    outcome.summary =
        (outcome.passed ? std::string("blank")
                        : "not blank: " + CountOf(result.nonBlankWords) + " programmed") +
        ", " + CalibrationText(result.calibrationWord & 0xFF);
    // Every chip leaves the factory with its calibration instruction: nothing at all programmed is
    // what an empty socket reads as.
    if (outcome.passed && (result.calibrationWord & 0xFF) == NoCalibration) {
        outcome.summary += ": is a chip in the socket?";
    }
    return outcome;
}

ChipOutcome VerifyCommand(CommandContext& context) {
    const Comparison comparison = Compare(context, context.file.image);
    ChipOutcome outcome;
    outcome.details = comparison.lines;
    if (comparison.codeProtected) {
        // What can be read may be the file's; the program itself cannot be seen to be.
        outcome.passed = false;
        const bool withIds = HasIdWords(context.chip, context.file.image.data());
        outcome.summary =
            "not verified: the chip is code-protected: its program words and calibration value "
            "cannot be read; its configuration word" +
            std::string(withIds ? " and ID words" : "") +
            (comparison.differences == 0
                 ? std::string(withIds ? " are" : " is") + " the file's"
                 : ": " + CountOf(comparison.differences) +
                       (comparison.differences == 1 ? " differs" : " differ"));
        return outcome;
    }
    outcome.passed = comparison.differences == 0;
    outcome.summary =
        (outcome.passed ? "verified: " : "verify failed: ") + DifferenceSummary(comparison);
    outcome.checksum = comparison.checksum;
    outcome.ids = comparison.ids;
    outcome.differences = comparison.differences;
    return outcome;
}

ChipOutcome ProgramCommand(CommandContext& context) {
    const ChipInfo& chip = context.chip;
    std::vector<std::uint32_t> image = context.file.image;
    const auto calibrationSlot = static_cast<std::size_t>(chip.calibrationAddress);
    const auto configSlot = static_cast<std::size_t>(chip.family.configAddress);
    ChipOutcome outcome;

    // Nothing programmed on a protected chip could be checked, and its calibration value cannot
    // be read to be kept.
    if (!context.chipProtected) {
        context.chipProtected =
            chip.family.Protects(ReadConfigWordFromChip(context.board, chip.family));
    }
    if (*context.chipProtected) {
        outcome.passed = false;
        outcome.summary = std::string("not programmed: ") + ProtectedWords;
        return outcome;
    }

    // As Automatic does: a chip that holds a calibration value keeps it.
    const int onChip =
        context.calibrationOnChip ? *context.calibrationOnChip : ReadCalibrationValue(context);
    const bool keepCalibration = onChip != NoCalibration;
    int calibration = onChip;
    if (keepCalibration) {
        if (context.options.calibration) {
            context.warn("the chip holds calibration value " + CalibrationByte(onChip) +
                         " and keeps it; --calibration is not used");
        }
    } else if (context.options.calibration) {
        calibration = *context.options.calibration;
        const auto instruction = CalibrationInstruction(chip.chipType, calibration);
        image[static_cast<std::size_t>(instruction->address)] = instruction->word;
    } else if ((image[calibrationSlot] & 0xFF) != NoCalibration) {
        calibration = static_cast<int>(image[calibrationSlot] & 0xFF);
    } else if (UsesInternalOscillator(chip.family, static_cast<std::uint16_t>(image[configSlot]))) {
        outcome.passed = false;
        outcome.summary =
            "not programmed: the chip holds no calibration value, the file gives "
            "none, and its configuration word selects the internal RC oscillator; "
            "give the value with --calibration XX";
        return outcome;
    }

    context.programmingStarted = true;
    const ProgramResult result = ProgramChip(
        context.board, chip, context.options.fast ? Algorithm::Fast : Algorithm::Classic,
        image.data(), keepCalibration, true, context.progress.For("Programming"));
    const Comparison comparison = Compare(context, image, calibration);

    outcome.passed = result.errors == 0 && comparison.differences == 0;
    outcome.details = comparison.lines;
    outcome.checksum = comparison.checksum;
    outcome.ids = comparison.ids;
    outcome.differences = comparison.differences;
    outcome.calibration = calibration;
    outcome.summary = std::string(outcome.passed ? "programmed" : "programming failed") + ", " +
                      CalibrationText(calibration) + ", " + CountOf(result.errors, "error");
    if (result.configurationFailed) {
        outcome.summary += " (the configuration word among them)";
    }
    if (result.protectionWithheld) {
        outcome.summary +=
            "; not code-protected: the chip is not the file, so its configuration word was left "
            "blank and the chip can still be read";
    }
    if (comparison.differences > 0 || comparison.codeProtected) {
        outcome.summary += "; " + DifferenceSummary(comparison);
    }
    // The value this line names, as the compare read it (twice unless it read as expected; a
    // protected chip hides it, and auto then read it twice in its blank check).
    if (!comparison.codeProtected && comparison.calibration != calibration) {
        outcome.passed = false;
        outcome.summary = "programming failed, " + CalibrationText(calibration) + " expected, " +
                          CalibrationText(comparison.calibration) + " read back";
    }
    return outcome;
}

ChipOutcome AutoCommand(CommandContext& context) {
    // auto reports no "blank": a chip that a glitch let through fails the compare after
    // programming, and the calibration value it names is read again there, twice. Only a file
    // whose configuration word will hide the chip's words needs the blank check read twice.
    const ChipFamily& family = context.chip.family;
    const auto fileConfig = static_cast<std::uint16_t>(
        context.file.image[static_cast<std::size_t>(family.configAddress)]);
    const bool hidden = IsCodeProtected(family.Is14Bit(), fileConfig);
    ChipOutcome blank = BlankCheck(context, hidden);
    // What would refuse the chip, or decide that it holds no calibration value, is a result of
    // its own: read again, twice, before it is said.
    if (!hidden && (!blank.passed || context.calibrationOnChip == NoCalibration)) {
        blank = BlankCheck(context, true);
    }
    if (context.chipProtected.value_or(false)) {
        blank.summary = "refused: " + blank.summary;
        return blank;
    }
    if (!blank.passed && !context.options.allowNonblank) {
        blank.summary = "refused: " + blank.summary + " (--allow-nonblank programs it anyway)";
        return blank;
    }
    return ProgramCommand(context);
}

ChipOutcome ConfigCommand(CommandContext& context) {
    const ChipFamily& family = context.chip.family;
    const std::vector<std::string> lines =
        DescribeConfigWord(family, ReadConfigWordFromChip(context.board, family));
    ChipOutcome outcome;
    outcome.summary = lines.front();
    outcome.details.assign(lines.begin() + 1, lines.end());
    return outcome;
}

ChipOutcome OsccalCommand(CommandContext& context) {
    ChipOutcome outcome;
    const ChipFamily& family = context.chip.family;
    if (IsCodeProtected(family.Is14Bit(), ReadConfigWordFromChip(context.board, family))) {
        // Its calibration instruction reads as zero, which would pass for a value.
        outcome.passed = false;
        outcome.summary = "the chip is code-protected: its calibration value cannot be read";
        return outcome;
    }
    const int value = ReadCalibrationValue(context);
    outcome.summary = CalibrationText(value);
    if (value != NoCalibration) {
        outcome.value = CalibrationByte(value);
    }
    return outcome;
}
