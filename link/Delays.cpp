#include "link/Delays.h"

#include "link/SystemDelays.h"

namespace {

Delays& DefaultDelays() {
    static SystemDelays real;
    return real;
}

Delays* installed = nullptr;

}  // namespace

void SetDelays(Delays& delays) {
    installed = &delays;
}

Delays& CurrentDelays() {
    return installed != nullptr ? *installed : DefaultDelays();
}

void Pause(int milliseconds) {
    CurrentDelays().Pause(milliseconds);
}

void BusyWait(int iterations) {
    CurrentDelays().BusyWait(iterations);
}

std::int64_t ClockNow() {
    return CurrentDelays().Now();
}

void WaitUntil(std::int64_t deadline) {
    CurrentDelays().WaitUntil(deadline);
}
