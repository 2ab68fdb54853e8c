// How long the chip operations take with the real clock, against the simulated board: for every
// chip, Read, Erased ?, Programm with the window's algorithm and with the chip maker's adaptive one
// (--fast, on a fresh chip), and Compare of a full random image, each set against the waits the
// algorithm asks for. A ratio near 1 means the host adds little to the chip's own timing. The
// programming rows also say how long the chip saw its programming pulses (as it times them).
// Not a test: it sleeps for real and takes a while (programming a 12C672 alone is 15-25 s).

#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench/CountingDelays.h"
#include "chip/ChipOperations.h"
#include "chip/ChipSession.h"
#include "chip/ChipTable.h"
#include "chip/ProgrammingAlgorithm.h"
#include "image/IntelHex.h"
#include "link/ProgrammerLink.h"
#include "link/SystemDelays.h"
#include "sim/SimulatedBoard.h"

namespace {

constexpr int OvershootSamples = 200;

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

void PrintHeader() {
    std::printf("%-7s %-15s %10s %10s %6s | %9s %9s %6s | %9s | %10s %10s | %s\n", "chip",
                "operation", "wall ms", "needed ms", "ratio", "pause ms", "spent ms", "ratio",
                "busy ms", "port reads", "writes", "outcome");
}

// Runs one operation, power-up included as the command handler does it, and prints its row.
void Measure(const char* chipName, const char* operation, SimulatedBoard& board,
             CountingDelays& counting, const std::function<std::string()>& run) {
    board.ClearRecords();
    counting.Reset();
    const std::int64_t start = SteadyNanoseconds();
    std::string outcome = run();
    const double wallMs = static_cast<double>(SteadyNanoseconds() - start) / 1e6;
    const double neededMs = static_cast<double>(counting.RequiredNs()) / 1e6;
    const double pauseMs = static_cast<double>(counting.PauseAskedNs()) / 1e6;
    const double spentMs = static_cast<double>(counting.PauseSpentNs()) / 1e6;
    const auto errors = board.Errors();
    if (!errors.empty()) {
        outcome += ", simulation errors: " + std::to_string(errors.size()) + " (" + errors[0] + ")";
    }
    std::printf("%-7s %-15s %10.1f %10.1f %6.3f | %9.1f %9.1f %6.3f | %9.1f | %10lld %10lld | %s\n",
                chipName, operation, wallMs, neededMs, wallMs / neededMs, pauseMs, spentMs,
                pauseMs > 0 ? spentMs / pauseMs : 0.0,
                static_cast<double>(counting.BusyAskedNs()) / 1e6,
                static_cast<long long>(board.PortReads()),
                static_cast<long long>(board.PortWrites()), outcome.c_str());
    std::fflush(stdout);
}

void BenchmarkChip(const ChipInfo& chip, CountingDelays& counting, std::mt19937& random) {
    const ChipFamily& family = chip.family;
    SimulatedBoard board{SteadyNanoseconds};
    board.Insert(SimulatedChip::Factory(chip.chipType, 0x5A));
    // This chip's board is the port until the next chip's.
    InstalledLink link(board, board.Base());
    const std::vector<std::uint32_t> image = RandomImage(chip, random);
    std::vector<std::uint32_t> readBack(ImageSlots, 0xFFFF);
    const Progress progress = [](int) {};

    Measure(chip.name, "Read", board, counting, [&] {
        RunOnChip(family, StartAt::AddressZero,
                  [&] { ReadChipWords(family, chip.memoryWords, readBack.data(), progress); });
        return std::to_string(chip.memoryWords) + " words";
    });
    Measure(chip.name, "Erased ?", board, counting, [&] {
        const BlankCheckResult result = RunOnChip(family, StartAt::AddressZero, [&] {
            return BlankCheckWords(family, chip.calibrationAddress, progress);
        });
        return std::to_string(result.nonBlankWords) + " not blank";
    });
    const auto program = [&](Algorithm algorithm) {
        const ProgramResult result =
            ProgramChip(chip, algorithm, image.data(), true, false, progress);
        char pulses[64];
        std::snprintf(pulses, sizeof pulses, ", pulses %.1f ms", PulseMilliseconds(board));
        return std::to_string(result.errors) + " errors" + pulses;
    };
    Measure(chip.name, "Programm", board, counting, [&] { return program(Algorithm::Classic); });
    board.Insert(SimulatedChip::Factory(chip.chipType, 0x5A));
    Measure(chip.name, "Programm --fast", board, counting,
            [&] { return program(Algorithm::Fast); });
    Measure(chip.name, "Compare", board, counting, [&] {
        const VerifyResult result = RunOnChip(family, StartAt::AddressZero, [&] {
            return VerifyWords(family, image.data(), chip.maxUsableAddress + 1, true, progress);
        });
        return std::to_string(result.differences) + " differences";
    });
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

}  // namespace

int main() {
    Delays& real = CurrentDelays();  // the system clock: nothing else installed one
    CountingDelays counting(real);
    SetDelays(counting);
    std::mt19937 random(20240601);

    std::printf("wall: measured; needed: pauses asked + busy-wait iterations x %ld ns\n",
                BusyWaitNanosecondsPerIteration);
    PrintHeader();
    for (const ChipInfo& chip : ChipTable) {
        BenchmarkChip(chip, counting, random);
    }
    std::printf("\n");
    PrintPauseOvershoot(real, 1);
    PrintPauseOvershoot(real, 2);
    return 0;
}
