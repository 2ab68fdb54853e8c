#pragma once

// A word loop's progress, shown at the screen's pace: the bar takes the latest position once a
// frame, when the windows are pumped (OperationPump), not at every word, since drawing it costs
// far more than a word takes to read. When the loop ends the bar shows where it ended.

#include <cstdint>
#include <functional>

#include "chip/ChipOperations.h"

class QProgressBar;

// nowNs: the clock the loop waits on (the board's); frameNs: 0 for the primary screen's frame.
// The windows are pumped, and the user's input dropped, for as long as the result lives: pass it
// straight to the loop, so that it ends with the loop.
Progress FramedProgress(QProgressBar* bar, std::function<std::int64_t()> nowNs,
                        std::int64_t frameNs = 0);
