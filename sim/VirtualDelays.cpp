#include "sim/VirtualDelays.h"

#include <numeric>

void VirtualDelays::Pause(int milliseconds) {
    pauses_.push_back(milliseconds);
    if (milliseconds > 0) {
        now_ += std::int64_t{milliseconds} * 1'000'000;
    }
}

void VirtualDelays::BusyWait(int iterations) {
    if (iterations > 0) {
        busyIterations_ += iterations;
        now_ += std::int64_t{iterations} * BusyWaitNanosecondsPerIteration;
    }
}

void VirtualDelays::WaitUntil(std::int64_t deadline) {
    if (deadline > now_) {
        waitedUntilNs_ += deadline - now_;
        now_ = deadline;
    }
}

std::int64_t VirtualDelays::PausedMilliseconds() const {
    return std::accumulate(pauses_.begin(), pauses_.end(), std::int64_t{0});
}
