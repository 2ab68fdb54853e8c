#pragma once

#include <chrono>
#include <cstdint>

#include "link/Delays.h"

// Forwards every wait to another Delays and keeps account: what the algorithm asked for (pause
// milliseconds, busy-wait iterations at their nominal length) and how long its pauses really took.
class CountingDelays final : public Delays {
public:
    explicit CountingDelays(Delays& real) : real_(real) {}

    void Pause(int milliseconds) override {
        const auto start = std::chrono::steady_clock::now();
        real_.Pause(milliseconds);
        pauseSpentNs_ += std::chrono::duration_cast<std::chrono::nanoseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();
        pauseAskedNs_ += std::int64_t{milliseconds} * 1'000'000;
    }
    void BusyWait(int iterations) override {
        real_.BusyWait(iterations);
        busyAskedNs_ += std::int64_t{iterations} * BusyWaitNanosecondsPerIteration;
    }

    void Reset() { pauseAskedNs_ = pauseSpentNs_ = busyAskedNs_ = 0; }
    std::int64_t PauseAskedNs() const { return pauseAskedNs_; }
    std::int64_t PauseSpentNs() const { return pauseSpentNs_; }
    std::int64_t BusyAskedNs() const { return busyAskedNs_; }
    std::int64_t RequiredNs() const { return pauseAskedNs_ + busyAskedNs_; }

private:
    Delays& real_;
    std::int64_t pauseAskedNs_ = 0;
    std::int64_t pauseSpentNs_ = 0;
    std::int64_t busyAskedNs_ = 0;
};
