#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "sim/SimulatedChip.h"
#include "simulator/SocketFile.h"

class QComboBox;
class QFileSystemWatcher;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class SimulatedBoard;

// The simulated board's socket, seen from the user's side: which chip sits in it, its
// configuration word, calibration value and memory, and buttons to put in a new blank chip or pull
// it out. The chip is saved to socketPath when it changes, once no operation has the board powered.
//
// Other programs may change the file too (the command line runs its commands on it). The window
// watches it and never writes over a version it has not seen: a changed file's chip is taken into
// the socket instead, and a file that cannot be read is moved aside and kept.
//
// The programmer's operations run on this thread, so the window is not told of each change: it
// looks at the chip on a timer (which also fires during an operation while the main window answers
// its events) and after its own buttons, and repaints only the lines whose words changed.
class VirtualSocketWindow final : public QWidget {
    Q_OBJECT

public:
    // start: what the board's chip was taken from at socketPath.
    VirtualSocketWindow(SimulatedBoard& board, QString socketPath, const SocketFileLoad& start = {},
                        QWidget* parent = nullptr);
    ~VirtualSocketWindow() override;

    // Repaints when the socket changed since the last look, and saves unless an operation runs.
    void Refresh();
    // Takes in what another program did to the socket file.
    void FileChanged();
    // Tells whether the programmer runs a command: between its steps (a question, a pause) the
    // board is unpowered, yet the chip must not change under it.
    void SetOperationCheck(std::function<bool()> running) {
        operationRunning_ = std::move(running);
    }

    QComboBox* TypeChooser() const { return typeChooser_; }
    QPushButton* NewChipButton() const { return newChip_; }
    QPushButton* PullOutButton() const { return pullOut_; }
    QLabel* SocketLabel() const { return socketLabel_; }
    QLabel* ConfigLabel() const { return configLabel_; }
    QLabel* CalibrationLabel() const { return calibrationLabel_; }
    QLabel* FileLabel() const { return fileLabel_; }
    // What happened to the file outside this window; hidden when nothing did.
    QLabel* NoticeLabel() const { return noticeLabel_; }
    QPlainTextEdit* MemoryView() const { return memoryView_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Look(bool closing);
    bool Running() const;
    void Save(const std::vector<std::uint16_t>& contents);
    // Compares the file with the version last read or written; true when it differs and the
    // window must not write over it.
    bool ChangedOutside();
    void TellBroken(const SocketFileLoad& load);
    void Watch();
    void Repaint(const std::vector<std::uint16_t>& contents);
    void RepaintLines(const SimulatedChip& chip, const std::vector<std::uint16_t>& contents);

    SimulatedBoard& board_;
    QString socketPath_;
    // The chip's type and every cell, as shown and as the file holds them; empty for an empty
    // socket, nothing when not known.
    std::optional<std::vector<std::uint16_t>> shown_;
    std::optional<std::vector<std::uint16_t>> saved_;
    // The file's bytes as last read or written; nothing when there was no file.
    std::optional<QByteArray> fileText_;
    // The file changed while an operation ran; its chip goes into the socket after the operation.
    bool takePending_ = false;
    std::function<bool()> operationRunning_;
    QComboBox* typeChooser_;
    QPushButton* newChip_;
    QPushButton* pullOut_;
    QLabel* socketLabel_;
    QLabel* configLabel_;
    QLabel* calibrationLabel_;
    QPlainTextEdit* memoryView_;
    QLabel* fileLabel_;
    QLabel* noticeLabel_;
    QTimer* timer_;
    QFileSystemWatcher* watcher_;
};
