#include "app/StopSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <utility>

#include "chip/Interruption.h"

namespace {

constexpr int Signals[] = {SIGINT, SIGTERM, SIGHUP};
int wakeUp[2] = {-1, -1};

void OnSignal(int signal) {
    RequestStop(signal);
    const char byte = 1;
    // Nothing to do if the pipe is full: the event loop has been woken already.
    [[maybe_unused]] const ssize_t written = ::write(wakeUp[1], &byte, 1);
}

}  // namespace

StopSignals::StopSignals(std::function<void()> onStop) : onStop_(std::move(onStop)) {
    if (::pipe2(wakeUp, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;  // without the pipe the default handlers stay: the signal ends the program
    }
    notifier_ = new QSocketNotifier(wakeUp[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(wakeUp[0], bytes, sizeof bytes) > 0) {
        }
        onStop_();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : Signals) {
        sigaction(signal, &action, nullptr);
    }
}

StopSignals::~StopSignals() {
    if (notifier_ == nullptr) {
        return;
    }
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    for (int signal : Signals) {
        sigaction(signal, &action, nullptr);
    }
    delete notifier_;
    ::close(wakeUp[0]);
    ::close(wakeUp[1]);
    wakeUp[0] = wakeUp[1] = -1;
}
