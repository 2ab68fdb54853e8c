// Programming the one-time-programmable chips. Every word gets a fixed budget of pulses and is
// read back; a word that still differs is counted and the run goes on with the next one (a cell
// can only lose bits, so there is nothing to retry from and no second pass).
//
// Pulse budget                12-bit chips (12C508/509)       14-bit chips (12C671/672)
//   before the first word     nothing                         50 ms for the chip to settle
//   one pulse                 1 ms                            2 ms
//   non-blank program word    10 pulses, then 1 read-back     3 pulses, each read back; one more
//                                                             pulse per miss (3 to 6 in all),
//                                                             then a final read-back
//   blank image word          skipped, not read back          no pulse, final read-back only:
//                                                             the chip must still be blank there
//   stepping the address      IncrementAddress before a word  IncrementAddress after a word
//   to the configuration word power down, 20 ms, power up     LoadConfiguration + 7 increments
//   configuration word        12 pulses, 1 read-back          12 pulses, 1 read-back
//
// Comparisons force both sides with the family's ReadForceMask, so only the bits the chip has
// count. On the wire a 12-bit word carries bits 12 and 13 set; the chip ignores them.

#include "chip/ChipOperations.h"
#include "chip/ChipTable.h"
#include "chip/Interruption.h"
#include "link/Delays.h"
#include "link/ProgrammerPort.h"

namespace {

// The 14-bit chips need this long after power-up before the first pulse.
constexpr int SettleMilliseconds = 50;
// The 12-bit chips reach their configuration word only from power-up: off this long, then on.
constexpr int PowerCycleMilliseconds = 20;

std::uint16_t Forced(const ChipFamily& family, std::uint32_t word) {
    return static_cast<std::uint16_t>(word | family.ReadForceMask);
}

void ProgrammingPulse(std::uint16_t word, int pulseMilliseconds) {
    SendCommand(LoadData);
    SendDataWord(word);
    SendCommand(BeginProgramming);
    Pause(pulseMilliseconds);
    SendCommand(EndProgramming);
}

void Pulses(const ChipFamily& family, std::uint16_t word, int count) {
    for (int i = 0; i < count; ++i) {
        ProgrammingPulse(word, family.pulseMilliseconds);
    }
}

bool ReadsBack(const ChipFamily& family, std::uint16_t expected) {
    SendCommand(ReadData);
    return Forced(family, ReadDataWord()) == expected;
}

// Programs the configuration word at the chip's current address and reads it back.
void ProgramConfiguration(const ChipFamily& family, std::uint16_t word, ProgramResult& result) {
    StopPoint(family.configAddress);
    Pulses(family, word, family.configurationPulses);
    if (!ReadsBack(family, word)) {
        result.configurationFailed = true;
        ++result.errors;
    }
}

class ProgressAccumulator {
public:
    ProgressAccumulator(const Progress& progress, int total) : progress_(progress), total_(total) {}
    void WordDone() {
        done_ += 100;
        if (progress_) {
            progress_(done_ / total_);
        }
    }

private:
    const Progress& progress_;
    int total_;
    int done_ = 0;
};

}  // namespace

ProgramResult ProgramCore12(const std::uint32_t* image, int n, bool keepCalibration,
                            const Progress& progress) {
    const ChipFamily& family = Core12;
    if (keepCalibration) {
        --n;
    }
    ProgramResult result{0, false};
    ProgressAccumulator bar(progress, n);
    for (int k = 0; k < n; ++k) {
        StopPoint(k);
        // Power-up leaves the chip at its configuration word; the first step wraps it to 0.
        SendCommand(IncrementAddress);
        if (!family.IsBlankForProgramming(image[k])) {
            const std::uint16_t expected = Forced(family, image[k]);
            Pulses(family, expected, family.pulsesPerWord);
            if (!ReadsBack(family, expected)) {
                ++result.errors;
            }
        }
        bar.WordDone();
    }
    ExitProgramMode();
    Pause(PowerCycleMilliseconds);
    family.EnterProgramMode();
    const std::uint32_t configuration = image[family.configAddress];
    if (!family.IsBlankForProgramming(configuration)) {
        ProgramConfiguration(family, Forced(family, configuration), result);
    }
    ExitProgramMode();
    return result;
}

ProgramResult ProgramCore14(const std::uint32_t* image, int n, bool keepCalibration,
                            const Progress& progress) {
    const ChipFamily& family = Core14;
    if (keepCalibration) {
        --n;
    }
    ProgramResult result{0, false};
    ProgressAccumulator bar(progress, n);
    Pause(SettleMilliseconds);
    for (int k = 0; k < n; ++k) {
        StopPoint(k);
        const std::uint16_t expected = Forced(family, image[k]);
        if (!family.IsBlankForProgramming(image[k])) {
            int misses = 0;
            for (int i = 0; i < family.pulsesPerWord; ++i) {
                ProgrammingPulse(expected, family.pulseMilliseconds);
                if (!ReadsBack(family, expected)) {
                    ++misses;
                }
            }
            Pulses(family, expected, misses);
        }
        // Blank words are read back too: a location already programmed is an error.
        if (!ReadsBack(family, expected)) {
            ++result.errors;
        }
        SendCommand(IncrementAddress);
        bar.WordDone();
    }
    const std::uint32_t configuration = image[family.configAddress];
    if (!family.IsBlankForProgramming(configuration)) {
        const std::uint16_t word = Forced(family, configuration);
        // Into configuration memory at 0x2000 and up to the configuration word, no power cycle.
        SendCommand(LoadConfiguration);
        SendDataWord(word);
        for (int i = 0; i < family.incrementsFromConfigurationArea; ++i) {
            SendCommand(IncrementAddress);
        }
        ProgramConfiguration(family, word, result);
    }
    ExitProgramMode();
    return result;
}
