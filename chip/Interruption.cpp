#include "chip/Interruption.h"

#include <atomic>

namespace {

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler must be able to set it");

}  // namespace

void RequestStop() noexcept {
    stopRequested.store(true, std::memory_order_relaxed);
}

bool StopRequested() noexcept {
    return stopRequested.load(std::memory_order_relaxed);
}

void ClearStopRequest() noexcept {
    stopRequested.store(false, std::memory_order_relaxed);
}

void StopPoint(int address) {
    if (StopRequested()) {
        throw OperationInterrupted(address);
    }
}
