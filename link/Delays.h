#pragma once

// The two kinds of wait the link uses. Everything that waits goes through the installed Delays, so
// tests install a virtual clock and never sleep.
class Delays {
public:
    virtual ~Delays() = default;
    // Blocks the calling thread for at least this many milliseconds.
    virtual void Pause(int milliseconds) = 0;
    // A counted busy-wait; each iteration lasts at least BusyWaitNanosecondsPerIteration.
    virtual void BusyWait(int iterations) = 0;
};

// One busy-wait iteration, in nanoseconds. The counts come from the bit timing of the board:
// 20 iterations make the clock-high phase of a frame, 65,536 separate the two supplies when a
// 12-bit chip is powered up. The chip needs a data setup/hold of 100 ns and 1 us between a command
// and its data, and VPP must follow VDD within 9 ms. At 50 ns an iteration the clock-high phase
// lasts 1 us and the supplies are 3.3 ms apart: every minimum is met with room to spare, and the
// power-up stays far inside its 9 ms on any host, because the wait is measured, not counted.
constexpr long BusyWaitNanosecondsPerIteration = 50;

// Installs the Delays that Pause and BusyWait use from now on (the real clock until then).
void SetDelays(Delays& delays);
Delays& CurrentDelays();

void Pause(int milliseconds);
void BusyWait(int iterations);
