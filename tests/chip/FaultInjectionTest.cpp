// One fault injected at one port access of an operation, for every access of the operation (or a
// fixed sample of them where it makes too many), on the simulated chip, which is the judge of
// what the operation reported. The five things that must hold whatever the fault:
//   1. no crash and no hang;
//   2. both supplies off when the operation returns, by any path (unless the cable was pulled);
//   3. no false success: whatever the operation reports ("equal", "blank", the words read, a
//      programming without errors) is true of the chip; a fault it sees ends as PortFailure;
//   4. the caller's image is untouched;
//   5. a 12-bit chip never sees its programming voltage before its supply, nor 9 ms after it.
// And for programming: a chip is protected only when it holds the file's words, and the adaptive
// algorithm gives every word it reports programmed the maker's margin for the pulses the chip
// counted it needing.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "chip/ChipReads.h"
#include "chip/ChipTable.h"
#include "chip/ConfigReadout.h"
#include "chip/IdWords.h"
#include "chip/ProgramCheck.h"
#include "chip/ProgrammingAlgorithm.h"
#include "link/ProgrammerLink.h"
#include "sim/SimulatedBoard.h"
#include "sim/VirtualDelays.h"
#include "tests/support/FaultyPort.h"

namespace {

using Fault = FaultyPort::Fault;
constexpr Fault Faults[] = {Fault::ReadsHigh, Fault::ReadsLow, Fault::FlippedRead, Fault::LostWrite,
                            Fault::LostWritesFromHere};
const char* Name(Fault fault) {
    switch (fault) {
        case Fault::ReadsHigh:
            return "reads 0xFF from k";
        case Fault::ReadsLow:
            return "reads 0x00 from k";
        case Fault::FlippedRead:
            return "data bit of read k flipped";
        case Fault::LostWrite:
            return "write k lost";
        case Fault::LostWritesFromHere:
            return "writes lost from k";
        default:
            return "none";
    }
}

// The small program: this many words, so that every access of every operation is tried.
constexpr int SmallWords = 2;
// Operations with more accesses than this are tried at a fixed sample of them, the same in every
// run.
constexpr long ExhaustiveUpTo = 3'500;

// What an operation reported and whether the chip bears it out: `claim` is empty when it reported
// no success (a failure, differences, "not blank"), else what it said; `truth` says why the claim
// is false, empty when it holds.
struct Verdict {
    std::string claim;
    std::string truth;
};

struct Operation {
    const char* name;
    std::function<void(SimulatedChip&)> prepare;
    std::function<Verdict(const SimulatedChip&)> run;
    long exhaustiveUpTo = ExhaustiveUpTo;
};

// A programming run and the chip and file it is given.
struct ProgramCase {
    const char* name;
    Algorithm algorithm;
    int words;
    bool automatic = false;
    bool protecting = false;  // the file's configuration word protects the chip
    bool weakCells = false;   // two words need three pulses; one of them is a bit from blank
    bool idWords = false;     // the file has ID words, one of them needing two pulses when weak
    long exhaustiveUpTo = ExhaustiveUpTo;
};

class FaultInjectionTest : public ::testing::TestWithParam<int> {
protected:
    const ChipInfo& Real() const { return *FindChip(GetParam()); }
    const ChipFamily& Family() const { return Real().family; }
    std::uint16_t Erased() const { return Family().wordMask; }
    std::uint16_t Truth(const SimulatedChip& chip, int address) const {
        return Family().Forced(chip.ReadableWord(address));
    }
    // A configuration word that hides nothing.
    std::uint16_t Config() const { return static_cast<std::uint16_t>(Erased() & ~0x3u); }
    std::uint16_t Pattern(int address) const {
        return static_cast<std::uint16_t>((address * 0x2A5 + 0x13) & Erased() & ~0x8u);
    }

    // The same chip with `words` words of program memory, for programming a small program.
    ChipInfo Small(int words) const {
        const ChipInfo& real = Real();
        return {real.chipType, real.name, real.family,        words,
                words - 1,     words - 2, real.configAddress, real.idAddress};
    }
    std::vector<std::uint32_t> ImageOf(int words) const {
        std::vector<std::uint32_t> image(0x2100, 0xFFFF);
        for (int k = 0; k < words; ++k) {
            image[static_cast<std::size_t>(k)] = Pattern(k);
        }
        image[static_cast<std::size_t>(Family().configAddress)] = Config();
        return image;
    }

