#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>

class QWidget;

// Keeps the windows alive while a chip operation holds the user-interface thread: between words
// it lets them repaint and answer the window manager, and meanwhile drops, rather than queues,
// every mouse and key event and every close request aimed at them, so nothing the user did
// during the run is replayed after it. Dropping starts at construction and ends at destruction,
// which pumps once more so that input that arrived late is dropped too.
//
// A message box or file dialog opened while it lives is left alone: it is the user's to answer.
//
// It works at the screen's pace, one frame at a time, timed by the clock the run waits on (the
// board's), so that a run on a virtual clock is drawn as often as on the real one.
class OperationPump final : public QObject {
public:
    // nowNs: the run's clock in nanoseconds; empty: the steady clock. frameNs: the time between
    // two frames; 0: the primary screen's.
    explicit OperationPump(std::function<std::int64_t()> nowNs = nullptr, std::int64_t frameNs = 0);
    ~OperationPump() override;
    OperationPump(const OperationPump&) = delete;
    OperationPump& operator=(const OperationPump&) = delete;

    // A frame has passed since the last one was handled (the first is due at once).
    bool FrameDue() const;
    // Handles what is pending when a frame is due.
    void Pump();

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    void HandlePending();

    QPointer<QWidget> modalAtStart_;
    std::function<std::int64_t()> nowNs_;
    std::int64_t frameNs_;
    std::int64_t lastPumpNs_ = 0;
    bool pumped_ = false;
    bool pumping_ = false;
};

// The time between two frames of a screen refreshed `hertz` times a second, 60 when it does not
// say.
std::int64_t FrameNanoseconds(double hertz);
