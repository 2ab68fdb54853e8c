// How long the chip operations take with the real clock, against the simulated board: for every
// chip, Read, Erased ?, Programm with the window's algorithm and with the chip maker's adaptive one
// (--fast, on a fresh chip), and Compare of a full random image, each set against the waits the
// algorithm asks for. A ratio near 1 means the host adds little to the chip's own timing. The
// programming rows also say how long the chip saw its programming pulses (as it times them).
//
// The simulated board answers an access in well under a microsecond; a real port takes about one.
// So each row also gives an estimate for real hardware: the same operation run again on a virtual
// clock where every port access takes a fixed time (1 us unless --access-ns says otherwise, or
// what --measure-port measured), so that the waits of the frames fall as they would on such a
// port; with the pauses' overshoot on the real clock added. That is: the time the program waits,
// plus port accesses times the cost of one.
//
// Not a test: it sleeps for real and takes a while (programming a 12C672 alone is about 13 s).
//   chipsmith_benchmark [--chip 12c672] [--access-ns N] [--measure-port lpt1|0x378|/dev/parportN]
//   chipsmith_benchmark --boards 4 [--chip 12c672]: a full chip programmed with --fast on 4
//   simulated boards at once, each on its own thread, against one board

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench/BoardsBenchmark.h"
#include "bench/CountingDelays.h"
#include "bench/PortAccessTiming.h"
#include "chip/ChipOperations.h"
#include "chip/ChipReads.h"
#include "chip/ChipSession.h"
#include "chip/ChipTable.h"
#include "chip/ProgrammingAlgorithm.h"
#include "image/IntelHex.h"
#include "link/ProgrammerLink.h"
#include "link/SystemDelays.h"
#include "sim/SimulatedBoard.h"
#include "sim/SlowPort.h"
#include "sim/VirtualDelays.h"