    // A chip to read: a blank word, a word one bit from blank, programmed words, and a
    // configuration word; the image given to Compare differs from it in one bit of the last word.
    void PrepareToRead(SimulatedChip& chip, int words) const {
        chip.SetWord(1, static_cast<std::uint16_t>(Erased() & ~0x10u));
        for (int k = 2; k < words; ++k) {
            chip.SetWord(k, Pattern(k));
        }
        chip.SetConfigWord(Config());
    }
    std::vector<std::uint32_t> CompareImage(int words) const {
        std::vector<std::uint32_t> image(0x2100, 0xFFFF);
        image[1] = static_cast<std::uint16_t>(Erased() & ~0x10u);
        for (int k = 2; k < words; ++k) {
            image[static_cast<std::size_t>(k)] = Pattern(k);
        }
        image[static_cast<std::size_t>(words - 1)] ^= 0x1;
        return image;
    }

    // The ID words a case programs: nibbles, as assemblers write them.
    std::uint16_t IdWord(int i) const { return static_cast<std::uint16_t>(i + 1); }
    std::vector<std::uint32_t> ImageFor(const ProgramCase& c) const {
        std::vector<std::uint32_t> image = ImageOf(c.words);
        if (c.weakCells) {
            image[1] = static_cast<std::uint16_t>(Erased() & ~0x10u);
        }
        if (c.protecting) {
            image[static_cast<std::size_t>(Family().configAddress)] =
                static_cast<std::uint16_t>(Config() & ~Family().protectionBits);
        }
        for (int i = 0; c.idWords && i < IdWordCount; ++i) {
            image[static_cast<std::size_t>(Real().idAddress + i)] = IdWord(i);
        }
        return image;
    }
    // The words the case programs: program memory, then the ID words.
    std::vector<int> Programmed(const ProgramCase& c) const {
        std::vector<int> addresses;
        for (int k = 0; k < c.words; ++k) {
            addresses.push_back(k);
        }
        for (int i = 0; c.idWords && i < IdWordCount; ++i) {
            addresses.push_back(Real().idAddress + i);
        }
        return addresses;
    }

    // The cells as they are, protected or not.
    std::string ProgrammedTruth(const SimulatedChip& chip, const std::vector<std::uint32_t>& image,
                                const ProgramCase& c) const {
        for (int address : Programmed(c)) {
            if (Family().Forced(chip.Word(address)) !=
                Family().Forced(image[static_cast<std::size_t>(address)])) {
                return "word " + std::to_string(address) + " is not the file's";
            }
        }
        const int config = chip.ConfigAddress();
        if (Family().Forced(chip.Word(config)) !=
            Family().Forced(image[static_cast<std::size_t>(config)])) {
            return "the configuration word is not the file's";
        }
        return {};
    }
    // Every word reported programmed by the adaptive algorithm got the maker's margin for the
    // pulses the chip counted it needing.
    std::string MarginTruth(const SimulatedChip& chip, const ProgramCase& c) const {
        const int factor = Family().adaptive.marginFactor;
        for (int address : Programmed(c)) {
            const SimulatedChip::WordPulses pulses = chip.PulsesAt(address);
            if (pulses.margin < factor * pulses.toTake) {
                return "word " + std::to_string(address) + " got " + std::to_string(pulses.margin) +
                       " margin pulses for the " + std::to_string(pulses.toTake) + " it needed";
            }
        }
        return {};
    }

