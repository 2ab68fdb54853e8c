// Programming the one-time-programmable chips, word by word. A word that does not read back right
// is counted and the walk goes on with the next one (a cell can only lose bits, so there is nothing
// to retry from and no second pass).
//
//                             12-bit chips (12C508/509)       14-bit chips (12C671/672)
//   before the first word     nothing                         50 ms for the chip to settle
//   blank image word          skipped, not read back          no pulse, read back once: the chip
//                                                             must still be blank there
//   stepping the address      IncrementAddress before a word  IncrementAddress after a word
//   ID words                  right after program memory      from 0x2000, after LoadConfiguration
//   to the configuration word power down, 20 ms, power up     LoadConfiguration (or on from the
//                                                             ID words) up to 0x2007
//   back to a word (a chip that  power down, 20 ms, power up, power down, 20 ms, power up, 50 ms,
//   fell out of step)            on from the configuration    on from 0 (LoadConfiguration for
//                                word                         an ID word)
//
// Comparisons force both sides with the family's ReadForceMask, so only the bits the chip has
// count. On the wire a 12-bit word carries bits 12 and 13 set; the chip ignores them.

#include "chip/ProgramWalk.h"

#include <functional>
#include <utility>

#include "chip/BoardChecks.h"
#include "chip/ChipTable.h"
#include "chip/Interruption.h"
#include "link/ProgrammerPort.h"

namespace {

// The 12-bit chips reach their configuration word only from power-up: off this long, then on.
constexpr int PowerCycleMilliseconds = 20;

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

// Powers the chip down and up again and brings it to the word at `address`, whose forced image
// word is `expected`.
using BackToWord = std::function<void(int address, std::uint16_t expected)>;

class Walk {
public:
    Walk(const PulsePlan& plan, const ProgramJob& job, const Progress& progress, BackToWord back)
        : plan_(plan),
          family_(plan.Family()),
          job_(job),
          bar_(progress, job.words + (HasIdWords() ? IdWordCount : 0)),
          back_(std::move(back)) {}

    bool HasIdWords() const { return job_.idAddress != NoIdWords; }

    // Programs the word of image slot `address` at the chip's current address.
    void Word(int address) {
        const std::uint32_t word = job_.image[address];
        const std::uint16_t expected = family_.Forced(word);
        if (family_.IsBlankForProgramming(word)) {
            // Only the 14-bit chips check that a blank word is still blank.
            if (family_.Is14Bit() && !plan_.ReadsBack(expected)) {
                Failed(address);
            }
        } else {
            WordPulsing pulsing = plan_.ProgramWord(expected);
            if (pulsing.outOfStep) {
                back_(address, expected);
                pulsing = plan_.ProgramWord(expected, pulsing);
            }
            if (!pulsing.right) {
                Failed(address);
            }
        }
        bar_.WordDone();
    }

    // Programs the configuration word, reached already, unless its slot is blank.
    void Configuration() {
        const std::uint16_t word = family_.Forced(job_.image[family_.configAddress]);
        StopPoint(family_.configAddress);
        if (!plan_.ProgramConfiguration(word)) {
            result_.configurationFailed = true;
            Failed(family_.configAddress);
        }
    }
    bool ConfigurationBlank() const {
        return family_.IsBlankForProgramming(job_.image[family_.configAddress]);
    }

    ProgramResult Result() const { return result_; }

private:
    void Failed(int address) {
        ++result_.errors;
        result_.failedAddresses.push_back(address);
    }

