// The passes a read makes before its answer stands: two alike, a third to settle, a first that
// reads as expected after programming; three different answers are the chip's.

#include <gtest/gtest.h>

#include <vector>

#include "chip/AgreedRead.h"
#include "link/ProgrammerLink.h"
#include "sim/VirtualDelays.h"

namespace {

TEST(AgreedReadTest, PassesUntilTheBoardAgrees) {
    const struct {
        std::vector<int> answers;  // what each pass reads, in turn
        bool expectFirst;          // the caller expects what the first pass reads
        int result;                // -1: InconsistentReads
        int passes;
    } rows[] = {
        {{5, 5}, false, 5, 2},
        {{5, 6, 6}, false, 6, 3},
        {{5, 6, 5}, false, 5, 3},
        {{5, 6, 7}, false, -1, 3},
        {{5}, true, 5, 1},
        // Not what was expected: a result to report, read as any other.
        {{4, 4}, true, 4, 2},
        {{4, 5, 5}, true, 5, 3},
    };
    VirtualDelays clock;
    AbsentPortIo port;
    ProgrammerLink board(port, clock);
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.answers));
        int passes = 0;
        const std::function<int(const Progress&)> pass = [&](const Progress&) {
            return row.answers.at(static_cast<std::size_t>(passes++));
        };
        const std::function<bool(const int&)> expected = [](const int& value) {
            return value == 5;
        };
        if (row.result < 0) {
            EXPECT_THROW(Agreed(board, pass, nullptr), InconsistentReads);
        } else {
            EXPECT_EQ(Agreed(board, pass, nullptr, row.expectFirst ? expected : nullptr),
                      row.result);
        }
        EXPECT_EQ(passes, row.passes);
    }
}

}  // namespace