    // Programm as the window and the command line report it: no failed word, and the check from a
    // fresh power-up finds no difference.
    Operation Programming(const char* name, Algorithm algorithm, int words, bool automatic) {
        ProgramCase c{name, algorithm, words};
        c.automatic = automatic;
        return Programming(c);
    }
    Operation Programming(const ProgramCase& c) {
        auto prepare = [this, c](SimulatedChip& chip) {
            if (c.weakCells) {
                chip.SetPulsesNeeded(0, 3);
                chip.SetPulsesNeeded(1, 3);
                if (c.idWords) {
                    chip.SetPulsesNeeded(Real().idAddress + IdWordCount - 1, 2);
                }
            }
        };
        auto run = [this, c](const SimulatedChip& chip) -> Verdict {
            const ChipInfo small = Small(c.words);
            const std::vector<std::uint32_t> image = ImageFor(c);
            const std::vector<std::uint32_t> before = image;
            if (c.automatic) {
                // Automatic's steps before programming: the calibration value, then the blank
                // check, which refuses a chip it finds programmed.
                ReadCalibrationFromChip(link, Family(), c.words - 1, nullptr);
                if (BlankCheckChip(link, Family(), c.words - 1, nullptr).nonBlankWords > 0) {
                    return {};
                }
            }
            const ProgramResult result =
                ProgramChip(link, small, c.algorithm, image.data(), false, c.idWords, nullptr);
            Verdict verdict;
            if (result.errors == 0 && !result.protectionWithheld &&
                CheckProgrammed(link, Family(), image.data(), c.words, !c.protecting, nullptr)
                        .differences == 0) {
                verdict.claim = "programmed";
                verdict.truth = ProgrammedTruth(chip, image, c);
                if (verdict.truth.empty() && c.algorithm == Algorithm::Fast) {
                    verdict.truth = MarginTruth(chip, c);
                }
            }
            // Whatever was reported: a chip that differs from the file is never protected.
            if (chip.CodeProtected() && !ProgrammedTruth(chip, image, c).empty()) {
                verdict.claim = "protection";
                verdict.truth = "protected, and " + ProgrammedTruth(chip, image, c);
            }
            if (result.protectionWithheld && chip.CodeProtected()) {
                verdict.claim = "protection withheld";
                verdict.truth = "the chip is protected";
            }
            if (image != before) {
                verdict.claim = "image";
                verdict.truth = "the image changed";
            }
            return verdict;
        };
        return {c.name, prepare, run, c.exhaustiveUpTo};
    }

    std::vector<Operation> Reads(int words) {
        auto prepare = [this, words](SimulatedChip& chip) { PrepareToRead(chip, words); };
        return {
            {"Read", prepare,
             [this, words](const SimulatedChip& chip) -> Verdict {
                 const std::vector<std::uint16_t> read =
                     ReadProgramWords(link, Family(), words, nullptr);
                 for (int k = 0; k < words; ++k) {
                     if (read[static_cast<std::size_t>(k)] != Truth(chip, k)) {
                         return {"words read", "word " + std::to_string(k) + " is not the chip's"};
                     }
                 }
                 return {"words read", {}};
             }},
            {"Erased ?", prepare,
             [this, words](const SimulatedChip& chip) -> Verdict {
                 const BlankCheckResult result = BlankCheckChip(link, Family(), words - 1, nullptr);
                 int programmed = 0;
                 for (int k = 0; k < words - 1; ++k) {
                     programmed += Truth(chip, k) != 0xFFFF ? 1 : 0;
                 }
                 if (result.nonBlankWords != programmed) {
                     return {"blank check", std::to_string(result.nonBlankWords) +
                                                " words not blank, the chip has " +
                                                std::to_string(programmed)};
                 }
                 if ((result.calibrationWord & 0xFF) != (chip.ReadableWord(words - 1) & 0xFF)) {
                     return {"blank check", "the calibration value is not the chip's"};
                 }
                 return {"blank check", {}};
             }},
            {"Compare", prepare,
             [this, words](const SimulatedChip& chip) -> Verdict {
                 const std::vector<std::uint32_t> image = CompareImage(words);
                 const std::vector<std::uint32_t> before = image;
                 const VerifyResult result =
                     VerifyChip(link, Family(), image.data(), words, true, nullptr);
                 int differ = 0;
                 for (int k = 0; k < words; ++k) {
                     differ +=
                         Truth(chip, k) != Family().Forced(image[static_cast<std::size_t>(k)]);
                 }
                 if (image != before) {
                     return {"image", "the image changed"};
                 }
                 return {"compare", result.differences == differ
                                        ? std::string()
                                        : std::to_string(result.differences) +
                                              " differences, the chip has " +
                                              std::to_string(differ)};
             }},
        };
    }

