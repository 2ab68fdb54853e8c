#include "link/SharedCoreDelays.h"

#include <sched.h>
#include <sys/prctl.h>

#include <cerrno>
#include <ctime>

#include "link/SystemDelays.h"

SharedCoreDelays::SharedCoreDelays() {
    // The timer slack is the calling thread's, and threads started after this inherit it.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}

void SharedCoreDelays::Pause(int milliseconds) {
    if (milliseconds > 0) {
        WaitUntil(Now() + std::int64_t{milliseconds} * 1'000'000);
    }
}

void SharedCoreDelays::BusyWait(int iterations) {
    if (iterations > 0) {
        WaitUntil(Now() + std::int64_t{iterations} * BusyWaitNanosecondsPerIteration);
    }
}

std::int64_t SharedCoreDelays::Now() const {
    return SteadyNanoseconds();
}

void SharedCoreDelays::WaitUntil(std::int64_t deadline) {
    const std::int64_t wakeUp = deadline - SpinMarginNanoseconds;
    const bool sleeps = Now() < wakeUp;
    if (sleeps) {
        timespec until{};
        until.tv_sec = static_cast<time_t>(wakeUp / 1'000'000'000);
        until.tv_nsec = static_cast<long>(wakeUp % 1'000'000'000);
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
        }
    }
    while (Now() < deadline) {
        if (sleeps) {
            sched_yield();
        }
    }
}
