// The pulses of the two algorithms.
//
// Classic, the window's fixed budget:
//   12-bit chips  10 pulses of 1 ms, then one read-back
//   14-bit chips  3 pulses of 2 ms, each read back; one more pulse per miss (3 to 6 in all), then
//                 a final read-back
//   configuration 12 pulses of the family's length, one read-back
//
// Adaptive, the chip maker's (numbers per family in the chip table):
//   a pulse of 100 us and a read-back, until the word reads back right after N pulses (at most 8
//   on the 12-bit chips, 25 on the 14-bit ones; still wrong after that: the word failed); then
//   11 x N (12-bit) or 3 x N (14-bit) margin pulses. Pulsing a word that already reads right
//   cannot change it, but N sets the margin, so a read that says "right" is read again first: one
//   glitch on the returned line must not cut a word's margin from 36 pulses to 12. After the
//   margin the word is read once more: a chip that fell out of step during the margin pulses
//   (a lost clock edge) never got them, and reads wrong there; the walk then gives the word its
//   pulses again from a fresh power-up, N counting the pulses of both tries.
//   configuration 100 pulses of 100 us, one read-back
//
// A long pulse is a millisecond pause; a short one is a busy-wait, which is measured and never ends
// early, where a pause of a whole millisecond would waste nine tenths of it.

#include "chip/PulsePlan.h"

#include "link/Delays.h"
#include "link/ProgrammerPort.h"

namespace {

// The pulse lasts from BeginProgramming to EndProgramming; the wait in between sets its length.
template <typename Wait>
void ProgrammingPulse(ProgrammerLink& board, std::uint16_t word, Wait wait) {
    SendCommand(board, LoadData);
    SendDataWord(board, word);
    SendCommand(board, BeginProgramming);
    wait();
    SendCommand(board, EndProgramming);
}

int BusyWaitIterationsFor(int microseconds) {
    const long nanoseconds = 1000L * microseconds;
    return static_cast<int>((nanoseconds + BusyWaitNanosecondsPerIteration - 1) /
                            BusyWaitNanosecondsPerIteration);
}

}  // namespace

WordPulsing PulsePlan::ProgramWord(std::uint16_t expected, const WordPulsing& earlier) const {
    if (algorithm_ == Algorithm::Fast) {
        return AdaptiveWord(expected, earlier.pulses);
    }
    WordPulsing word;
    word.right = ClassicWord(expected);
    return word;
}

bool PulsePlan::ProgramConfiguration(std::uint16_t word) const {
    if (algorithm_ == Algorithm::Fast) {
        ShortPulses(word, family_.adaptive.configurationPulses);
    } else {
        LongPulses(word, family_.configurationPulses);
    }
    return ReadsBack(word);
}

bool PulsePlan::ReadsBack(std::uint16_t expected) const {
    SendCommand(board_, ReadData);
    return family_.Forced(ReadDataWord(board_)) == expected;
}

bool PulsePlan::ClassicWord(std::uint16_t expected) const {
    if (!family_.Is14Bit()) {
        LongPulses(expected, family_.pulsesPerWord);
        return ReadsBack(expected);
    }
    int misses = 0;
    for (int i = 0; i < family_.pulsesPerWord; ++i) {
        LongPulses(expected, 1);
        if (!ReadsBack(expected)) {
            ++misses;
        }
    }
    LongPulses(expected, misses);
    return ReadsBack(expected);
}

WordPulsing PulsePlan::AdaptiveWord(std::uint16_t expected, int earlierPulses) const {
    const AdaptivePulses& adaptive = family_.adaptive;
    WordPulsing word;
    for (int pulses = 1; pulses <= adaptive.maxPulses; ++pulses) {
        ShortPulses(expected, 1);
        word.pulses = earlierPulses + pulses;
        if (ReadsBack(expected) && ReadsBack(expected)) {
            ShortPulses(expected, adaptive.marginFactor * word.pulses);
            word.right = ReadsBack(expected);
            word.outOfStep = !word.right;
            return word;
        }
    }
    return word;
}

void PulsePlan::LongPulses(std::uint16_t word, int count) const {
    for (int i = 0; i < count; ++i) {
        ProgrammingPulse(board_, word, [this] { board_.Pause(family_.pulseMilliseconds); });
    }
}

void PulsePlan::ShortPulses(std::uint16_t word, int count) const {
    const int iterations = BusyWaitIterationsFor(family_.adaptive.pulseMicroseconds);
    for (int i = 0; i < count; ++i) {
        ProgrammingPulse(board_, word, [this, iterations] { board_.BusyWait(iterations); });
    }
}
