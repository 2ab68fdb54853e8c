#pragma once

#include <QObject>
#include <QPointer>
#include <chrono>

class QWidget;

// Keeps the windows alive while a chip operation holds the user-interface thread: between words
// it lets them repaint and answer the window manager, and meanwhile drops, rather than queues,
// every mouse and key event and every close request aimed at them, so nothing the user did
// during the run is replayed after it. Dropping starts at construction and ends at destruction,
// which pumps once more so that input that arrived late is dropped too.
//
// A message box or file dialog opened while it lives is left alone: it is the user's to answer.
class OperationPump final : public QObject {
public:
    OperationPump();
    ~OperationPump() override;
    OperationPump(const OperationPump&) = delete;
    OperationPump& operator=(const OperationPump&) = delete;

    // Handles what is pending, unless that was done less than a frame ago.
    void Pump();

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    void HandlePending();

    QPointer<QWidget> modalAtStart_;
    std::chrono::steady_clock::time_point lastPump_{};
    bool pumping_ = false;
};
