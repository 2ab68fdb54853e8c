#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/SimulatedChip.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class SimulatedBoard;

// The simulated board's socket, seen from the user's side: which chip sits in it, its
// configuration word, calibration value and memory, and buttons to put in a new blank chip or pull
// it out. The chip is saved to socketPath whenever it changes.
//
// The programmer's operations run on this thread and block it, so the window cannot be told of
// each change: it looks at the chip on a timer and after its own buttons, and repaints only when
// the chip's content differs from what it shows.
class VirtualSocketWindow final : public QWidget {
    Q_OBJECT

public:
    VirtualSocketWindow(SimulatedBoard& board, QString socketPath, QWidget* parent = nullptr);
    ~VirtualSocketWindow() override;

    // A blank chip as the factory ships it: erased, with a random calibration value.
    static SimulatedChip NewChip(int chipType);

    // Repaints and saves when the socket changed since the last look.
    void Refresh();

    QComboBox* TypeChooser() const { return typeChooser_; }
    QPushButton* NewChipButton() const { return newChip_; }
    QPushButton* PullOutButton() const { return pullOut_; }
    QLabel* SocketLabel() const { return socketLabel_; }
    QLabel* ConfigLabel() const { return configLabel_; }
    QLabel* CalibrationLabel() const { return calibrationLabel_; }
    QLabel* FileLabel() const { return fileLabel_; }
    QPlainTextEdit* MemoryView() const { return memoryView_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Repaint(const SimulatedChip* chip);

    SimulatedBoard& board_;
    QString socketPath_;
    // The chip's type and every cell as last shown and saved; empty for an empty socket.
    std::optional<std::vector<std::uint16_t>> shown_;
    QComboBox* typeChooser_;
    QPushButton* newChip_;
    QPushButton* pullOut_;
    QLabel* socketLabel_;
    QLabel* configLabel_;
    QLabel* calibrationLabel_;
    QPlainTextEdit* memoryView_;
    QLabel* fileLabel_;
    QTimer* timer_;
};
