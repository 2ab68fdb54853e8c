#include "simulator/VirtualSocketWindow.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QStyle>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>
#include <QtMath>

#include "sim/ChipSnapshot.h"
#include "sim/SimChipModels.h"
#include "sim/SimulatedBoard.h"
#include "simulator/SocketFile.h"

namespace {

// Often enough to follow the programmer, rarely enough to cost nothing.
constexpr int LookIntervalMs = 250;
constexpr int WordsPerLine = 8;

const char* const TypeNames[] = {"12c508", "12c509", "12c671", "12c672"};

QString Hex(int value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

// "0000: 2805 3FFF ...", eight words a line, then the ID words and the configuration word.
QString MemoryText(const SimulatedChip& chip) {
    const int digits = chip.Is14Bit() ? 4 : 3;
    QString text;
    for (int line = 0; line < chip.MemoryWords(); line += WordsPerLine) {
        text += Hex(line, 4) + QLatin1Char(':');
        for (int address = line; address < line + WordsPerLine; ++address) {
            text += QLatin1Char(' ') + Hex(chip.Word(address), digits);
        }
        text += QLatin1Char('\n');
    }
    text += QLatin1Char('\n') + Hex(chip.IdAddress(), 4) + QLatin1Char(':');
    for (int k = 0; k < SimMap::IdWords; ++k) {
        text += QLatin1Char(' ') + Hex(chip.Word(chip.IdAddress() + k), digits);
    }
    text += QStringLiteral("  ID\n") + Hex(chip.ConfigAddress(), 4) + QStringLiteral(": ") +
            Hex(chip.ConfigWord(), digits) + QStringLiteral("  configuration");
    return text;
}

std::vector<std::uint16_t> Contents(const SimulatedChip* chip) {
    std::vector<std::uint16_t> contents;
    if (chip != nullptr) {
        contents.push_back(static_cast<std::uint16_t>(chip->Type()));
        for (int address : CellAddresses(*chip)) {
            contents.push_back(chip->Word(address));
        }
    }
    return contents;
}

}  // namespace

VirtualSocketWindow::VirtualSocketWindow(SimulatedBoard& board, QString socketPath, QWidget* parent)
    : QWidget(parent, Qt::Window),
      board_(board),
      socketPath_(std::move(socketPath)),
      typeChooser_(new QComboBox),
      newChip_(new QPushButton(QStringLiteral("New chip"))),
      pullOut_(new QPushButton(QStringLiteral("Pull out chip"))),
      socketLabel_(new QLabel),
      configLabel_(new QLabel),
      calibrationLabel_(new QLabel),
      memoryView_(new QPlainTextEdit),
      fileLabel_(new QLabel),
      timer_(new QTimer(this)) {
    setWindowTitle(QStringLiteral("Virtual socket"));
    timer_->setObjectName(QStringLiteral("lookTimer"));
    for (const char* name : TypeNames) {
        typeChooser_->addItem(QString::fromLatin1(name));
    }
    if (board_.Chip() != nullptr) {
        typeChooser_->setCurrentIndex(board_.Chip()->Type() - 1);
    }
    memoryView_->setReadOnly(true);
    memoryView_->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    memoryView_->setFont(fixed);
    // Wide enough for a whole 14-bit line beside the scroll bar.
    const int line = QFontMetrics(fixed).horizontalAdvance(QString(6 + 5 * WordsPerLine, '0'));
    memoryView_->setMinimumWidth(line + 2 * memoryView_->frameWidth() +
                                 2 * qCeil(memoryView_->document()->documentMargin()) +
                                 style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4);
    fileLabel_->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(typeChooser_);
    buttons->addWidget(newChip_);
    buttons->addWidget(pullOut_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(socketLabel_);
    layout->addWidget(configLabel_);
    layout->addWidget(calibrationLabel_);
    layout->addWidget(memoryView_, 1);
    layout->addWidget(fileLabel_);
    resize(sizeHint().width(), 480);

    connect(newChip_, &QPushButton::clicked, this, [this] {
        board_.Insert(NewChip(typeChooser_->currentIndex() + 1));
        Refresh();
    });
    connect(pullOut_, &QPushButton::clicked, this, [this] {
        board_.Remove();
        Refresh();
    });
    connect(timer_, &QTimer::timeout, this, &VirtualSocketWindow::Refresh);
    timer_->start(LookIntervalMs);
    Refresh();
}

// The last change may have come after the last look.
VirtualSocketWindow::~VirtualSocketWindow() {
    Refresh();
}

SimulatedChip VirtualSocketWindow::NewChip(int chipType) {
    // Any value but 0xFF, which would read as no calibration at all.
    const auto calibration = static_cast<std::uint8_t>(QRandomGenerator::global()->bounded(0xFF));
    return SimulatedChip::Factory(chipType, calibration);
}

void VirtualSocketWindow::Refresh() {
    std::vector<std::uint16_t> contents = Contents(board_.Chip());
    if (shown_ == contents) {
        return;
    }
    shown_ = std::move(contents);
    Repaint(board_.Chip());
    if (WriteSocketFile(socketPath_, board_.Chip())) {
        fileLabel_->setText(QStringLiteral("Kept in %1").arg(socketPath_));
    } else {
        fileLabel_->setText(QStringLiteral("Cannot save to %1").arg(socketPath_));
    }
}

void VirtualSocketWindow::closeEvent(QCloseEvent* event) {
    Refresh();
    QWidget::closeEvent(event);
}

void VirtualSocketWindow::Repaint(const SimulatedChip* chip) {
    configLabel_->setVisible(chip != nullptr);
    calibrationLabel_->setVisible(chip != nullptr);
    if (chip == nullptr) {
        socketLabel_->setText(QStringLiteral("The socket is empty"));
        memoryView_->clear();
        return;
    }
    const int digits = chip->Is14Bit() ? 4 : 3;
    const int calibration = chip->CalibrationWord() & 0xFF;
    socketLabel_->setText(QStringLiteral("%1 in the socket")
                              .arg(QString::fromLatin1(SimChipModelFor(chip->Type()).name)));
    configLabel_->setText(QStringLiteral("Configuration word: ") + Hex(chip->ConfigWord(), digits));
    calibrationLabel_->setText(QStringLiteral("Calibration value: ") + (calibration == 0xFF
                                                                            ? QStringLiteral("none")
                                                                            : Hex(calibration, 2)));
    // Keep the user's place in the listing.
    const int scrolled = memoryView_->verticalScrollBar()->value();
    memoryView_->setPlainText(MemoryText(*chip));
    memoryView_->verticalScrollBar()->setValue(scrolled);
}
