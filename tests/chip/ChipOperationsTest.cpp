#include <algorithm>

#include "chip/AgreedRead.h"
#include "chip/ChipReads.h"
#include "tests/chip/ChipOpsFixture.h"

namespace {

using ReadLoopsTest = ChipOpsTest;

TEST_P(ReadLoopsTest, ReadStoresEveryWordForcedAndReadsEachOnce) {
    const int n = Info().memoryWords;
    for (bool programmed : {false, true}) {
        SCOPED_TRACE(programmed ? "programmed chip" : "blank chip");
        Insert(SimulatedChip::Factory(GetParam(), 0x5A));
        for (int k = 0; programmed && k < Calibration(); ++k) {
            Socket().SetWord(k, Pattern(k));
        }
        image[static_cast<std::size_t>(n)] = 0x1234;
        PowerUp();
        ReadChipWords(link, Family(), n, image.data(), Recorder());

        for (int k = 0; k < n; ++k) {
            const std::uint16_t chip = k == Calibration() ? FactoryCalibration()
                                       : programmed       ? Pattern(k)
                                                          : Erased();
            ASSERT_EQ(image[static_cast<std::size_t>(k)], chip | Family().ReadForceMask) << k;
        }
        EXPECT_EQ(image[static_cast<std::size_t>(n)], 0x1234u) << "read past the end";
        EXPECT_EQ(ReadsByAddress().size(), static_cast<std::size_t>(n));
        EXPECT_EQ(Socket().ReadAddresses().size(), static_cast<std::size_t>(n));
        EXPECT_EQ(PausesSincePowerUp(), (std::vector<int>{50, 50}));
        ExpectProgressOver(n);
        ExpectPoweredDownCleanly();
    }
}

TEST_P(ReadLoopsTest, BlankCheckReadsAllWordsThenTheCalibrationWord) {
    const int n = Calibration();
    const struct {
        const char* name;
        std::vector<int> programmed;
        int nonBlank;
    } cases[] = {
        {"factory chip: only the calibration word", {}, 0},
        {"first word and the one below the calibration word", {0, n - 1}, 2},
        {"a zero word is not blank", {n / 2}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Insert(SimulatedChip::Factory(GetParam(), 0x5A));
        for (int address : c.programmed) {
            Socket().SetWord(address, address == n / 2 ? 0 : Pattern(address));
        }
        PowerUp();
        const BlankCheckResult result = BlankCheckWords(link, Family(), n, Recorder());

        EXPECT_EQ(result.nonBlankWords, c.nonBlank);
        // Returned as read, not forced: the caller takes the calibration value from its low byte.
        EXPECT_EQ(result.calibrationWord & 0x3FFF, FactoryCalibration());
        ASSERT_EQ(Socket().ReadAddresses().size(), static_cast<std::size_t>(n + 1));
        EXPECT_EQ(Socket().ReadAddresses().back(), n);
        EXPECT_EQ(PausesSincePowerUp(), (std::vector<int>{50}));
        ExpectProgressOver(n);
        ExpectPoweredDownCleanly();
    }
}

TEST_P(ReadLoopsTest, VerifyComparesForcedWordsUpToTheLastUsedOne) {
    const int last = Info().maxUsableAddress;
    const int count = last + 1;
    for (int k = 0; k <= last; ++k) {
        Socket().SetWord(k, Pattern(k));
        // As loaded from a file on even slots, as read from a chip (forced) on odd ones.
        image[static_cast<std::size_t>(k)] = Pattern(k) | (k % 2 ? Family().ReadForceMask : 0);
    }
    const SimulatedChip chip = Socket();
    const struct {
        const char* name;
        std::vector<int> changed;  // image slots made to differ from the chip
        int differences;
    } cases[] = {
        {"equal", {}, 0},
        {"the last used word differs", {last}, 1},
        {"three words differ", {0, last / 2, last}, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Insert(chip);
        auto slots = image;
        for (int address : c.changed) {
            slots[static_cast<std::size_t>(address)] ^= 0x0001;
        }
        PowerUp();
        const VerifyResult result =
            VerifyWords(link, Family(), slots.data(), count, true, Recorder());

        EXPECT_FALSE(result.refused);
        EXPECT_EQ(result.differences, c.differences);
        EXPECT_EQ(Socket().ReadAddresses().size(), static_cast<std::size_t>(count));
        ExpectProgressOver(count);
        ExpectPoweredDownCleanly();
    }
}

TEST_P(ReadLoopsTest, VerifyOfAnEmptyImageComparesWordZero) {
    Socket().SetWord(0, Pattern(0));
    PowerUp();
    EXPECT_EQ(VerifyWords(link, Family(), image.data(), 1, true, Recorder()).differences, 1);
    EXPECT_EQ(Socket().ReadAddresses(), (std::vector<int>{0}));
    EXPECT_EQ(positions, (std::vector<int>{100}));
    ExpectPoweredDownCleanly();
}

TEST_P(ReadLoopsTest, CodeProtection) {
    const int count = 0x50;
    for (int k = 0; k < count; ++k) {
        Socket().SetWord(k, Pattern(k));
        image[static_cast<std::size_t>(k)] = Pattern(k);
    }
    Socket().SetConfigWord(Is14Bit() ? 0x3FDF : 0x0FF7);
    ASSERT_TRUE(Socket().CodeProtected());

    PowerUp();
    const VerifyResult refused =
        VerifyWords(link, Family(), image.data(), count, false, Recorder());
    EXPECT_TRUE(refused.refused);
    EXPECT_TRUE(Socket().ReadAddresses().empty()) << "a protected chip must not be read";
    EXPECT_TRUE(positions.empty());
    ExpectPoweredDownCleanly();

    // Compared anyway, the hidden words read 0: a 12-bit chip shows its first 0x40 words.
    PowerUp();
    const VerifyResult compared =
        VerifyWords(link, Family(), image.data(), count, true, Recorder());
    EXPECT_FALSE(compared.refused);
    EXPECT_EQ(compared.differences, Is14Bit() ? count : count - 0x40);
    ExpectPoweredDownCleanly();
}

TEST_P(ReadLoopsTest, AnEmptySocketReadsBlank) {
    board.Remove();
    const int n = Info().memoryWords;
    image.assign(ImageSlots, 0);
    PowerUp();
    ReadChipWords(link, Family(), n, image.data(), Recorder());
    EXPECT_EQ(std::count(image.begin(), image.begin() + n, 0xFFFFu), n);

    PowerUp();
    const BlankCheckResult blank = BlankCheckWords(link, Family(), Calibration(), Recorder());
    EXPECT_EQ(blank.nonBlankWords, 0);
    EXPECT_EQ(blank.calibrationWord & 0xFF, 0xFF) << "no calibration value";

    for (int k = 0; k < 10; ++k) {
        image[static_cast<std::size_t>(k)] = Pattern(k);
    }
    PowerUp();
    EXPECT_EQ(VerifyWords(link, Family(), image.data(), 10, true, Recorder()).differences, 10);
    ExpectPoweredDownCleanly();
}

// Three passes, three answers: the chip's fault (a marginal cell), whichever read met it.
TEST_P(ReadLoopsTest, AMarginalCellEndsEveryReadAsTheChipsFault) {
    Socket().SetReadsUnsteadily(3);
    image[3] = Pattern(3);
    const std::function<void()> reads[] = {
        [&] { ReadProgramWords(link, Family(), 10, nullptr); },
        [&] { BlankCheckChip(link, Family(), Calibration(), nullptr); },
        [&] { VerifyChip(link, Family(), image.data(), 10, true, nullptr); },
    };
    for (const auto& read : reads) {
        EXPECT_THROW(read(), InconsistentReads);
        ExpectPoweredDownCleanly();
    }
}

INSTANTIATE_TEST_SUITE_P(AllChips, ReadLoopsTest, ::testing::Range(1, ChipCount + 1));

}  // namespace
