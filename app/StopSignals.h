#pragma once

// Ctrl-C, SIGTERM and SIGHUP in the window. The signal handler only asks the running chip
// operation to stop after the word in hand (RequestStop) and wakes the event loop through a pipe;
// there `onStop` closes the window, so the program ends with the chip unpowered.

#include <QObject>
#include <functional>

class QSocketNotifier;

class StopSignals final : public QObject {
public:
    explicit StopSignals(std::function<void()> onStop);
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    std::function<void()> onStop_;
    QSocketNotifier* notifier_ = nullptr;
};
