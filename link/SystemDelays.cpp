#include "link/SystemDelays.h"

#include <sys/prctl.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

namespace {

// Sleeping to within this much of the deadline and spinning the rest keeps the overshoot of the
// short programming pulses small without burning a core for the long pauses; waits shorter than
// this (the bit timing of the frames) only spin.
constexpr std::int64_t SpinMarginNanoseconds = 200'000;

std::int64_t MonotonicNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

void SpinUntil(std::int64_t deadline) {
    while (MonotonicNow() < deadline) {
    }
}

}  // namespace

SystemDelays::SystemDelays() {
    // The default slack of 50 us would add to every pause; ask for the smallest the kernel gives.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}

void SystemDelays::Pause(int milliseconds) {
    if (milliseconds > 0) {
        WaitUntil(MonotonicNow() + std::int64_t{milliseconds} * 1'000'000);
    }
}

std::int64_t SystemDelays::Now() const {
    return MonotonicNow();
}

void SystemDelays::WaitUntil(std::int64_t deadline) {
    const std::int64_t now = MonotonicNow();
    if (now >= deadline) {
        return;
    }
    const std::int64_t wakeUp = deadline - SpinMarginNanoseconds;
    if (now < wakeUp) {
        timespec until{};
        until.tv_sec = static_cast<time_t>(wakeUp / 1'000'000'000);
        until.tv_nsec = static_cast<long>(wakeUp % 1'000'000'000);
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
        }
    }
    SpinUntil(deadline);
}

void SystemDelays::BusyWait(int iterations) {
    if (iterations > 0) {
        SpinUntil(MonotonicNow() + std::int64_t{iterations} * BusyWaitNanosecondsPerIteration);
    }
}

std::int64_t SteadyNanoseconds() {
    return MonotonicNow();
}
