#include "cli/StopHandlers.h"

#include <signal.h>

#include <atomic>
#include <initializer_list>

#include "chip/Interruption.h"

namespace {

std::atomic<int> deferred{0};

void OnStopSignal(int signal) {
    RequestStop(signal);
    if (deferred.load(std::memory_order_acquire) == 0) {
        EndBySignal(signal);
    }
}

}  // namespace

void InstallStopHandlers() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
}

DeferredStop::DeferredStop() {
    deferred.fetch_add(1, std::memory_order_acq_rel);
}

DeferredStop::~DeferredStop() {
    deferred.fetch_sub(1, std::memory_order_acq_rel);
}

void EndBySignal(int signal) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    // Inside the handler the signal is blocked: it is delivered, with its default action, as the
    // handler returns.
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
}