    std::vector<Operation> ReadOuts() {
        auto prepare = [this](SimulatedChip& chip) {
            PrepareToRead(chip, SmallWords);
            for (int i = 0; i < IdWordCount; ++i) {
                chip.SetWord(Real().idAddress + i, Pattern(i + 7));
            }
        };
        return {
            {"configuration word", prepare,
             [this](const SimulatedChip& chip) -> Verdict {
                 const bool right =
                     ReadConfigWordFromChip(link, Family()) == Truth(chip, chip.ConfigAddress());
                 return {"configuration word", right ? "" : "not the chip's"};
             }},
            {"calibration value", prepare,
             [this](const SimulatedChip& chip) -> Verdict {
                 const int value =
                     ReadCalibrationFromChip(link, Family(), SmallWords - 1, nullptr) & 0xFF;
                 const bool right = value == (chip.ReadableWord(SmallWords - 1) & 0xFF);
                 return {"calibration value", right ? "" : "not the chip's"};
             }},
            {"ID words", prepare,
             [this](const SimulatedChip& chip) -> Verdict {
                 const ConfigAndIdWords words = ReadConfigAndIdWords(link, Real());
                 bool right = words.config == Truth(chip, chip.ConfigAddress());
                 for (int i = 0; i < IdWordCount; ++i) {
                     right = right && words.ids[static_cast<std::size_t>(i)] ==
                                          Truth(chip, Real().idAddress + i);
                 }
                 return {"ID words", right ? "" : "not the chip's"};
             }},
        };
    }

    // Runs the operation once with the fault at access `at`; returns the accesses it made.
    long RunOnce(const Operation& operation, Fault fault, long at) {
        SimulatedBoard board([this] { return delays.clock().Now(); });
        SimulatedChip chip = SimulatedChip::Factory(GetParam(), 0x5A);
        operation.prepare(chip);
        board.Insert(chip);
        board.ClearRecords();
        link.SetIo(board);
        link.Open(0x378);
        FaultyPort port(board, fault, at);
        link.SetIo(port);

        ++runs;
        std::string problem;
        try {
            const Verdict verdict = operation.run(*board.Chip());
            chipFailures += verdict.claim.empty() ? 1 : 0;
            if (!verdict.claim.empty() && !verdict.truth.empty()) {
                problem = "false success (" + verdict.claim + "): " + verdict.truth;
            }
        } catch (const PortFailure&) {
            ++portFailures;
        } catch (const std::exception& error) {
            problem = std::string("unexpected exception: ") + error.what();
        }
        if ((board.SupplyA() || board.SupplyB()) && fault != Fault::LostWritesFromHere) {
            problem += " supplies left on;";
        }
        const auto errors = board.Errors();
        if (CountErrors(errors, SimError::SupplyOrder) + CountErrors(errors, SimError::SupplyGap) >
            0) {
            problem += " power-up out of order or too slow;";
        }
        if (!problem.empty()) {
            ++violations;
            if (listed.size() < 10) {
                std::ostringstream line;
                line << operation.name << ", " << Name(fault) << ", k = " << at << ": " << problem;
                listed.push_back(line.str());
            }
        }
        accessReads = port.Reads();
        return port.Accesses();
    }

    static bool OnReads(Fault fault) {
        return fault == Fault::ReadsHigh || fault == Fault::ReadsLow || fault == Fault::FlippedRead;
    }

    // Every access where the fault does something of its own (a read for a fault on reads, a write
    // for one on writes), or a fixed sample of them when there are too many.
    void Inject(const Operation& operation) {
        const long before = violations;
        const long total = RunOnce(operation, Fault::None, -1);
        ASSERT_EQ(violations, before) << operation.name << " fails without a fault";
        const std::vector<bool> reads = accessReads;
        std::cout << "[ accesses ] " << operation.name << ": " << total << "\n";
        std::mt19937 random(1234);
        const bool exhaustive = everyFaultOnRequest && std::getenv("CHIPSMITH_EVERY_FAULT");
        for (Fault fault : Faults) {
            std::vector<long> positions;
            for (long k = 1; k <= total; ++k) {
                if (reads[static_cast<std::size_t>(k - 1)] == OnReads(fault)) {
                    positions.push_back(k);
                }
            }
            if (exhaustive || static_cast<long>(positions.size()) <= operation.exhaustiveUpTo) {
                for (long k : positions) {
                    RunOnce(operation, fault, k);
                }
            } else {
                std::uniform_int_distribution<std::size_t> any(0, positions.size() - 1);
                for (int i = 0; i < samplesPerFault; ++i) {
                    RunOnce(operation, fault, positions[any(random)]);
                }
            }
        }
    }

