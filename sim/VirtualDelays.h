#pragma once

#include <cstdint>
#include <vector>

#include "link/Delays.h"

// A clock that only moves when the program waits: Pause, BusyWait and WaitUntil advance it by
// exactly the time they stand for and return at once (a test may also move it, as a slow port
// would). The simulated chip reads it to judge its programming
// pulses, and tests read it to check what waits the link asked for.
class VirtualDelays final : public Delays {
public:
    void Pause(int milliseconds) override;
    void BusyWait(int iterations) override;
    void WaitUntil(std::int64_t deadline) override;

    // Virtual time since construction, in nanoseconds.
    std::int64_t Now() const override { return now_; }
    // Every Pause asked for, in order, in milliseconds.
    const std::vector<int>& Pauses() const { return pauses_; }
    std::int64_t PausedMilliseconds() const;
    std::int64_t BusyWaitIterations() const { return busyIterations_; }
    // How far WaitUntil has moved the clock, in all.
    std::int64_t WaitedUntilNs() const { return waitedUntilNs_; }
    void Advance(std::int64_t nanoseconds) { now_ += nanoseconds; }

private:
    std::int64_t now_ = 0;
    std::int64_t busyIterations_ = 0;
    std::int64_t waitedUntilNs_ = 0;
    std::vector<int> pauses_;
};

// A test's virtual clock, which the test gives its board.
class ScopedVirtualDelays {
public:
    ScopedVirtualDelays() = default;
    ScopedVirtualDelays(const ScopedVirtualDelays&) = delete;
    ScopedVirtualDelays& operator=(const ScopedVirtualDelays&) = delete;
    VirtualDelays& clock() { return clock_; }

private:
    VirtualDelays clock_;
};
