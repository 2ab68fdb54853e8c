#include "chip/Interruption.h"

#include <atomic>

namespace {

std::atomic<bool> stopRequested{false};
std::atomic<int> stopSignal{0};
static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler must be able to set it");
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler must be able to set it");

}  // namespace

void RequestStop(int signal) noexcept {
    // The signal first: whoever sees the flag finds the signal with it.
    stopSignal.store(signal, std::memory_order_relaxed);
    stopRequested.store(true, std::memory_order_release);
}

bool StopRequested() noexcept {
    return stopRequested.load(std::memory_order_acquire);
}

int StopSignal() noexcept {
    return StopRequested() ? stopSignal.load(std::memory_order_relaxed) : 0;
}

void ClearStopRequest() noexcept {
    stopRequested.store(false, std::memory_order_relaxed);
    stopSignal.store(0, std::memory_order_relaxed);
}

int StopExitStatus() noexcept {
    constexpr int ShellSignalBase = 128;
    constexpr int Interrupt = 2;  // SIGINT, without <csignal> in the chip layer
    const int signal = StopSignal();
    return ShellSignalBase + (signal > 0 ? signal : Interrupt);
}

void StopPoint(int address) {
    if (StopRequested()) {
        throw OperationInterrupted(address);
    }
}
