#pragma once

#include <cstdint>

#include "link/Delays.h"

// The real clock for several boards at once, each on a thread of its own, when there are more
// boards than cores. SystemDelays spins through every wait shorter than 200 us, the programming
// pulses of the adaptive algorithm included: one board then keeps a core busy for its whole run,
// and four boards on two cores take turns at spinning, each pulse stretched by the others' turns
// (four full 12C672s took 3.7 times as long as one). Here every wait longer than the margin sleeps
// until the margin before its deadline (the kernel wakes a thread in about 20 us, rarely later
// than 40) and spends the rest yielding the core to the other boards; shorter waits (the frames'
// bit timing) spin as before. A 100 us pulse then costs a core about a third of its length. Waits
// never end early; a wake-up later than the margin lengthens that wait, which the chip takes as a
// longer pulse, as it does when the scheduler preempts a spinning thread.
class SharedCoreDelays final : public Delays {
public:
    static constexpr std::int64_t SpinMarginNanoseconds = 50'000;

    SharedCoreDelays();
    void Pause(int milliseconds) override;
    void BusyWait(int iterations) override;
    std::int64_t Now() const override;
    void WaitUntil(std::int64_t deadline) override;
};
