#include <iterator>
#include <set>

#include "chip/ConfigReadout.h"
#include "chip/IdWords.h"
#include "chip/Interruption.h"
#include "chip/ProgrammingAlgorithm.h"
#include "link/PortWrapper.h"
#include "tests/chip/ChipOpsFixture.h"

namespace {

// The chip maker's adaptive algorithm against the simulated chip, which counts every pulse, tells
// the margin pulses from those that did the work, and judges each pulse's length.
class FastProgrammingTest : public ChipOpsTest {
protected:
    ProgramResult Program(Algorithm algorithm, bool keepCalibration, bool idWords = false) {
        pausesBefore = delays.clock().Pauses().size();
        return ProgramChip(link, Info(), algorithm, image.data(), keepCalibration, idWords,
                           Recorder());
    }
    std::size_t Slot(int address) const { return static_cast<std::size_t>(address); }
    int MaxPulses() const { return Is14Bit() ? 25 : 8; }
    int Margin() const { return Is14Bit() ? 3 : 11; }
    std::uint16_t ConfigWord() const { return Is14Bit() ? 0x3FF4 : 0x0FEA; }  // not protected
    int IdAddress() const { return Info().idAddress; }

    static int MarginPulses(const std::vector<SimulatedChip::Pulse>& pulses) {
        int margin = 0;
        for (const auto& pulse : pulses) {
            margin += pulse.margin ? 1 : 0;
        }
        return margin;
    }
    // Every pulse at least the chip's 100 us, and short: a busy-wait, not a millisecond pause.
    void ExpectShortPulses() {
        for (const auto& pulse : Socket().Pulses()) {
            ASSERT_GE(pulse.durationNs, SimulatedChip::MinimumPulseNs) << pulse.address;
            ASSERT_LT(pulse.durationNs, 200'000) << pulse.address;
        }
    }
};

TEST_P(FastProgrammingTest, AWordGetsPulsesUntilItTakesThenItsMargin) {
    const struct {
        const char* case_;
        int pulsesNeeded;  // 0: never programs
    } cases[] = {
        {"takes at the first pulse", 1},
        {"takes at the second", 2},
        {"takes at the last", MaxPulses()},
        {"would need one more", MaxPulses() + 1},
        {"never takes", 0},
    };
    const int count = static_cast<int>(std::size(cases));
    PlantWords(count, [&](int k) { return cases[k].pulsesNeeded; });
    image[Slot(Family().configAddress)] = ConfigWord();

    const ProgramResult result = Program(Algorithm::Fast, true);
    auto pulses = PulsesByAddress();
    auto reads = ReadsByAddress();
    std::vector<int> failed;
    for (int k = 0; k < count; ++k) {
        SCOPED_TRACE(cases[k].case_);
        const int needed = cases[k].pulsesNeeded;
        const bool takes = needed != 0 && needed <= MaxPulses();
        const int tries = takes ? needed : MaxPulses();
        // A read that says "right" is read again before N stands, and the word once more after
        // its margin.
        EXPECT_EQ(reads[k], tries + (takes ? 2 : 0));
        EXPECT_EQ(MarginPulses(pulses[k]), takes ? Margin() * tries : 0);
        EXPECT_EQ(static_cast<int>(pulses[k].size()), tries + (takes ? Margin() * tries : 0));
        EXPECT_EQ(Socket().Word(k), takes ? Pattern(k) : Erased());
        if (!takes) {
            failed.push_back(k);
        }
    }
    EXPECT_EQ(Socket().Word(count), Pattern(count)) << "the word after the failures";
    EXPECT_EQ(result.errors, 2);
    EXPECT_EQ(result.failedAddresses, failed);
    EXPECT_FALSE(result.configurationFailed);

    const int config = Family().configAddress;
    EXPECT_EQ(Socket().ConfigWord(), ConfigWord());
    EXPECT_EQ(pulses[config].size(), 100u);
    EXPECT_EQ(reads[config], 1);
    ExpectShortPulses();
    // No pulse waits on the millisecond pause. 14-bit: the power-up's 1 ms, the settling pause;
    // 12-bit: the power cycle to the configuration word.
    const std::vector<int> pauses = Is14Bit() ? std::vector<int>{1, 50} : std::vector<int>{20};
    EXPECT_EQ(PausesSincePowerUp(), pauses);
    ExpectPoweredDownCleanly();
}

TEST_P(FastProgrammingTest, BothAlgorithmsWalkTheSameAddressesAndLeaveTheSameChip) {
    // Every seventh word blank, the calibration slot set but kept, a configuration word.
    for (int k = 0; k < Calibration(); ++k) {
        image[Slot(k)] = k % 7 == 3 ? 0xFFFF : Pattern(k);
    }
    image[Slot(Calibration())] = Is14Bit() ? 0x3425 : 0x0C25;
    image[Slot(Family().configAddress)] = ConfigWord();

    struct Run {
        ProgramResult result;
        std::set<int> pulsed;
        std::vector<int> readAddresses;  // in order, repeats of the same address folded
        int entries;
        std::vector<int> positions;
        std::vector<std::uint16_t> words;
    };
    auto run = [&](Algorithm algorithm) {
        Insert(SimulatedChip::Factory(GetParam(), 0x5A));
        Run r{Program(algorithm, true), {}, {}, 0, {}, {}};
        for (const auto& pulse : Socket().Pulses()) {
            r.pulsed.insert(pulse.address);
        }
        for (int address : Socket().ReadAddresses()) {
            if (r.readAddresses.empty() || r.readAddresses.back() != address) {
                r.readAddresses.push_back(address);
            }
        }
        r.entries = Socket().ProgramModeEntries();
        r.positions = positions;
        for (int k = 0; k < Info().memoryWords; ++k) {
            r.words.push_back(Socket().Word(k));
        }
        r.words.push_back(Socket().ConfigWord());
        ExpectPoweredDownCleanly();
        return r;
    };
    const Run classic = run(Algorithm::Classic);
    const Run fast = run(Algorithm::Fast);
    ExpectShortPulses();
    EXPECT_EQ(fast.result.errors, 0);
    EXPECT_EQ(classic.result.errors, 0);
    EXPECT_EQ(fast.pulsed, classic.pulsed);
    EXPECT_EQ(fast.pulsed.count(Calibration()), 0u) << "the kept calibration word";
    EXPECT_EQ(fast.readAddresses, classic.readAddresses);
    EXPECT_EQ(fast.entries, classic.entries);
    EXPECT_EQ(fast.positions, classic.positions);
    EXPECT_EQ(fast.words, classic.words);
    EXPECT_EQ(Socket().CalibrationWord(), FactoryCalibration());
}

TEST_P(FastProgrammingTest, IdWordsAreProgrammedLikeProgramWordsAndReadBack) {
    image[Slot(0)] = Pattern(0);
    const std::uint32_t ids[] = {0x0001, 0xFFFF, 0x000C, 0x0F0D};  // one of them blank
    for (int i = 0; i < IdWordCount; ++i) {
        image[Slot(IdAddress() + i)] = ids[i];
    }
    image[Slot(Family().configAddress)] = ConfigWord();
    const struct {
        Algorithm algorithm;
        int pulsesPerIdWord;
    } runs[] = {{Algorithm::Fast, 1 + Margin()}, {Algorithm::Classic, Is14Bit() ? 3 : 10}};
    for (const auto& run : runs) {
        SCOPED_TRACE(run.algorithm == Algorithm::Fast ? "fast" : "classic");
        Insert(SimulatedChip::Factory(GetParam(), 0x5A));
        const ProgramResult result = Program(run.algorithm, true, true);
        EXPECT_EQ(result.errors, 0);
        auto pulses = PulsesByAddress();
        for (int i = 0; i < IdWordCount; ++i) {
            const bool blank = ids[i] == 0xFFFF;
            EXPECT_EQ(Socket().Word(IdAddress() + i), ids[i] & Erased()) << i;
            EXPECT_EQ(static_cast<int>(pulses[IdAddress() + i].size()),
                      blank ? 0 : run.pulsesPerIdWord)
                << i;
        }
        EXPECT_EQ(Socket().ConfigWord(), ConfigWord());
        EXPECT_EQ(Socket().CalibrationWord(), FactoryCalibration());
        EXPECT_EQ(positions.back(), 100);
        EXPECT_EQ(positions.size(), static_cast<std::size_t>(Calibration() + IdWordCount));
        ExpectPoweredDownCleanly();
    }

    std::vector<std::uint32_t> readBack(ImageSlots, 0xFFFF);
    ReadIdWords(link, Info(), readBack.data());
    for (int i = 0; i < IdWordCount; ++i) {
        EXPECT_EQ(readBack[Slot(IdAddress() + i)], Family().Forced(ids[i])) << i;
    }
    EXPECT_TRUE(IdWordDifferences(link, Info(), image.data()).empty());
    // The configuration word and the ID words in one power-up agree with the separate read-outs.
    const ConfigAndIdWords both = ReadConfigAndIdWords(link, Info());
    EXPECT_EQ(both.config, ReadConfigWordFromChip(link, Family()));
    ASSERT_EQ(both.ids.size(), static_cast<std::size_t>(IdWordCount));
    for (int i = 0; i < IdWordCount; ++i) {
        EXPECT_EQ(both.ids[static_cast<std::size_t>(i)], readBack[Slot(IdAddress() + i)]) << i;
    }
    image[Slot(IdAddress() + 1)] = 0x0002;
    EXPECT_EQ(IdWordDifferences(link, Info(), image.data()).size(), 1u);
    EXPECT_EQ(IdWordDifferences(Info(), image.data(), both.ids).size(), 1u);
    ExpectPoweredDownCleanly();
}

TEST_P(FastProgrammingTest, IdWordsAreLeftAloneUnlessAskedForAndPresent) {
    image[Slot(IdAddress())] = 0x0005;
    const struct {
        const char* case_;
        bool idWords;
        bool imageHasIds;
    } cases[] = {{"not asked for", false, true}, {"all blank", true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.case_);
        Insert(SimulatedChip::Factory(GetParam(), 0x5A));
        image[Slot(IdAddress())] = c.imageHasIds ? 0x0005 : 0xFFFF;
        EXPECT_EQ(HasIdWords(Info(), image.data()), c.imageHasIds);
        Program(Algorithm::Fast, false, c.idWords);
        for (int address : Socket().ReadAddresses()) {
            ASSERT_TRUE(address < IdAddress() || address >= IdAddress() + IdWordCount) << address;
        }
        EXPECT_EQ(Socket().Word(IdAddress()), Erased());
        ExpectProgressOver(Info().memoryWords);
    }
}

TEST_P(FastProgrammingTest, AStopAfterProgramMemoryNamesTheFirstIdWord) {
    image[Slot(IdAddress())] = 0x0005;
    int done = 0;
    int stoppedAt = -1;
    try {
        ProgramChip(link, Info(), Algorithm::Fast, image.data(), true, true, [&](int) {
            if (++done == Calibration()) {
                RequestStop();
            }
        });
    } catch (const OperationInterrupted& interrupted) {
        stoppedAt = interrupted.Address();
    }
    ClearStopRequest();
    EXPECT_EQ(stoppedAt, IdAddress());
    EXPECT_EQ(Socket().Word(IdAddress()), Erased());
    ExpectPoweredDownCleanly();
}

// Passes every access on, but loses the first write after the chip has seen `pulses` pulses:
// a clock edge the port dropped, after which the chip decodes the frames out of step.
class LosesAWriteAfterPulses final : public PortWrapper {
public:
    LosesAWriteAfterPulses(SimulatedBoard& board, std::size_t pulses)
        : PortWrapper(board), board_(board), pulses_(pulses) {}
    std::uint8_t In(std::uint16_t address) override { return board_.In(address); }
    void Out(std::uint16_t address, std::uint8_t value) override {
        if (!lost_ && board_.Chip()->Pulses().size() == pulses_) {
            lost_ = true;
            return;
        }
        board_.Out(address, value);
    }

private:
    SimulatedBoard& board_;
    std::size_t pulses_;
    bool lost_ = false;
};

// A chip that falls out of step during a word's margin never gets the rest of it; the read after
// the margin sees that, and the word gets its pulses again from a fresh power-up, the pulses of
// both tries counting towards its margin.
TEST_P(FastProgrammingTest, AWordWhoseMarginWentAstrayGetsItAgain) {
    const struct {
        const char* case_;
        int lostAfterMarginPulse;  // of the last word's margin
    } cases[] = {{"after the first margin pulse", 1}, {"before the last", Margin() * 2 - 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.case_);
        Insert(SimulatedChip::Factory(GetParam(), 0x5A));
        image[Slot(0)] = Pattern(0);
        image[Slot(1)] = Pattern(1);
        image[Slot(Family().configAddress)] = ConfigWord();
        Socket().SetPulsesNeeded(1, 2);
        // Word 0: 1 + margin; word 1: its 2, then the margin pulse named.
        LosesAWriteAfterPulses port(
            board, static_cast<std::size_t>(1 + Margin() + 2 + c.lostAfterMarginPulse));
        link.SetIo(port);
        const ProgramResult result =
            ProgramChip(link, Info(), Algorithm::Fast, image.data(), true, false, nullptr);
        link.SetIo(board);
        EXPECT_EQ(result.errors, 0);
        for (int k : {0, 1}) {
            const SimulatedChip::WordPulses pulses = Socket().PulsesAt(k);
            EXPECT_EQ(Socket().Word(k), Pattern(k)) << k;
            EXPECT_GE(pulses.margin, Margin() * pulses.toTake) << k;
        }
        EXPECT_EQ(Socket().PulsesAt(1).toTake, 2);
        // The second try: one pulse to read right again, then the margin for 2 + 1.
        EXPECT_EQ(Socket().PulsesAt(1).margin, c.lostAfterMarginPulse + 1 + Margin() * 3);
        EXPECT_EQ(Socket().ConfigWord(), ConfigWord());
        EXPECT_EQ(Socket().ProgramModeEntries(), Is14Bit() ? 2 : 3);
        EXPECT_FALSE(board.InProgramMode());
    }
}

INSTANTIATE_TEST_SUITE_P(AllChips, FastProgrammingTest, ::testing::Range(1, ChipCount + 1));

}  // namespace
