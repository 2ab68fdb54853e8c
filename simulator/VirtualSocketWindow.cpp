#include "simulator/VirtualSocketWindow.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
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

// The listing: "0000: 2805 3FFF ...", eight words a line, a blank line, then the ID words and
// the configuration word.
int IdLine(const SimulatedChip& chip) {
    return chip.MemoryWords() / WordsPerLine + 1;
}

int LineOf(const SimulatedChip& chip, int address) {
    if (address < chip.MemoryWords()) {
        return address / WordsPerLine;
    }
    return address == chip.ConfigAddress() ? IdLine(chip) + 1 : IdLine(chip);
}

QString LineText(const SimulatedChip& chip, int line) {
    const int digits = chip.Is14Bit() ? 4 : 3;
    if (line == IdLine(chip)) {
        QString text = Hex(chip.IdAddress(), 4) + QLatin1Char(':');
        for (int k = 0; k < SimMap::IdWords; ++k) {
            text += QLatin1Char(' ') + Hex(chip.Word(chip.IdAddress() + k), digits);
        }
        return text + QStringLiteral("  ID");
    }
    if (line == IdLine(chip) + 1) {
        return Hex(chip.ConfigAddress(), 4) + QStringLiteral(": ") +
               Hex(chip.ConfigWord(), digits) + QStringLiteral("  configuration");
    }
    if (line == IdLine(chip) - 1) {
        return QString();
    }
    const int first = line * WordsPerLine;
    QString text = Hex(first, 4) + QLatin1Char(':');
    for (int address = first; address < first + WordsPerLine; ++address) {
        text += QLatin1Char(' ') + Hex(chip.Word(address), digits);
    }
    return text;
}

QString MemoryText(const SimulatedChip& chip) {
    QStringList lines;
    for (int line = 0; line <= IdLine(chip) + 1; ++line) {
        lines.append(LineText(chip, line));
    }
    return lines.join(QLatin1Char('\n'));
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

VirtualSocketWindow::VirtualSocketWindow(SimulatedBoard& board, QString socketPath,
                                         const SocketFileLoad& start, QWidget* parent)
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
      noticeLabel_(new QLabel),
      timer_(new QTimer(this)),
      watcher_(new QFileSystemWatcher(this)) {
    setWindowTitle(QStringLiteral("Virtual socket"));
    timer_->setObjectName(QStringLiteral("lookTimer"));
    for (const char* name : TypeNames) {
        typeChooser_->addItem(QString::fromLatin1(name));
    }
    if (board_.Chip() != nullptr) {
        typeChooser_->setCurrentIndex(board_.Chip()->Type() - 1);
    }
    memoryView_->setReadOnly(true);
    memoryView_->setUndoRedoEnabled(false);  // it would keep every line the window ever replaced
    memoryView_->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    memoryView_->setFont(fixed);
    // Wide enough for a whole 14-bit line beside the scroll bar.
    const int line = QFontMetrics(fixed).horizontalAdvance(QString(6 + 5 * WordsPerLine, '0'));
    memoryView_->setMinimumWidth(line + 2 * memoryView_->frameWidth() +
                                 2 * qCeil(memoryView_->document()->documentMargin()) +
                                 style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4);
    fileLabel_->setWordWrap(true);
    noticeLabel_->setWordWrap(true);
    noticeLabel_->hide();
    fileLabel_->setText(QStringLiteral("Kept in %1").arg(socketPath_));

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
    layout->addWidget(noticeLabel_);
    layout->addWidget(fileLabel_);
    resize(sizeHint().width(), 480);

    if (start.outcome == SocketFileLoad::Outcome::Loaded) {
        fileText_ = start.text;
        saved_ = Contents(board_.Chip());
    } else if (start.outcome == SocketFileLoad::Outcome::Broken) {
        TellBroken(start);
    }

    connect(newChip_, &QPushButton::clicked, this, [this] {
        board_.Insert(NewFactoryChip(typeChooser_->currentIndex() + 1));
        Refresh();
    });
    connect(pullOut_, &QPushButton::clicked, this, [this] {
        board_.Remove();
        Refresh();
    });
    connect(timer_, &QTimer::timeout, this, &VirtualSocketWindow::Refresh);
    // An atomic save replaces the file and so ends the watch on it; the folder's watch sees a new
    // file come in, and every look at the file watches the one that is there now.
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &VirtualSocketWindow::FileChanged);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this,
            &VirtualSocketWindow::FileChanged);
    timer_->start(LookIntervalMs);
    Watch();
    Refresh();
}

// The last change may have come after the last look.
VirtualSocketWindow::~VirtualSocketWindow() {
    Look(true);
}

void VirtualSocketWindow::Refresh() {
    Look(false);
}

void VirtualSocketWindow::FileChanged() {
    ChangedOutside();
    Look(false);
}