    const PulsePlan& plan_;
    const ChipFamily& family_;
    const ProgramJob& job_;
    ProgressAccumulator bar_;
    BackToWord back_;
    ProgramResult result_;
};

void PowerCycle(ProgrammerLink& board, const ChipFamily& family) {
    PowerDownChecked(board);
    board.Pause(PowerCycleMilliseconds);
    PowerUpChecked(board, family);
}

void Increment(ProgrammerLink& board, int times = 1) {
    for (int i = 0; i < times; ++i) {
        SendCommand(board, IncrementAddress);
    }
}

ProgramResult Walk12(const PulsePlan& plan, const ProgramJob& job, const Progress& progress) {
    ProgrammerLink& board = plan.Board();
    const ChipFamily& family = plan.Family();
    // Power-up leaves the chip at its configuration word; the first step wraps it to 0, every
    // further one moves it on by one.
    int at = -1;
    auto stepTo = [&board, &at](int address) {
        Increment(board, address - at);
        at = address;
    };
    Walk walk(plan, job, progress, [&](int address, std::uint16_t) {
        PowerCycle(board, family);
        at = -1;
        stepTo(address);
    });
    for (int k = 0; k < job.words; ++k) {
        StopPoint(k);
        stepTo(k);
        walk.Word(k);
    }
    if (walk.HasIdWords()) {
        // Past program memory, over a kept calibration word.
        for (int address = job.idAddress; address < job.idAddress + IdWordCount; ++address) {
            StopPoint(address);
            stepTo(address);
            walk.Word(address);
        }
    }
    if (job.configuration) {
        PowerCycle(board, family);
        if (!walk.ConfigurationBlank()) {
            walk.Configuration();
        }
    }
    ExitProgramMode(board);
    return walk.Result();
}

ProgramResult Walk14(const PulsePlan& plan, const ProgramJob& job, const Progress& progress) {
    ProgrammerLink& board = plan.Board();
    const ChipFamily& family = plan.Family();
    const int configurationArea = family.configAddress - family.incrementsFromConfigurationArea;
    Walk walk(plan, job, progress, [&](int address, std::uint16_t expected) {
        PowerCycle(board, family);
        board.Pause(SettleMilliseconds);
        if (address >= configurationArea) {
            SendCommand(board, LoadConfiguration);
            SendDataWord(board, expected);
            Increment(board, address - configurationArea);
        } else {
            Increment(board, address);
        }
    });
    board.Pause(SettleMilliseconds);
    for (int k = 0; k < job.words; ++k) {
        StopPoint(k);
        walk.Word(k);
        Increment(board);
    }
    // LoadConfiguration moves the chip to 0x2000, where the ID words begin; its data frame is
    // not programmed by itself and carries the first word programmed there: the first ID word,
    // or the configuration word, as the window has always sent it. No power cycle on the way.
    int at = -1;
    if (walk.HasIdWords()) {
        SendCommand(board, LoadConfiguration);
        SendDataWord(board, family.Forced(job.image[configurationArea]));
        for (int address = job.idAddress; address < job.idAddress + IdWordCount; ++address) {
            StopPoint(address);
            walk.Word(address);
            Increment(board);
        }
        at = job.idAddress + IdWordCount;
    }
    if (job.configuration && !walk.ConfigurationBlank()) {
        if (at < 0) {
            SendCommand(board, LoadConfiguration);
            SendDataWord(board, family.Forced(job.image[family.configAddress]));
            at = configurationArea;
        }
        Increment(board, family.configAddress - at);
        walk.Configuration();
    }
    ExitProgramMode(board);
    return walk.Result();
}

ProgramJob ClassicJob(const std::uint32_t* image, int n, bool keepCalibration) {
    return {image, keepCalibration ? n - 1 : n, NoIdWords};
}

}  // namespace

ProgramResult ProgramWords(const PulsePlan& plan, const ProgramJob& job, const Progress& progress) {
    return plan.Family().Is14Bit() ? Walk14(plan, job, progress) : Walk12(plan, job, progress);
}

bool ProgramConfigurationWord(const PulsePlan& plan, const std::uint32_t* image) {
    ProgrammerLink& board = plan.Board();
    const ChipFamily& family = plan.Family();
    const std::uint16_t word = family.Forced(image[family.configAddress]);
    bool right = true;
    if (!family.IsBlankForProgramming(word)) {
        StopPoint(family.configAddress);
        if (!family.configAtPowerUp) {
            SendCommand(board, LoadConfiguration);
            SendDataWord(board, word);
            Increment(board, family.incrementsFromConfigurationArea);
        }
        right = plan.ProgramConfiguration(word);
    }
    ExitProgramMode(board);
    return right;
}

ProgramResult ProgramCore12(ProgrammerLink& board, const std::uint32_t* image, int n,
                            bool keepCalibration, const Progress& progress) {
    return ProgramWords(PulsePlan(board, Algorithm::Classic, Core12),
                        ClassicJob(image, n, keepCalibration), progress);
}

ProgramResult ProgramCore14(ProgrammerLink& board, const std::uint32_t* image, int n,
                            bool keepCalibration, const Progress& progress) {
    return ProgramWords(PulsePlan(board, Algorithm::Classic, Core14),
                        ClassicJob(image, n, keepCalibration), progress);
}
