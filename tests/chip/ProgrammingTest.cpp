#include <iterator>

#include "tests/chip/ChipOpsFixture.h"

namespace {

class ProgrammingTest : public ChipOpsTest {
protected:
    // Programm as the handler runs it: power-up, then the family's variant over memoryWords.
    ProgramResult Program(bool keepCalibration) {
        PowerUp(false);
        const int n = Info().memoryWords;
        return Is14Bit() ? ProgramCore14(link, image.data(), n, keepCalibration, Recorder())
                         : ProgramCore12(link, image.data(), n, keepCalibration, Recorder());
    }
    std::size_t Slot(int address) const { return static_cast<std::size_t>(address); }
    std::uint16_t ConfigWord() const { return Is14Bit() ? 0x3FF4 : 0x0FEA; }  // not protected
    int PulseMilliseconds() const { return Is14Bit() ? 2 : 1; }
    // Every seventh word blank, written in each of the ways a blank slot may hold it.
    bool BlankAt(int k) const { return k % 7 == 3; }
    void FillImage() {
        const std::uint32_t blanks[] = {0xFFFF, Erased(), 0x3FFF};
        for (int k = 0; k < Calibration(); ++k) {
            image[Slot(k)] = BlankAt(k) ? blanks[k % 3] : Pattern(k);
        }
        image[Slot(Calibration())] = Is14Bit() ? 0x3425 : 0x0C25;
        image[Slot(Family().configAddress)] = ConfigWord();
    }
};

TEST_P(ProgrammingTest, EveryWordGetsTheFamilysPulseBudget) {
    FillImage();
    const ProgramResult result = Program(true);
    EXPECT_EQ(result.errors, 0);
    EXPECT_FALSE(result.configurationFailed);

    auto pulses = PulsesByAddress();
    auto reads = ReadsByAddress();
    const int perWord = Is14Bit() ? 3 : 10;
    const std::int64_t minimumNs = PulseMilliseconds() * 1'000'000;
    int programmedWords = 0;
    for (int k = 0; k < Calibration(); ++k) {
        const bool blank = BlankAt(k);
        programmedWords += blank ? 0 : 1;
        ASSERT_EQ(Socket().Word(k), blank ? Erased() : Pattern(k)) << k;
        ASSERT_EQ(pulses[k].size(), blank ? 0u : static_cast<std::size_t>(perWord)) << k;
        ASSERT_EQ(reads[k], Is14Bit() ? (blank ? 1 : 4) : (blank ? 0 : 1)) << k;
        for (const auto& pulse : pulses[k]) {
            ASSERT_GE(pulse.durationNs, minimumNs) << k;
            // 12-bit words go out with bits 12 and 13 set.
            ASSERT_EQ(pulse.data, (Pattern(k) | Family().ReadForceMask) & 0x3FFF) << k;
        }
    }
    EXPECT_EQ(Socket().CalibrationWord(), FactoryCalibration()) << "the chip keeps its own";
    EXPECT_EQ(pulses.count(Calibration()) + reads.count(Calibration()), 0u);

    const int config = Family().configAddress;
    EXPECT_EQ(Socket().ConfigWord(), ConfigWord());
    ASSERT_EQ(pulses[config].size(), 12u);
    EXPECT_GE(pulses[config].front().durationNs, minimumNs);
    EXPECT_EQ(reads[config], 1);

    // 12-bit: one pulse pause per pulse, then the power cycle to reach the configuration word.
    // 14-bit: a settling pause first, the configuration word reached without a power cycle.
    std::vector<int> expected(static_cast<std::size_t>(programmedWords * perWord), 1);
    if (Is14Bit()) {
        expected.assign(expected.size() + 12, 2);
        expected.insert(expected.begin(), 50);
    } else {
        expected.push_back(20);
        expected.insert(expected.end(), 12, 1);
    }
    EXPECT_EQ(PausesSincePowerUp(), expected);
    EXPECT_EQ(Socket().ProgramModeEntries(), Is14Bit() ? 1 : 2);
    ExpectProgressOver(Calibration());
    ExpectPoweredDownCleanly();
}

TEST_P(ProgrammingTest, WithoutKeepTheCalibrationWordIsProgrammedOrChecked) {
    const std::uint16_t imageCalibration = Is14Bit() ? 0x3425 : 0x0C25;
    const struct {
        const char* name;
        bool factoryChip;
        bool blankSlot;
        std::uint16_t after;
        int errors;
    } cases[] = {
        {"erased chip takes the image's word", false, false, imageCalibration, 0},
        // A blank slot is skipped on 12-bit chips, read back on 14-bit ones.
        {"blank slot over a factory word", true, true, FactoryCalibration(), Is14Bit() ? 1 : 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Insert(c.factoryChip ? SimulatedChip::Factory(GetParam(), 0x5A)
                             : SimulatedChip(GetParam()));
        image[Slot(Calibration())] = c.blankSlot ? 0xFFFF : imageCalibration;
        const ProgramResult result = Program(false);
        EXPECT_EQ(result.errors, c.errors);
        EXPECT_FALSE(result.configurationFailed);
        EXPECT_EQ(Socket().CalibrationWord(), c.after);
        EXPECT_EQ(PulsesByAddress()[Calibration()].size(), c.blankSlot ? 0u : Is14Bit() ? 3u : 10u);
        ExpectProgressOver(Info().memoryWords);
        ExpectPoweredDownCleanly();
    }
}

TEST_P(ProgrammingTest, FailedWordsAreCountedAndProgrammingGoesOn) {
    const struct {
        const char* fault;
        int pulsesNeeded;  // 0: never programs
        int pulses12, pulses14;
        bool error12, error14;
    } cases[] = {
        {"programs at the first pulse", 1, 10, 3, false, false},
        {"misses once", 2, 10, 4, false, false},
        {"misses three times, the extra pulses make it", 4, 10, 6, false, false},
        {"needs more than ten", 11, 10, 6, true, true},
        {"never programs", 0, 10, 6, true, true},
    };
    const int count = static_cast<int>(std::size(cases));
    PlantWords(count, [&](int k) { return cases[k].pulsesNeeded; });
    image[Slot(Family().configAddress)] = ConfigWord();
    Socket().SetNeverPrograms(Family().configAddress);

    const ProgramResult result = Program(true);
    auto pulses = PulsesByAddress();
    int failed = 0;
    for (int k = 0; k < count; ++k) {
        SCOPED_TRACE(cases[k].fault);
        const bool error = Is14Bit() ? cases[k].error14 : cases[k].error12;
        failed += error ? 1 : 0;
        EXPECT_EQ(pulses[k].size(),
                  static_cast<std::size_t>(Is14Bit() ? cases[k].pulses14 : cases[k].pulses12));
        EXPECT_EQ(Socket().Word(k), error ? Erased() : Pattern(k));
    }
    EXPECT_EQ(Socket().Word(count), Pattern(count)) << "the word after the failures";
    EXPECT_EQ(pulses[Family().configAddress].size(), 12u);
    EXPECT_TRUE(result.configurationFailed);
    EXPECT_EQ(result.errors, failed + 1);
    ExpectPoweredDownCleanly();
}

TEST_P(ProgrammingTest, TheConfigurationWordComesOnlyFromTheFamilysSlot) {
    // A blank image with a configuration word in the other family's slot programs nothing.
    Insert(SimulatedChip(GetParam()));
    image[Slot(Is14Bit() ? 0xFFF : 0x2007)] = 0x0FEA;
    const ProgramResult result = Program(false);
    EXPECT_EQ(result.errors, 0);
    EXPECT_TRUE(Socket().Pulses().empty());
    // Only the 14-bit chips read blank words back.
    EXPECT_EQ(Socket().ReadAddresses().size(), Is14Bit() ? Slot(Info().memoryWords) : 0u);
    ExpectProgressOver(Info().memoryWords);
    ExpectPoweredDownCleanly();
}

TEST_P(ProgrammingTest, AnEmptySocketFailsEveryNonBlankWord) {
    board.Remove();
    for (int k : {0, 1, 100, Calibration() - 1}) {
        image[Slot(k)] = Pattern(k);
    }
    image[Slot(Family().configAddress)] = ConfigWord();
    const ProgramResult result = Program(true);
    EXPECT_EQ(result.errors, 5);
    EXPECT_TRUE(result.configurationFailed);
    ExpectPoweredDownCleanly();
}

INSTANTIATE_TEST_SUITE_P(AllChips, ProgrammingTest, ::testing::Range(1, ChipCount + 1));

}  // namespace
