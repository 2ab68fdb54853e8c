#pragma once

#include <cstdint>

#include "link/Delays.h"

// The real clock: waits on CLOCK_MONOTONIC. Pause and WaitUntil never return early: they sleep
// until shortly before the deadline and spin the rest, so a 1 ms pause overshoots by microseconds,
// not by the kernel's timer slack. BusyWait spins for the measured time its iterations stand for.
class SystemDelays final : public Delays {
public:
    SystemDelays();
    void Pause(int milliseconds) override;
    void BusyWait(int iterations) override;
    std::int64_t Now() const override;
    void WaitUntil(std::int64_t deadline) override;
};

// The steady clock in nanoseconds: what the simulated chip judges its pulses by when the program
// runs with the real clock, and what the trace and the progress bar read.
std::int64_t SteadyNanoseconds();