namespace {

constexpr int OvershootSamples = 200;

struct Options {
    std::int64_t accessNs = 1'000;
    bool accessGiven = false;
    std::string measurePort;
    std::string chip;
    int boards = 0;  // --boards N: N boards at once against one, and nothing else
};

// Every usable word non-blank, the calibration slot left blank (the chip keeps its own), and a
// configuration word with code protection off so that Compare may read.
std::vector<std::uint32_t> RandomImage(const ChipInfo& chip, std::mt19937& random) {
    const ChipFamily& family = chip.family;
    std::vector<std::uint32_t> image(ImageSlots, 0xFFFF);
    std::uniform_int_distribution<std::uint32_t> word(0, family.wordMask - 1u);
    for (int k = 0; k <= chip.maxUsableAddress; ++k) {
        image[static_cast<std::size_t>(k)] = word(random);
    }
    const std::uint32_t unprotected = family.Is14Bit() ? 0x3F60 : 0x0008;
    image[static_cast<std::size_t>(family.configAddress)] = word(random) | unprotected;
    return image;
}

// How long the chip saw programming pulses since the records were cleared.
double PulseMilliseconds(SimulatedBoard& board) {
    std::int64_t total = 0;
    for (const auto& pulse : board.Chip()->Pulses()) {
        total += pulse.durationNs;
    }
    return static_cast<double>(total) / 1e6;
}

std::string SimulationErrors(const SimulatedBoard& board) {
    const auto errors = board.Errors();
    if (errors.empty()) {
        return "";
    }
    return ", simulation errors: " + std::to_string(errors.size()) + " (" + errors[0] + ")";
}

// One operation of the run: its name, the words it walks (for the writes a word), whether it
// wants a fresh chip, and what it does; it returns its outcome.
struct Step {
    const char* name;
    int words;
    bool freshChip;
    std::function<std::string(ProgrammerLink&, SimulatedBoard&)> run;
};

std::vector<Step> Steps(const ChipInfo& chip, const std::vector<std::uint32_t>& image) {
    const ChipFamily& family = chip.family;
    const Progress progress = [](int) {};
    const auto program = [&chip, &image, progress](Algorithm algorithm) {
        return [&chip, &image, progress, algorithm](ProgrammerLink& link, SimulatedBoard& board) {
            const ProgramResult result =
                ProgramChip(link, chip, algorithm, image.data(), true, false, progress);
            char pulses[64];
            std::snprintf(pulses, sizeof pulses, ", pulses %.1f ms", PulseMilliseconds(board));
            return std::to_string(result.errors) + " errors" + pulses;
        };
    };
    return {
        {"Read", chip.memoryWords, false,
         [&chip, &family, progress](ProgrammerLink& link, SimulatedBoard&) {
             const auto words = ReadProgramWords(link, family, chip.memoryWords, progress);
             return std::to_string(words.size()) + " words";
         }},
        {"Erased ?", chip.memoryWords, false,
         [&chip, &family, progress](ProgrammerLink& link, SimulatedBoard&) {
             const BlankCheckResult result =
                 BlankCheckChip(link, family, chip.calibrationAddress, progress);
             return std::to_string(result.nonBlankWords) + " not blank";
         }},
        {"Programm", chip.memoryWords - 1, false, program(Algorithm::Classic)},
        {"Programm --fast", chip.memoryWords - 1, true, program(Algorithm::Fast)},
        {"Compare", chip.maxUsableAddress + 1, false,
         [&chip, &family, &image, progress](ProgrammerLink& link, SimulatedBoard&) {
             const VerifyResult result =
                 VerifyChip(link, family, image.data(), chip.maxUsableAddress + 1, true, progress);
             return std::to_string(result.differences) + " differences";
         }},
    };
}

void Refill(SimulatedBoard& board, const ChipInfo& chip) {
    board.Insert(SimulatedChip::Factory(chip.chipType, 0x5A));
}

// The steps on a virtual clock where every port access takes accessNs: how long each would take
// on such a port, pauses exactly as asked; simulation errors, if the chip saw any, ride along.
struct Estimate {
    double ms;
    std::string errors;
};
std::vector<Estimate> EstimateSteps(const ChipInfo& chip, const std::vector<Step>& steps,
                                    std::int64_t accessNs) {
    ScopedVirtualDelays delays;
    SimulatedBoard board{[&delays] { return delays.clock().Now(); }};
    Refill(board, chip);
    SlowPort port(board, delays.clock(), accessNs);
    ProgrammerLink link(port, delays.clock(), board.Base());
    std::vector<Estimate> estimates;
    for (const Step& step : steps) {
        if (step.freshChip) {
            Refill(board, chip);
        }
        board.ClearRecords();
        const std::int64_t start = delays.clock().Now();
        step.run(link, board);
        estimates.push_back(
            {static_cast<double>(delays.clock().Now() - start) / 1e6, SimulationErrors(board)});
    }
    return estimates;
}

void PrintHeader(std::int64_t accessNs) {
    std::printf(
        "wall: measured on the simulated board; needed: pauses asked + busy-waits (pulses, "
        "supplies) at %ld ns an iteration;\nedge: time spent waiting for the frames' edges; "
        "real hw: estimate for a real port at %lld ns an access (waits + accesses x %lld ns,\n"
        "the pauses as long as the real clock kept them)\n",
        BusyWaitNanosecondsPerIteration, static_cast<long long>(accessNs),
        static_cast<long long>(accessNs));
    std::printf("%-7s %-15s %9s %9s %6s | %8s %8s %6s | %7s | %7s %8s %7s | %10s | %s\n", "chip",
                "operation", "wall ms", "needed ms", "ratio", "pause ms", "spent ms", "ratio",
                "edge ms", "reads", "writes", "w/word", "real hw ms", "outcome");
}

void BenchmarkChip(const ChipInfo& chip, CountingDelays& counting, std::mt19937& random,
                   std::int64_t accessNs) {
    const std::vector<std::uint32_t> image = RandomImage(chip, random);
    const std::vector<Step> steps = Steps(chip, image);
    const std::vector<Estimate> estimates = EstimateSteps(chip, steps, accessNs);

    SimulatedBoard board{SteadyNanoseconds};
    Refill(board, chip);
    // This chip's board is the port until the next chip's.
    ProgrammerLink link(board, counting, board.Base());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        if (step.freshChip) {
            Refill(board, chip);
        }
        board.ClearRecords();
        counting.Reset();
        const std::int64_t start = SteadyNanoseconds();
        const std::string outcome = step.run(link, board) + SimulationErrors(board);
        const double wallMs = static_cast<double>(SteadyNanoseconds() - start) / 1e6;
        const double neededMs = static_cast<double>(counting.RequiredNs()) / 1e6;
        const double pauseMs = static_cast<double>(counting.PauseAskedNs()) / 1e6;
        const double spentMs = static_cast<double>(counting.PauseSpentNs()) / 1e6;
        const double realMs = estimates[i].ms + (spentMs - pauseMs);
        std::printf(
            "%-7s %-15s %9.1f %9.1f %6.3f | %8.1f %8.1f %6.3f | %7.1f | %7lld %8lld %7.1f | "
            "%10.1f | %s%s\n",
            chip.name, step.name, wallMs, neededMs, wallMs / neededMs, pauseMs, spentMs,
            pauseMs > 0 ? spentMs / pauseMs : 0.0, static_cast<double>(counting.EdgeWaitNs()) / 1e6,
            static_cast<long long>(board.PortReads()), static_cast<long long>(board.PortWrites()),
            static_cast<double>(board.PortWrites()) / step.words, realMs, outcome.c_str(),
            estimates[i].errors.empty() ? "" : (" (estimate" + estimates[i].errors + ")").c_str());
        std::fflush(stdout);
    }
}