    void Report() {
        std::ostringstream all;
        for (const std::string& line : listed) {
            all << "\n  " << line;
        }
        std::cout << "[ figures  ] " << runs << " runs, " << portFailures
                  << " ended as the board's failure, " << chipFailures
                  << " as the chip's (failed words, differences), " << violations
                  << " violations\n";
        EXPECT_EQ(violations, 0) << all.str();
    }

    ScopedVirtualDelays delays;
    // The board the operations run on, over each run's faulty port in turn.
    AbsentPortIo nowhere;
    ProgrammerLink link{nowhere, delays.clock()};
    int samplesPerFault = 60;
    // CHIPSMITH_EVERY_FAULT=1 tries every access, where that ends within minutes.
    bool everyFaultOnRequest = true;
    std::vector<bool> accessReads;  // of the last run
    long runs = 0;
    long portFailures = 0;
    long chipFailures = 0;
    long violations = 0;
    std::vector<std::string> listed;
};

TEST_P(FaultInjectionTest, EveryAccessOfASmallProgram) {
    std::vector<Operation> operations = Reads(SmallWords);
    for (const Operation& operation : ReadOuts()) {
        operations.push_back(operation);
    }
    operations.push_back(Programming("Programm", Algorithm::Classic, SmallWords, false));
    operations.push_back(Programming("Programm --fast", Algorithm::Fast, SmallWords, false));
    operations.push_back(Programming("Automatic", Algorithm::Classic, SmallWords, true));
    for (const Operation& operation : operations) {
        SCOPED_TRACE(operation.name);
        Inject(operation);
    }
    Report();
}

// Protecting configurations, and the margin of the adaptive algorithm over cells that need more
// than one pulse: every access for the margin, whose faults lie at a few reads; a sample for the
// protecting runs, which are long (CHIPSMITH_EVERY_FAULT=1 tries every access of every run, in
// about two minutes).
TEST_P(FaultInjectionTest, ProtectingAndWeakPrograms) {
    samplesPerFault = 800;
    ProgramCase cases[] = {
        {"Programm, protecting", Algorithm::Classic, SmallWords},
        {"Programm --fast, protecting", Algorithm::Fast, SmallWords},
        {"Automatic, protecting", Algorithm::Classic, SmallWords},
        {"Programm --fast, weak cells", Algorithm::Fast, SmallWords},
        {"Programm --fast, weak cells, protecting", Algorithm::Fast, SmallWords},
    };
    cases[0].protecting = cases[1].protecting = cases[2].protecting = cases[4].protecting = true;
    cases[2].automatic = true;
    cases[3].weakCells = cases[4].weakCells = true;
    cases[3].exhaustiveUpTo = 40'000;
    for (const ProgramCase& c : cases) {
        SCOPED_TRACE(c.name);
        Inject(Programming(c));
    }
    Report();
}

// The ID words are the last words before the power cycle to the configuration word: a few of the
// accesses, as they lie past a long walk over the addresses.
TEST_P(FaultInjectionTest, ASampleOfProgramsWithIdWords) {
    samplesPerFault = 400;
    ProgramCase cases[] = {
        {"Programm --fast, ID words, weak cells", Algorithm::Fast, SmallWords},
        {"Programm --fast, ID words, weak cells, protecting", Algorithm::Fast, SmallWords},
    };
    for (ProgramCase& c : cases) {
        c.idWords = c.weakCells = true;
    }
    cases[1].protecting = true;
    for (const ProgramCase& c : cases) {
        SCOPED_TRACE(c.name);
        Inject(Programming(c));
    }
    Report();
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, FaultInjectionTest, ::testing::Values(1, 4));

// A full chip makes hundreds of thousands of accesses an operation: a few of them, on the smallest.
using FullChipFaultTest = FaultInjectionTest;

TEST_P(FullChipFaultTest, ASampleOfAccessesOverAFullChip) {
    samplesPerFault = 12;
    everyFaultOnRequest = false;
    std::vector<Operation> operations = Reads(Real().memoryWords);
    operations.push_back(
        Programming("Programm --fast", Algorithm::Fast, Real().memoryWords - 1, false));
    for (const Operation& operation : operations) {
        SCOPED_TRACE(operation.name);
        Inject(operation);
    }
    Report();
}

INSTANTIATE_TEST_SUITE_P(Smallest, FullChipFaultTest, ::testing::Values(1));

}  // namespace