void VirtualSocketWindow::closeEvent(QCloseEvent* event) {
    Look(true);
    QWidget::closeEvent(event);
}

// Called often, also between the words of an operation: without a change it only compares.
void VirtualSocketWindow::Look(bool closing) {
    if (takePending_ && !Running()) {
        ChangedOutside();
    }
    std::vector<std::uint16_t> contents = Contents(board_.Chip());
    // Saving in the middle of an operation would cost it time; its end comes soon enough.
    if (saved_ != contents && (closing || !Running())) {
        Save(contents);
        contents = Contents(board_.Chip());  // the file's chip, if another program changed it
    }
    if (shown_ != contents) {
        Repaint(contents);
        shown_ = std::move(contents);
    }
}

bool VirtualSocketWindow::Running() const {
    return board_.SupplyA() || board_.SupplyB() || (operationRunning_ && operationRunning_());
}

void VirtualSocketWindow::Save(const std::vector<std::uint16_t>& contents) {
    if (ChangedOutside()) {
        return;
    }
    const SocketFileSave save = SaveSocketFile(socketPath_, board_.Chip());
    if (!save.saved) {
        fileLabel_->setText(QStringLiteral("Cannot save to %1: %2").arg(socketPath_, save.reason));
        return;
    }
    saved_ = contents;
    fileText_ = QByteArray::fromStdString(SaveSocket(board_.Chip()));
    fileLabel_->setText(QStringLiteral("Kept in %1").arg(socketPath_));
    Watch();
}

bool VirtualSocketWindow::ChangedOutside() {
    SocketFileLoad load = LoadSocketFile(socketPath_);
    Watch();
    switch (load.outcome) {
        case SocketFileLoad::Outcome::NoFile:
            // Gone: nothing to keep, and the next change is saved anew.
            fileText_.reset();
            return false;
        case SocketFileLoad::Outcome::Broken:
            TellBroken(load);
            fileText_.reset();
            saved_.reset();
            return load.keptAs.isEmpty();
        case SocketFileLoad::Outcome::Loaded:
            break;
    }
    if (load.text == fileText_) {
        return false;
    }
    // The chip is not swapped under a running operation.
    if (Running()) {
        takePending_ = true;
        return true;
    }
    takePending_ = false;
    if (load.content.chip) {
        typeChooser_->setCurrentIndex(load.content.chip->Type() - 1);
        board_.Insert(std::move(*load.content.chip));
    } else {
        board_.Remove();
    }
    fileText_ = std::move(load.text);
    saved_ = Contents(board_.Chip());
    noticeLabel_->setText(
        QStringLiteral("Another program changed %1; the socket now holds its chip.")
            .arg(socketPath_));
    noticeLabel_->show();
    return true;
}

void VirtualSocketWindow::TellBroken(const SocketFileLoad& load) {
    noticeLabel_->setText(load.keptAs.isEmpty()
                              ? QStringLiteral("%1 cannot be read (%2). Nothing is saved over it.")
                                    .arg(socketPath_, load.reason)
                              : QStringLiteral("%1 could not be read (%2); it is kept as %3.")
                                    .arg(socketPath_, load.reason, load.keptAs));
    noticeLabel_->show();
}

void VirtualSocketWindow::Watch() {
    const QString folder = QFileInfo(socketPath_).absolutePath();
    if (!watcher_->directories().contains(folder) && QFileInfo(folder).isDir()) {
        watcher_->addPath(folder);
    }
    if (!watcher_->files().contains(socketPath_) && QFileInfo(socketPath_).isFile()) {
        watcher_->addPath(socketPath_);
    }
}

void VirtualSocketWindow::Repaint(const std::vector<std::uint16_t>& contents) {
    const SimulatedChip* chip = board_.Chip();
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
    if (shown_ && !shown_->empty() && shown_->front() == contents.front()) {
        RepaintLines(*chip, contents);
        return;
    }
    // Keep the user's place in the listing.
    const int scrolled = memoryView_->verticalScrollBar()->value();
    memoryView_->setPlainText(MemoryText(*chip));
    memoryView_->verticalScrollBar()->setValue(scrolled);
}

// Only the lines whose words changed: during an operation that is a line or two a look.
void VirtualSocketWindow::RepaintLines(const SimulatedChip& chip,
                                       const std::vector<std::uint16_t>& contents) {
    const std::vector<int> addresses = CellAddresses(chip);
    QTextDocument* document = memoryView_->document();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    int lastLine = -1;
    for (std::size_t k = 0; k < addresses.size(); ++k) {
        if (contents[k + 1] == (*shown_)[k + 1]) {
            continue;
        }
        const int line = LineOf(chip, addresses[k]);
        if (line == lastLine) {
            continue;
        }
        lastLine = line;
        const QTextBlock block = document->findBlockByNumber(line);
        cursor.setPosition(block.position());
        cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
        cursor.insertText(LineText(chip, line));
    }
    cursor.endEditBlock();
}
