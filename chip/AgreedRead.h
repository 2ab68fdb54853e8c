#pragma once

// A read the board's answers must agree on. A glitch on the returned data line changes a word, a
// write the port lost (a clock edge) puts the chip's address counter out of step for the rest of
// its power-up; both stay within one pass. So the read is done twice, each pass in a power-up of
// its own; when the two differ, once more, and the answer is the third pass where it agrees with
// one of the first two. Three different answers, while the board's own checks around each pass
// held, are the chip's: a cell programmed too weakly to read the same at every power-up, or a poor
// contact in the socket.
//
// A check after programming knows what the chip should hold. A chip can differ from that only if
// programming went wrong, and a board at fault then could not also make the check's pass read
// exactly the file: so a first pass that reads as expected (`expected`) stands alone, and only a
// difference, which is a result to report, is read again as above.

#include <functional>

#include "chip/ChipOperations.h"
#include "link/PortIo.h"
#include "link/ProgrammerLink.h"

// Three passes of the same read gave three answers. A PortFailure, so that every bracket and
// harness treats it as the run's end, but the front ends say it of the chip, not the board.
class InconsistentReads : public PortFailure {
public:
    using PortFailure::PortFailure;
};

// Between two passes, for the supplies to fall, as between the two power-ups of programming.
constexpr int PassGapMilliseconds = 20;

template <typename Result>
Result Agreed(ProgrammerLink& board, const std::function<Result(const Progress&)>& pass,
              const Progress& progress,
              const std::function<bool(const Result&)>& expected = nullptr) {
    // The bar runs once over both passes; a third pass shows as the second half again.
    auto half = [&progress](int from) -> Progress {
        if (!progress) {
            return nullptr;
        }
        return [&progress, from](int position) { progress(from + position / 2); };
    };
    const Result first = pass(half(0));
    if (expected && expected(first)) {
        if (progress) {
            progress(100);
        }
        return first;
    }
    board.Pause(PassGapMilliseconds);
    const Result second = pass(half(50));
    if (first == second) {
        return first;
    }
    board.Pause(PassGapMilliseconds);
    const Result third = pass(half(50));
    if (third == first || third == second) {
        return third;
    }
    throw InconsistentReads(
        "the chip reads differently at each power-up: three reads of it gave three different "
        "answers (a weakly programmed cell, or a poor contact in the socket)");
}