void PrintPauseOvershoot(Delays& real, int milliseconds) {
    std::int64_t total = 0;
    std::int64_t worst = 0;
    for (int i = 0; i < OvershootSamples; ++i) {
        const std::int64_t start = SteadyNanoseconds();
        real.Pause(milliseconds);
        const std::int64_t over =
            SteadyNanoseconds() - start - std::int64_t{milliseconds} * 1'000'000;
        total += over;
        worst = over > worst ? over : worst;
    }
    std::printf("Pause(%d): mean overshoot %.1f us, worst %.1f us (%d samples)\n", milliseconds,
                static_cast<double>(total) / OvershootSamples / 1e3,
                static_cast<double>(worst) / 1e3, OvershootSamples);
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 >= argc) {
            return false;
        }
        const std::string value = argv[++i];
        if (name == "--access-ns") {
            char* end = nullptr;
            options.accessNs = std::strtoll(value.c_str(), &end, 10);
            options.accessGiven = true;
            if (*end != '\0' || options.accessNs < 0) {
                return false;
            }
        } else if (name == "--measure-port") {
            options.measurePort = value;
        } else if (name == "--chip") {
            options.chip = value;
        } else if (name == "--boards") {
            options.boards = std::atoi(value.c_str());
            if (options.boards < 1) {
                return false;
            }
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: %s [--chip NAME] [--access-ns N] [--measure-port lpt1|0x378|"
                     "/dev/parportN] [--boards N]\n",
                     argv[0]);
        return 2;
    }
    if (!options.measurePort.empty()) {
        // Only when asked: it claims a real port.
        std::string why;
        const double measured = MeasurePortAccessNs(options.measurePort, why);
        if (measured < 0) {
            std::fprintf(stderr, "%s: %s\n", options.measurePort.c_str(), why.c_str());
            return 1;
        }
        if (!options.accessGiven) {
            options.accessNs = static_cast<std::int64_t>(measured + 0.5);
        }
    }

    SystemDelays real;
    CountingDelays counting(real);
    std::mt19937 random(20240601);

    if (options.boards > 0) {
        for (const ChipInfo& chip : ChipTable) {
            const std::vector<std::uint32_t> image = RandomImage(chip, random);
            if (options.chip.empty() ? chip.chipType == 4 : options.chip == chip.name) {
                BenchmarkBoards(chip, image, options.boards);
            }
        }
        return 0;
    }
    PrintHeader(options.accessNs);
    for (const ChipInfo& chip : ChipTable) {
        // Every chip's image is drawn, so that one chip's figures do not depend on the filter.
        if (options.chip.empty() || options.chip == chip.name) {
            BenchmarkChip(chip, counting, random, options.accessNs);
        } else {
            RandomImage(chip, random);
        }
    }
    std::printf("\n");
    PrintPauseOvershoot(real, 1);
    PrintPauseOvershoot(real, 2);
    return 0;
}
