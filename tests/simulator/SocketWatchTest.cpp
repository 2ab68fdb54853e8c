#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileSystemWatcher>
#include <QPushButton>
#include <QTemporaryDir>
#include <functional>

#include "sim/SimulatedBoard.h"
#include "simulator/SocketFile.h"
#include "tests/app/QtPrinters.h"
#include "tests/simulator/SocketWindowTesting.h"

namespace {

// The socket window and the file it shares with other programs.
class SocketWatchTest : public ::testing::Test {
protected:
    QString SocketPath() const {
        return folder.filePath(QStringLiteral("data/virtual-socket.txt"));
    }
    std::unique_ptr<VirtualSocketWindow> Open(const SocketFileLoad& start = {}) {
        return std::make_unique<VirtualSocketWindow>(board, SocketPath(), start);
    }
    void WriteInPlace(const QByteArray& bytes) {
        QFile file(SocketPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    QByteArray Kept() const {
        QFile file(SocketPath() + QStringLiteral(".broken"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
    }
    static SimulatedChip Other() {
        SimulatedChip chip = SimulatedChip::Factory(4, 0x3C);
        chip.SetWord(0, 0x2805);
        return chip;
    }
    // As the programmer's operations do: the supplies on the board's data register.
    void Power(bool on) { board.Out(board.Base(), on ? SimulatedBoard::SupplyABit : 0); }

    QTemporaryDir folder;
    SimulatedBoard board{[] { return std::int64_t{0}; }};
};

// Runs the event loop until done() holds, for at most 5 s: news of the file comes from the system.
bool Eventually(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    poll.start(5);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    if (!done()) {
        loop.exec();
    }
    return done();
}

TEST_F(SocketWatchTest, ABrokenFileAtTheStartIsKeptAndTheWindowSaysSo) {
    const QByteArray cut = "chipsmith-socket 1\ntype PIC12C672\n07FF 34";
    ASSERT_TRUE(QDir().mkpath(folder.filePath(QStringLiteral("data"))));
    WriteInPlace(cut);
    const SocketFileLoad start = LoadSocketFile(SocketPath());
    board.Insert(NewFactoryChip(1));
    const auto window = Open(start);
    EXPECT_FALSE(window->NoticeLabel()->isHidden());
    EXPECT_EQ(window->NoticeLabel()->text(),
              QStringLiteral("%1 could not be read (the last line is cut short); it is kept as "
                             "%1.broken.")
                  .arg(SocketPath()));
    EXPECT_EQ(Kept(), cut);
    const auto saved = SavedSocket(SocketPath());
    ASSERT_TRUE(saved && saved->chip) << "the new chip is saved in its place";
    EXPECT_EQ(saved->chip->Type(), 1);
}

TEST_F(SocketWatchTest, AFileChangedOutsideIsTakenInsteadOfWrittenOver) {
    board.Insert(SimulatedChip::Factory(1, 0x5A));
    const auto window = Open();
    EXPECT_TRUE(window->NoticeLabel()->isHidden());
    const SimulatedChip other = Other();
    ASSERT_TRUE(SaveSocketFile(SocketPath(), &other).saved);
    // The window's chip changes before it has heard of the file.
    board.Chip()->SetWord(0, 0x123);
    TimerFires(*window);

    const auto saved = SavedSocket(SocketPath());
    ASSERT_TRUE(saved && saved->chip);
    EXPECT_EQ(saved->chip->Type(), 4) << "the other program's chip is not written over";
    EXPECT_EQ(saved->chip->Word(0), 0x2805);
    ASSERT_NE(board.Chip(), nullptr);
    EXPECT_EQ(board.Chip()->Type(), 4);
    EXPECT_EQ(board.Chip()->CalibrationWord(), 0x343C);
    EXPECT_EQ(window->SocketLabel()->text(), QStringLiteral("PIC12C672 in the socket"));
    EXPECT_EQ(MemoryLines(*window).first(),
              QStringLiteral("0000: 2805 3FFF 3FFF 3FFF 3FFF 3FFF 3FFF 3FFF"));
    EXPECT_EQ(window->NoticeLabel()->text(),
              QStringLiteral("Another program changed %1; the socket now holds its chip.")
                  .arg(SocketPath()));
}

TEST_F(SocketWatchTest, TheWindowHearsOfEveryAtomicSaveWithoutLooking) {
    board.Insert(SimulatedChip::Factory(1, 0x5A));
    const auto window = Open();
    const SimulatedChip other = Other();
    ASSERT_TRUE(SaveSocketFile(SocketPath(), &other).saved);
    ASSERT_TRUE(
        Eventually([this] { return board.Chip() != nullptr && board.Chip()->Type() == 4; }));
    // The save replaced the file the window watched; the next one is seen all the same.
    ASSERT_TRUE(SaveSocketFile(SocketPath(), nullptr).saved);
    ASSERT_TRUE(Eventually([this] { return board.Chip() == nullptr; }));
    EXPECT_EQ(window->SocketLabel()->text(), QStringLiteral("The socket is empty"));
    // And a change written in place, as an editor may do.
    WriteInPlace(QByteArray::fromStdString(SaveSocket(&other)));
    ASSERT_TRUE(Eventually([this] { return board.Chip() != nullptr; }));
    // And a file that comes back after it was gone.
    const auto* watcher = window->findChild<QFileSystemWatcher*>();
    ASSERT_NE(watcher, nullptr);
    ASSERT_TRUE(QFile::remove(SocketPath()));
    ASSERT_TRUE(Eventually([watcher] { return watcher->files().isEmpty(); }));
    ASSERT_TRUE(SaveSocketFile(SocketPath(), nullptr).saved);
    ASSERT_TRUE(Eventually([this] { return board.Chip() == nullptr; }));
}

TEST_F(SocketWatchTest, DuringAnOperationTheWindowShowsTheWordsButSavesAndSwapsOnlyAfter) {
    board.Insert(SimulatedChip::Factory(2, 0x5A));
    const auto window = Open();
    Power(true);
    board.Chip()->SetWord(9, 0x0A5);  // as a programming pulse would
    TimerFires(*window);
    EXPECT_EQ(MemoryLines(*window)[1], QStringLiteral("0008: FFF 0A5 FFF FFF FFF FFF FFF FFF"));
    EXPECT_EQ(SavedSocket(SocketPath())->chip->Word(9), 0xFFF) << "saved after the operation";

    const SimulatedChip other = Other();
    ASSERT_TRUE(SaveSocketFile(SocketPath(), &other).saved);
    window->FileChanged();  // as the watcher does
    TimerFires(*window);
    EXPECT_EQ(board.Chip()->Type(), 2) << "no chip is swapped under a running operation";
    window->close();
    EXPECT_EQ(SavedSocket(SocketPath())->chip->Type(), 4) << "not even closing writes over it";

    Power(false);
    TimerFires(*window);
    EXPECT_EQ(board.Chip()->Type(), 4);
    EXPECT_EQ(SavedSocket(SocketPath())->chip->Word(0), 0x2805);
}

TEST_F(SocketWatchTest, ABrokenFileThatAppearsIsKeptAndTheChipSavedAgain) {
    board.Insert(SimulatedChip::Factory(3, 0x5A));
    const auto window = Open();
    WriteInPlace("chipsmith-socket 1\ntype PIC12C671\n0000 30");
    window->FileChanged();
    EXPECT_EQ(Kept(), "chipsmith-socket 1\ntype PIC12C671\n0000 30");
    EXPECT_TRUE(window->NoticeLabel()->text().endsWith(
        QStringLiteral("is kept as %1.broken.").arg(SocketPath())));
    const auto saved = SavedSocket(SocketPath());
    ASSERT_TRUE(saved && saved->chip);
    EXPECT_EQ(saved->chip->Type(), 3);
    EXPECT_EQ(board.Chip()->Type(), 3);
}

// The listing is mended line by line between looks; it must always read as a new window's would.
TEST_F(SocketWatchTest, LooksAfterEveryWordShowWhatANewWindowShows) {
    board.Insert(SimulatedChip::Factory(4, 0x5A));
    const auto window = Open();
    const auto sameAsNew = [this, &window] {
        const QString path = folder.filePath(QStringLiteral("fresh.txt"));
        QFile::remove(path);  // else the new window takes the last one's chip from it
        VirtualSocketWindow fresh(board, path);
        return window->MemoryView()->toPlainText() == fresh.MemoryView()->toPlainText() &&
               window->ConfigLabel()->text() == fresh.ConfigLabel()->text() &&
               window->CalibrationLabel()->text() == fresh.CalibrationLabel()->text();
    };
    Power(true);
    for (int address : CellAddresses(*board.Chip())) {
        board.Chip()->SetWord(address, static_cast<std::uint16_t>(address * 7));
        window->Refresh();
    }
    EXPECT_TRUE(sameAsNew());
    board.Chip()->SetWord(0x7FF, 0x3412);
    board.Chip()->SetConfigWord(0x0004);
    window->Refresh();
    EXPECT_TRUE(sameAsNew());
    Power(false);
    for (int type : {1, 4}) {
        window->TypeChooser()->setCurrentIndex(type - 1);
        window->NewChipButton()->click();
        board.Chip()->SetWord(board.Chip()->IdAddress() + 2, 0x00C);
        window->Refresh();
        EXPECT_TRUE(sameAsNew()) << type;
    }
}

}  // namespace
