#pragma once

#include <cstdint>

#include "link/Delays.h"

// Forwards every wait to another Delays and keeps account: what the algorithm asked for (pause
// milliseconds, busy-wait iterations at their nominal length), how long its pauses really took,
// and how long it spent waiting for the edges of the frames (WaitUntil).
class CountingDelays final : public Delays {
public:
    explicit CountingDelays(Delays& real) : real_(real) {}

    void Pause(int milliseconds) override {
        const std::int64_t start = real_.Now();
        real_.Pause(milliseconds);
        pauseSpentNs_ += real_.Now() - start;
        pauseAskedNs_ += std::int64_t{milliseconds} * 1'000'000;
    }
    void BusyWait(int iterations) override {
        real_.BusyWait(iterations);
        busyAskedNs_ += std::int64_t{iterations} * BusyWaitNanosecondsPerIteration;
    }
    std::int64_t Now() const override { return real_.Now(); }
    void WaitUntil(std::int64_t deadline) override {
        const std::int64_t start = real_.Now();
        if (start < deadline) {
            real_.WaitUntil(deadline);
            edgeWaitNs_ += real_.Now() - start;
        }
    }

    void Reset() { pauseAskedNs_ = pauseSpentNs_ = busyAskedNs_ = edgeWaitNs_ = 0; }
    std::int64_t PauseAskedNs() const { return pauseAskedNs_; }
    std::int64_t PauseSpentNs() const { return pauseSpentNs_; }
    std::int64_t BusyAskedNs() const { return busyAskedNs_; }
    std::int64_t EdgeWaitNs() const { return edgeWaitNs_; }
    // What the algorithm asks to wait for outright: its pauses and busy-waits.
    std::int64_t RequiredNs() const { return pauseAskedNs_ + busyAskedNs_; }

private:
    Delays& real_;
    std::int64_t pauseAskedNs_ = 0;
    std::int64_t pauseSpentNs_ = 0;
    std::int64_t busyAskedNs_ = 0;
    std::int64_t edgeWaitNs_ = 0;
};
