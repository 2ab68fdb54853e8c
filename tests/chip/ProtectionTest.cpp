// A configuration word that protects the chip hides its words for good: it is programmed last,
// from a power-up of its own, and only when the words read back alike as the file's.

#include "chip/IdWords.h"
#include "chip/ProgrammingAlgorithm.h"
#include "tests/chip/ChipOpsFixture.h"

namespace {

class ProtectionTest : public ChipOpsTest {
protected:
    std::size_t Slot(int address) const { return static_cast<std::size_t>(address); }
    std::uint16_t Protecting() const { return Is14Bit() ? 0x3F84 : 0x0FE2; }
    std::uint16_t Plain() const { return Is14Bit() ? 0x3FF4 : 0x0FEA; }
};

TEST_P(ProtectionTest, TheWordsAreCheckedBeforeTheChipIsProtected) {
    const int idWord = Info().idAddress + 2;
    const struct {
        const char* case_;
        bool protecting;
        int neverTakes;  // -1: every cell takes
        bool keepCalibration;
        bool withheld;
        int entries;  // power-ups: programming, the check's pass, the configuration word
        bool blankCalibrationSlot = false;  // over a factory chip, not kept
    } cases[] = {
        {"every word takes", true, -1, true, false, 3},
        {"a program word never takes", true, 1, true, true, 1},
        {"an ID word never takes", true, idWord, true, true, 1},
        {"the calibration word never takes", true, Calibration(), false, true, 1},
        {"no protection: the configuration word as ever", false, 1, true, false, Is14Bit() ? 1 : 2},
        // A blank slot leaves the word: the 12-bit chips never look, the 14-bit ones want it blank.
        {"a blank calibration slot over the factory word", true, -1, false, Is14Bit(),
         Is14Bit() ? 1 : 3, true},
    };
    for (const auto& c : cases) {
        for (const Algorithm algorithm : {Algorithm::Classic, Algorithm::Fast}) {
            SCOPED_TRACE(std::string(c.case_) + (algorithm == Algorithm::Fast ? ", fast" : ""));
            Insert(c.keepCalibration || c.blankCalibrationSlot
                       ? SimulatedChip::Factory(GetParam(), 0x5A)
                       : SimulatedChip(GetParam()));
            for (int k = 0; k < 3; ++k) {
                image[Slot(k)] = Pattern(k);
            }
            image[Slot(Calibration())] =
                c.blankCalibrationSlot ? 0xFFFF : (Is14Bit() ? 0x3425 : 0x0C25);
            image[Slot(idWord)] = 0x0007;
            const std::uint16_t config = c.protecting ? Protecting() : Plain();
            image[Slot(Family().configAddress)] = config;
            if (c.neverTakes >= 0) {
                Socket().SetNeverPrograms(c.neverTakes);
            }

            const ProgramResult result = ProgramChip(link, Info(), algorithm, image.data(),
                                                     c.keepCalibration, true, Recorder());
            EXPECT_EQ(result.protectionWithheld, c.withheld);
            std::vector<int> failed;
            if (c.neverTakes >= 0 || (c.blankCalibrationSlot && Is14Bit())) {
                failed.push_back(c.neverTakes >= 0 ? c.neverTakes : Calibration());
            }
            EXPECT_EQ(result.failedAddresses, failed);
            EXPECT_FALSE(result.configurationFailed);
            EXPECT_EQ(Socket().ConfigWord(), c.withheld ? Erased() : config);
            EXPECT_EQ(Socket().CodeProtected(), c.protecting && !c.withheld);
            EXPECT_EQ(Socket().ProgramModeEntries(), c.entries);
            ExpectPoweredDownCleanly();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllChips, ProtectionTest, ::testing::Range(1, ChipCount + 1));

}  // namespace
