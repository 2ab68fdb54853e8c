#include "bench/BoardsBenchmark.h"

#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "chip/ChipTable.h"
#include "chip/ProgrammingAlgorithm.h"
#include "link/ProgrammerLink.h"
#include "link/SharedCoreDelays.h"
#include "link/SystemDelays.h"
#include "sim/SimulatedBoard.h"

namespace {

template <typename Waits>
struct Board {
    SimulatedBoard simulated{SteadyNanoseconds};
    Waits delays;
    std::unique_ptr<ProgrammerLink> link;
    int errors = 0;
    std::size_t simulationErrors = 0;
};

// Wall milliseconds for `count` boards to program the image at once, each waiting on its own
// `Waits`; the errors, and the longest pulse any chip saw (how far a late wake-up or a preempted
// thread stretched one).
template <typename Waits>
double ProgramOnBoards(const ChipInfo& chip, const std::vector<std::uint32_t>& image, int count,
                       int& errors, std::int64_t& longestPulseNs) {
    std::vector<std::unique_ptr<Board<Waits>>> boards;
    for (int k = 0; k < count; ++k) {
        auto board = std::make_unique<Board<Waits>>();
        board->simulated.Insert(SimulatedChip::Factory(chip.chipType, 0x5A));
        board->link = std::make_unique<ProgrammerLink>(board->simulated, board->delays,
                                                       board->simulated.Base());
        boards.push_back(std::move(board));
    }
    const std::int64_t start = SteadyNanoseconds();
    std::vector<std::thread> threads;
    for (auto& board : boards) {
        threads.emplace_back([&chip, &image, &board] {
            const ProgramResult result = ProgramChip(*board->link, chip, Algorithm::Fast,
                                                     image.data(), true, false, [](int) {});
            board->errors = result.errors;
            board->simulationErrors = board->simulated.Errors().size();
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    const double ms = static_cast<double>(SteadyNanoseconds() - start) / 1e6;
    errors = 0;
    longestPulseNs = 0;
    for (const auto& board : boards) {
        errors += board->errors + static_cast<int>(board->simulationErrors);
        for (const auto& pulse : board->simulated.Chip()->Pulses()) {
            longestPulseNs = pulse.durationNs > longestPulseNs ? pulse.durationNs : longestPulseNs;
        }
    }
    return ms;
}

struct Times {
    double one;
    double all;
};

template <typename Waits>
Times Compare(const ChipInfo& chip, const std::vector<std::uint32_t>& image, int boards,
              const char* waits) {
    int oneErrors = 0;
    int allErrors = 0;
    std::int64_t oneLongest = 0;
    std::int64_t allLongest = 0;
    const double one = ProgramOnBoards<Waits>(chip, image, 1, oneErrors, oneLongest);
    const double all = ProgramOnBoards<Waits>(chip, image, boards, allErrors, allLongest);
    std::printf(
        "%s Programm --fast, a full chip, %s: 1 board %.1f ms, %d boards at once %.1f ms, "
        "ratio %.2f (errors: %d, %d; longest pulse %.1f us, %.1f us; %u cores)\n",
        chip.name, waits, one, boards, all, all / one, oneErrors, allErrors,
        static_cast<double>(oneLongest) / 1e3, static_cast<double>(allLongest) / 1e3,
        std::thread::hardware_concurrency());
    std::fflush(stdout);
    return {one, all};
}

}  // namespace

void BenchmarkBoards(const ChipInfo& chip, const std::vector<std::uint32_t>& image, int boards) {
    // What chipsmith-cli gives each of several boards, and the one board's waits for comparison.
    const Times shared = Compare<SharedCoreDelays>(chip, image, boards, "SharedCoreDelays");
    const Times system = Compare<SystemDelays>(chip, image, boards, "SystemDelays");
    std::printf(
        "as chipsmith-cli runs them: 1 board (SystemDelays) %.1f ms, %d boards "
        "(SharedCoreDelays) %.1f ms, ratio %.2f\n",
        system.one, boards, shared.all, shared.all / system.one);
}
