#pragma once

#include <cstdint>

// The clock the board waits on. Every board is given one (see ProgrammerLink), so tests give a
// virtual clock and never sleep.
class Delays {
public:
    virtual ~Delays() = default;
    // Blocks the calling thread for at least this many milliseconds.
    virtual void Pause(int milliseconds) = 0;
    // A counted busy-wait; each iteration lasts at least BusyWaitNanosecondsPerIteration.
    virtual void BusyWait(int iterations) = 0;
    // The clock's time in nanoseconds, from an origin of its own.
    virtual std::int64_t Now() const = 0;
    // Returns once Now() has reached the deadline; at once if it already has.
    virtual void WaitUntil(std::int64_t deadline) = 0;
};

// One busy-wait iteration, in nanoseconds. Busy-waits give the programming pulses of the adaptive
// algorithm (2,000 iterations, 100 us) and the 65,536 iterations between the two supplies when a
// 12-bit chip is powered up: 3.3 ms, far inside the 9 ms the chip allows on any host, because the
// wait is measured, not counted. The bit timing of the frames is not counted but measured from
// the edges (WaitUntil).
constexpr long BusyWaitNanosecondsPerIteration = 50;
