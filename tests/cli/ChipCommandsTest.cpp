#include <QFile>
#include <map>
#include <regex>
#include <vector>

#include "chip/ChipTable.h"
#include "chip/IdWords.h"
#include "chip/Interruption.h"
#include "cli/ExitStatus.h"
#include "cli/HexFile.h"
#include "image/Checksum.h"
#include "image/IntelHex.h"
#include "tests/cli/CliFixture.h"

namespace {

const char* const BlinkFiles[] = {"", "blink508.hex", "blink509.hex", "blink671.hex",
                                  "blink672.hex"};

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Every command on the simulated board with chipsmith-sim's socket, one chip type per test.
class CliChipTest : public CliFixture, public ::testing::WithParamInterface<int> {
protected:
    int Type() const { return GetParam(); }
    std::string File() const { return Data(BlinkFiles[Type()]); }
    std::uint16_t Erased() const { return Type() >= 3 ? 0x3FFF : 0x0FFF; }
    // The file's checksum as the maker's rule gives it, "0x1A2B".
    std::string FileChecksum() const {
        return ChecksumText(ImageChecksum(
            *FindChip(Type()), LoadHexFile(QString::fromStdString(File())).image.data()));
    }
};

TEST_P(CliChipTest, AutoThenVerifyReadBlankConfigAndOsccal) {
    Socket(SimulatedChip::Factory(Type(), 0x5A));
    const LoadedImage file = LoadHexFile(QString::fromStdString(File()));
    ASSERT_TRUE(file.error.isEmpty());

    const Run programmed = Cli({"--port", "sim", "auto", File().c_str()});
    EXPECT_EQ(programmed.status, ExitStatus::Done) << programmed.err;
    // The result, then the chip's checksum, which is the file's.
    const std::string sums = "  checksum " + FileChecksum() + ", the file's " + FileChecksum();
    EXPECT_EQ(programmed.out.rfind("programmed, calibration 5A, 0 errors\n" + sums, 0), 0u)
        << programmed.out;
    const SimulatedChip chip = SocketChip();
    EXPECT_EQ(chip.Word(0), file.image[0] & Erased()) << "saved back into the socket";
    EXPECT_EQ(chip.CalibrationWord() & 0xFF, 0x5A) << "the factory value kept";

    const Run verified = Cli({"--port", "sim", "verify", File().c_str()});
    EXPECT_EQ(verified.out.rfind("verified: chip and file equal\n" + sums, 0), 0u) << verified.out;

    // Read back as an assembler writes: masked words, blanks left out, configuration included.
    const Run read = Cli({"--port", "sim", "read", Path("out.hex").c_str()});
    EXPECT_EQ(read.status, ExitStatus::Done) << read.err;
    const LoadedImage back = LoadHexFile(folder.filePath(QStringLiteral("out.hex")));
    ASSERT_TRUE(back.error.isEmpty()) << back.error.toStdString();
    EXPECT_EQ(back.inferredChip, Type()) << "the window infers the same chip from it";
    const auto calibrationSlot = static_cast<std::size_t>(FindChip(Type())->calibrationAddress);
    for (std::size_t k = 0; k < 0x2000; ++k) {
        std::uint32_t expected = file.image[k] == 0xFFFF ? 0xFFFF : file.image[k] & Erased();
        if (k == calibrationSlot) {
            expected = chip.CalibrationWord();
        }
        ASSERT_EQ(back.image[k], expected) << "slot " << k;
    }
    // The ID words (__idlocs) were programmed with the program and come back with it.
    for (int k = 0; k < IdWordCount; ++k) {
        const auto slot = static_cast<std::size_t>(FindChip(Type())->idAddress + k);
        EXPECT_EQ(back.image[slot],
                  file.image[slot] == 0xFFFF ? 0xFFFF : file.image[slot] & Erased())
            << "ID word " << k;
    }
    const std::size_t configSlot = Type() >= 3 ? 0x2007 : 0xFFF;
    EXPECT_EQ(back.image[configSlot], file.image[configSlot] & Erased());

    const Run blank = Cli({"--port", "sim", "blank"});
    EXPECT_EQ(blank.status, ExitStatus::ChipFailed);
    EXPECT_TRUE(Has(blank.out, "not blank: ")) << blank.out;
    const Run again = Cli({"--port", "sim", "auto", File().c_str()});
    EXPECT_EQ(again.status, ExitStatus::ChipFailed);
    EXPECT_TRUE(Has(again.out, "refused: not blank")) << again.out;

    const Run config = Cli({"--port", "sim", "config"});
    EXPECT_EQ(config.status, ExitStatus::Done);
    EXPECT_TRUE(Has(config.out, "configuration word 0x")) << config.out;
    EXPECT_TRUE(Has(config.out, "  watchdog timer: ")) << config.out;
    EXPECT_EQ(Has(config.out, "power-up timer"), Type() >= 3) << config.out;
    EXPECT_EQ(Cli({"--port", "sim", "osccal"}).out, "calibration 5A\n");
}

TEST_P(CliChipTest, VerifyListsTwentyDifferencesThenCountsTheRest) {
    SimulatedChip chip = SimulatedChip::Factory(Type(), 0x5A);
    Socket(chip);
    ASSERT_EQ(Cli({"--port", "sim", "program", File().c_str()}).status, ExitStatus::Done);
    chip = SocketChip();
    for (int k = 0; k < 25; ++k) {
        chip.SetWord(k, static_cast<std::uint16_t>(chip.Word(k) ^ 0x001));
    }
    Socket(chip);
    const Run run = Cli({"--port", "sim", "verify", File().c_str()});
    EXPECT_EQ(run.status, ExitStatus::ChipFailed);
    EXPECT_TRUE(Has(run.out, "verify failed: 25 words differ\n")) << run.out;
    EXPECT_TRUE(Has(run.out, "  0x0000: chip 0x")) << run.out;
    EXPECT_TRUE(Has(run.out, "  ... and 5 more\n")) << run.out;
    EXPECT_FALSE(Has(run.out, "0x0014:")) << "the 21st is counted, not listed";
}

TEST_P(CliChipTest, TheCalibrationValueIsKeptGivenOrRequired) {
    // A chip without a value: a program for the internal RC oscillator (every blink file but the
    // 12C509's, which runs on a crystal) is refused without one.
    const bool internalRc = Type() != 2;
    Socket(SimulatedChip(Type()));
    const Run without = Cli({"--port", "sim", "program", File().c_str()});
    if (internalRc) {
        EXPECT_EQ(without.status, ExitStatus::ChipFailed);
        EXPECT_TRUE(Has(without.out, "give the value with --calibration XX")) << without.out;
        EXPECT_EQ(SocketChip().Word(0), Erased()) << "nothing programmed";
    } else {
        EXPECT_EQ(without.status, ExitStatus::Done) << without.out;
        EXPECT_TRUE(Has(without.out, "programmed, no calibration value")) << without.out;
        Socket(SimulatedChip(Type()));
    }
    // Given on the command line, it is programmed as the calibration instruction.
    const Run given = Cli({"--port", "sim", "--calibration", "3c", "program", File().c_str()});
    EXPECT_EQ(given.status, ExitStatus::Done) << given.out << given.err;
    EXPECT_EQ(SocketChip().CalibrationWord(), Type() >= 3 ? 0x343C : 0x0C3C);  // RETLW, MOVLW
    // A chip that holds a value keeps it, whatever the command line says.
    Socket(SimulatedChip::Factory(Type(), 0x5A));
    const Run kept = Cli({"--port", "sim", "--calibration", "3c", "program", File().c_str()});
    EXPECT_EQ(kept.status, ExitStatus::Done);
    EXPECT_TRUE(Has(kept.err, "keeps it; --calibration is not used")) << kept.err;
    EXPECT_EQ(SocketChip().CalibrationWord() & 0xFF, 0x5A);
}

TEST_P(CliChipTest, FastAutoEndsWithAVerifiedChip) {
    Socket(SimulatedChip::Factory(Type(), 0x5A));
    const Run run = Cli({"--port", "sim", "--fast", "auto", File().c_str()});
    EXPECT_EQ(run.status, ExitStatus::Done) << run.out << run.err;
    EXPECT_EQ(
        run.out.rfind("programmed, calibration 5A, 0 errors\n  checksum " + FileChecksum(), 0), 0u)
        << run.out;
    EXPECT_EQ(Cli({"--port", "sim", "verify", File().c_str()}).status, ExitStatus::Done);
}

// A protected chip's program words and calibration value read as zeros: no file of them is
// written unless asked for, and the read fails.
TEST_P(CliChipTest, AProtectedChipIsNotReadAsZeros) {
    SimulatedChip chip = SimulatedChip::Factory(Type(), 0x5A);
    chip.SetConfigWord(0x0000);
    ASSERT_TRUE(chip.CodeProtected());
    for (const bool force : {false, true}) {
        Socket(chip);
        std::vector<std::string> arguments{"--port", "sim", "read", Path("out.hex")};
        if (force) {
            arguments.insert(arguments.begin(), "--force");
        }
        const Run run = Cli(arguments);
        EXPECT_EQ(run.status, ExitStatus::ChipFailed);
        EXPECT_TRUE(Has(run.out,
                        "the chip is code-protected: its program words read as zeros and "
                        "its calibration value cannot be read"))
            << run.out;
        EXPECT_FALSE(Has(run.out, "calibration 0")) << run.out;
        EXPECT_EQ(QFile::exists(folder.filePath(QStringLiteral("out.hex"))), force);
    }
    const Run osccal = Cli({"--port", "sim", "osccal"});
    EXPECT_EQ(osccal.status, ExitStatus::ChipFailed);
    EXPECT_EQ(osccal.out, "the chip is code-protected: its calibration value cannot be read\n");
}

// A file that protects the chip: protected only over the file's words; a protected chip's program
// words are never said to be verified, and its zeros never pass for a calibration value.
TEST_P(CliChipTest, AProtectingFileAndAProtectedChip) {
    LoadedImage file = LoadHexFile(QString::fromStdString(File()));
    const ChipInfo& info = *FindChip(Type());
    auto& config = file.image[static_cast<std::size_t>(info.configAddress)];
    config &= ~static_cast<std::uint32_t>(info.family.protectionBits);
    const std::string protecting = Path("protecting.hex");
    QFile out(QString::fromStdString(protecting));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(ChipHexText(info, file.image));
    out.close();

    // A chip whose word 0 already lost bits the file's word needs.
    SimulatedChip spoilt = SimulatedChip::Factory(Type(), 0x5A);
    ASSERT_NE(file.image[0] & Erased(), 0u);
    spoilt.SetWord(0, 0);
    Socket(spoilt);
    const Run withheld = Cli({"--port", "sim", "program", protecting.c_str()});
    EXPECT_EQ(withheld.status, ExitStatus::ChipFailed);
    EXPECT_TRUE(Has(withheld.out,
                    "programming failed, calibration 5A, 1 error; not code-protected: the chip "
                    "is not the file, so its configuration word was left blank and the chip can "
                    "still be read"))
        << withheld.out;
    EXPECT_FALSE(SocketChip().CodeProtected());

    Socket(SimulatedChip::Factory(Type(), 0x5A));
    const Run programmed = Cli({"--port", "sim", "auto", protecting.c_str()});
    EXPECT_EQ(programmed.status, ExitStatus::Done) << programmed.out;
    EXPECT_TRUE(SocketChip().CodeProtected());
    const bool ids = HasIdWords(info, file.image.data());
    const std::string readable = ids ? "configuration word and ID words" : "configuration word";
    const struct {
        std::vector<std::string> arguments;
        std::string out;
    } rows[] = {
        {{"verify", protecting},
         "not verified: the chip is code-protected: its program words and calibration value "
         "cannot be read; its " +
             readable + (ids ? " are" : " is") + " the file's\n"},
        {{"verify", File()}, "its " + readable + ": 1 word differs\n"},
        {{"-c", FindChip(Type())->name, "blank"},
         "not blank: the chip is code-protected: its program words read as zeros and its "
         "calibration value cannot be read\n"},
        // Nothing programmed on it could be checked.
        {{"program", protecting}, "not programmed: the chip is code-protected"},
        {{"--allow-nonblank", "auto", protecting},
         "refused: not blank: the chip is code-protected"},
    };
    for (const auto& row : rows) {
        std::vector<std::string> arguments{"--port", "sim"};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        const Run run = Cli(arguments);
        SCOPED_TRACE(row.arguments.front());
        EXPECT_EQ(run.status, ExitStatus::ChipFailed);
        EXPECT_TRUE(Has(run.out, row.out)) << run.out;
        EXPECT_FALSE(Has(run.out, "calibration 00")) << run.out;
        EXPECT_FALSE(Has(run.out, "--allow-nonblank")) << run.out;
    }
}

INSTANTIATE_TEST_SUITE_P(AllChips, CliChipTest, ::testing::Values(1, 2, 3, 4));

using CliBatchTest = CliFixture;

TEST_F(CliBatchTest, RepeatReportsEachChipAndTalliesUntilQ) {
    Socket(SimulatedChip::Factory(1, 0x21));
    const std::string file = Data("blink508.hex");
    // The second chip is the first one again, now programmed: auto refuses it.
    const Run run = Cli({"--port", "sim", "--repeat", "auto", file.c_str()}, "\nq\n");
    EXPECT_EQ(run.status, ExitStatus::ChipFailed);
    EXPECT_TRUE(Has(run.out, "chip 1: programmed, calibration 21, 0 errors\n")) << run.out;
    EXPECT_TRUE(Has(run.out, "chip 2: refused: not blank")) << run.out;
    EXPECT_TRUE(Has(run.out, "1 programmed, 1 failed\n")) << run.out;
    EXPECT_TRUE(Has(run.err, "Put the next chip in the socket and press Enter (q to stop)"));

    // The end of the input ends the batch as q does.
    Socket(SimulatedChip::Factory(1, 0x21));
    const Run ended = Cli({"--port", "sim", "--repeat", "auto", file.c_str()}, "");
    EXPECT_EQ(ended.status, ExitStatus::Done);
    EXPECT_TRUE(Has(ended.out, "1 programmed, 0 failed\n")) << ended.out;
}

// A signal in the middle of programming: the word in hand is finished, the board powered down,
// the partly programmed chip saved, and the command ends with 130.
TEST_F(CliBatchTest, AnInterruptedProgramPowersDownAndSaysWhereItStopped) {
    Socket(SimulatedChip::Factory(4, 0x5A));
    // A 12C672 file with every usable word in use, so that programming takes a while.
    std::vector<std::uint32_t> image(ImageSlots, 0xFFFF);
    for (std::size_t k = 0; k < 2047; ++k) {
        image[k] = 0x2800 | (k & 0xFF);
    }
    image[0x2007] = 0x3FE4;
    std::vector<char> text(HexTextCapacity);
    QFile full(folder.filePath(QStringLiteral("full672.hex")));
    ASSERT_TRUE(full.open(QIODevice::WriteOnly));
    full.write(text.data(), WriteIntelHex(0x2007, image.data(), text.data()));
    full.close();
    onTick = [](std::int64_t now) {
        if (now > 600'000'000) {  // well into programming the 12C672's words
            RequestStop();
        }
    };
    const Run run = Cli({"--port", "sim", "--trace", Path("stop.vcd").c_str(), "auto",
                         Path("full672.hex").c_str()});
    onTick = nullptr;
    ClearStopRequest();
    EXPECT_EQ(run.status, ExitStatus::Interrupted);
    EXPECT_TRUE(std::regex_search(run.err, std::regex("interrupted at word 0x[0-9A-F]+: the chip "
                                                      "is partly programmed")))
        << run.err;
    const SimulatedChip chip = SocketChip();
    EXPECT_EQ(chip.Word(0), 0x2800) << "the first words were programmed and saved";
    EXPECT_EQ(chip.Word(2046), 0x3FFF) << "the last ones not";
    EXPECT_EQ(chip.ConfigWord(), 0x3FFF) << "the configuration word was never reached";

    // The trace ends with both supplies off.
    QFile trace(folder.filePath(QStringLiteral("stop.vcd")));
    ASSERT_TRUE(trace.open(QIODevice::ReadOnly));
    const std::string vcd = trace.readAll().toStdString();
    EXPECT_EQ(vcd.rfind("0a\n"), vcd.rfind("a\n") - 1) << "switch A last went to 0";
    EXPECT_EQ(vcd.rfind("0b\n"), vcd.rfind("b\n") - 1) << "switch B last went to 0";
}

}  // namespace
