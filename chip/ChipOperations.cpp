// Read, blank check and verify: one pass over the words, each read once.

#include "chip/ChipOperations.h"

#include <algorithm>
#include <array>

#include "chip/ChipTable.h"
#include "chip/Interruption.h"
#include "link/ProgrammerPort.h"

namespace {

std::uint16_t ReadWord(ProgrammerLink& board) {
    SendCommand(board, ReadData);
    return ReadDataWord(board);
}

void Report(const Progress& progress, int done, int total) {
    if (progress) {
        progress(100 * done / total);
    }
}

// Words queued before their samples are taken: a batching backend (a USB adapter) then reads this
// many words in one transfer instead of one each.
constexpr int WordsQueuedAtOnce = 32;

// Reads words 0..n-1 from where the chip stands, stepping past each, and gives each to `each`
// (forced with the family's mask) in order. Any other port reads word by word, each given before
// the next is read.
template <typename Each>
void ForEachWord(ProgrammerLink& board, const ChipFamily& family, int n, Each each) {
    const int block = board.Port().Batches() ? WordsQueuedAtOnce : 1;
    std::array<ReadFrame, WordsQueuedAtOnce> frames;
    for (int first = 0; first < n; first += block) {
        const int end = std::min(n, first + block);
        for (int k = first; k < end; ++k) {
            StopPoint(k);
            SendCommand(board, ReadData);
            frames[static_cast<std::size_t>(k - first)] = QueueReadDataWord(board);
            SendCommand(board, IncrementAddress);
        }
        for (int k = first; k < end; ++k) {
            const std::uint16_t word =
                TakeDataWord(board, frames[static_cast<std::size_t>(k - first)]);
            each(k, static_cast<std::uint16_t>(word | family.ReadForceMask));
        }
    }
}

}  // namespace

void ReadWordsFromHere(ProgrammerLink& board, const ChipFamily& family, int n, std::uint32_t* image,
                       const Progress& progress) {
    ForEachWord(board, family, n, [&](int k, std::uint16_t word) {
        image[k] = word;
        Report(progress, k + 1, n);
    });
}

void ReadChipWords(ProgrammerLink& board, const ChipFamily& family, int n, std::uint32_t* image,
                   const Progress& progress) {
    board.Pause(SettleMilliseconds);
    ReadWordsFromHere(board, family, n, image, progress);
    ExitProgramMode(board);
    // The configuration read-out that follows powers up again; let the supplies fall first.
    board.Pause(SettleMilliseconds);
}

BlankCheckResult BlankCheckWords(ProgrammerLink& board, const ChipFamily& family, int n,
                                 const Progress& progress) {
    board.Pause(SettleMilliseconds);
    BlankCheckResult result{0, 0};
    ForEachWord(board, family, n, [&](int k, std::uint16_t word) {
        if (word != 0xFFFF) {
            ++result.nonBlankWords;
        }
        Report(progress, k + 1, n);
    });
    result.calibrationWord = ReadWord(board);
    ExitProgramMode(board);
    return result;
}

VerifyResult VerifyWords(ProgrammerLink& board, const ChipFamily& family,
                         const std::uint32_t* image, int count, bool verifyAllowed,
                         const Progress& progress) {
    board.Pause(SettleMilliseconds);
    if (!verifyAllowed) {
        ExitProgramMode(board);
        return {true, 0, {}};
    }
    VerifyResult result{false, 0, {}};
    ForEachWord(board, family, count, [&](int k, std::uint16_t word) {
        const std::uint16_t expected = static_cast<std::uint16_t>(image[k] | family.ReadForceMask);
        if (word != expected) {
            ++result.differences;
            result.mismatches.push_back({k, word, expected});
        }
        Report(progress, k + 1, count);
    });
    ExitProgramMode(board);
    return result;
}
