#include <gtest/gtest.h>

#include <QProgressBar>
#include <QSignalSpy>

#include "app/FramedProgress.h"

namespace {

constexpr std::int64_t Millisecond = 1'000'000;

// A loop of `words` words, each taking nsPerWord on the run's clock, reporting its position after
// every word as the word loops do.
struct LoopCase {
    int words;
    std::int64_t nsPerWord;
    std::int64_t frameNs;
    int mostDraws;  // the frames the loop's time spans, plus the first and the last
};

class FramedProgressTest : public ::testing::TestWithParam<LoopCase> {};

TEST_P(FramedProgressTest, TheBarMovesOnceAFrameAndEndsWhereTheLoopEnded) {
    const LoopCase loop = GetParam();
    QProgressBar bar;
    bar.setRange(0, 100);
    bar.reset();
    QSignalSpy draws(&bar, &QProgressBar::valueChanged);
    std::int64_t now = 0;
    {
        const Progress progress = FramedProgress(
            &bar, [&now] { return now; }, loop.frameNs);
        for (int k = 0; k < loop.words; ++k) {
            now += loop.nsPerWord;
            progress(100 * (k + 1) / loop.words);
        }
    }
    EXPECT_LE(draws.count(), loop.mostDraws);
    EXPECT_GE(draws.count(), 1);
    EXPECT_EQ(bar.value(), 100) << "the last position, though it fell between frames";
}

INSTANTIATE_TEST_SUITE_P(
    Loops, FramedProgressTest,
    ::testing::Values(
        // A 12C672 blank check on a fast port: 4096 words in about 0.4 s, at 60 Hz.
        LoopCase{4096, 100'000, 16'666'667, 27},
        // The same loop on a clock that does not move (a board with no waits): one frame.
        LoopCase{4096, 0, 16'666'667, 2},
        // A slow loop, a word a frame: every position that changes is drawn.
        LoopCase{50, 20 * Millisecond, 16'666'667, 50},
        // A fast screen: more frames, still far fewer than words.
        LoopCase{2048, 200'000, 6'944'444, 61}));

}  // namespace
