#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QListWidget>
#include <QScreen>
#include <QTemporaryDir>

#include "app/ControlIds.h"
#include "app/ProgrammerDlg.h"
#include "app/WindowPlacement.h"
#include "link/PortWrapper.h"
#include "link/ProgrammerLink.h"
#include "sim/SimulatedBoard.h"
#include "sim/VirtualDelays.h"
#include "simulator/SimProgrammerApp.h"
#include "simulator/SocketFile.h"
#include "simulator/SocketLock.h"
#include "simulator/VirtualSocketWindow.h"
#include "tests/app/QtPrinters.h"
#include "tests/app/ScriptedDesktop.h"
#include "tests/simulator/SocketWindowTesting.h"

namespace {

// The application with its hooks in reach.
class OpenSimProgrammerApp : public SimProgrammerApp {
public:
    using SimProgrammerApp::DialogCreated;
    using SimProgrammerApp::SimProgrammerApp;
    SimulatedBoard& Board() { return dynamic_cast<SimulatedBoard&>(Port()); }
};

class SimProgrammerAppTest : public ::testing::Test {
protected:
    QString SocketPath() const { return folder.filePath(QStringLiteral("virtual-socket.txt")); }
    void WriteSocket(const QByteArray& bytes) {
        QFile file(SocketPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // A settings file that names no chip and no file, so the start asks nothing; empty when it
    // could not be written.
    QString SettingsFile() const {
        const QString path = folder.filePath(QStringLiteral("Chipsmith.ini"));
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write("000") == 3 ? path : QString();
    }

    QTemporaryDir folder;
};

TEST_F(SimProgrammerAppTest, TheBoardOnLpt1HoldsTheChipFromTheSocketFile) {
    SimulatedChip chip = SimulatedChip::Factory(4, 0x3C);
    chip.SetWord(0, 0x2805);
    ASSERT_TRUE(SaveSocketFile(SocketPath(), &chip).saved);
    OpenSimProgrammerApp app(SocketPath());
    SimulatedBoard& board = app.Board();
    EXPECT_EQ(&app.Board(), &board) << "one board for the program's life";
    EXPECT_EQ(board.Base(), 0x378);
    ASSERT_NE(board.Chip(), nullptr);
    EXPECT_EQ(board.Chip()->Type(), 4);
    EXPECT_EQ(board.Chip()->Word(0), 0x2805);
    EXPECT_EQ(board.Chip()->CalibrationWord(), 0x343C);
}

TEST_F(SimProgrammerAppTest, WithoutAReadableFileTheSocketHoldsANewBlank508) {
    const struct {
        const char* content;  // nullptr: no file
        bool chip;
    } rows[] = {{nullptr, true},
                {"garbage\n", true},
                {"chipsmith-socket 1\ntype PIC12C672\n0000 28", true},
                {"chipsmith-socket 1\ntype none\n", false}};
    for (const auto& row : rows) {
        QFile::remove(SocketPath());
        const QString kept = SocketPath() + QStringLiteral(".broken");
        QFile::remove(kept);
        if (row.content != nullptr) {
            WriteSocket(row.content);
        }
        OpenSimProgrammerApp app(SocketPath());
        const SimulatedChip* chip = app.Board().Chip();
        ASSERT_EQ(chip != nullptr, row.chip) << row.content;
        if (chip != nullptr) {
            EXPECT_EQ(chip->Type(), 1);
            EXPECT_EQ(chip->Word(0), 0xFFF);
            EXPECT_EQ(chip->CalibrationWord() & 0xF00, 0xC00) << "MOVLW";
            EXPECT_NE(chip->CalibrationWord() & 0xFF, 0xFF);
        }
        if (row.content != nullptr && row.chip) {
            // The unreadable file is kept for the user, and nothing is written in its place yet.
            QFile file(kept);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << row.content;
            EXPECT_EQ(file.readAll(), QByteArray(row.content));
            EXPECT_FALSE(QFile::exists(SocketPath()));
        }
    }
}

TEST_F(SimProgrammerAppTest, TheProgrammerFindsTheBoardAndTheSocketWindowOpensBesideIt) {
    OpenSimProgrammerApp app(SocketPath());
    VirtualDelays clock;
    ProgrammerLink link(app.Board(), clock);
    ScriptedDesktop desktop;
    const QString settings = SettingsFile();
    ASSERT_FALSE(settings.isEmpty());
    CProgrammerDlg dialog(link, desktop, settings);
    EXPECT_EQ(dialog.PortNumber, 1);
    app.DialogCreated(dialog);
    dialog.show();
    QApplication::processEvents();

    const auto* window = dialog.findChild<VirtualSocketWindow*>();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindow());
    // The offscreen screen is too small for the two side by side: the window covers the least.
    const QRect screen = dialog.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window->frameGeometry())) << "on the screen";
    EXPECT_EQ(window->pos(),
              PlaceBeside(dialog.frameGeometry(), window->frameGeometry().size(), screen, 8));
    EXPECT_TRUE(SavedSocket(SocketPath())) << "the new chip is saved for the next start";
}

// The simulated board's port, with a look at each access.
class WatchedPort final : public PortWrapper {
public:
    WatchedPort(PortIo& inner, std::function<void()> look)
        : PortWrapper(inner), look_(std::move(look)) {}
    std::uint8_t In(std::uint16_t address) override {
        look_();
        return Inner().In(address);
    }
    void Out(std::uint16_t address, std::uint8_t value) override {
        look_();
        Inner().Out(address, value);
    }

private:
    std::function<void()> look_;
};

// One program at a time on the socket: a chip command of the window is refused, with a box,
// while another program holds the socket, and holds the socket itself while it runs.
TEST_F(SimProgrammerAppTest, AChipCommandHoldsTheSocketAndWaitsForNoOtherProgram) {
    OpenSimProgrammerApp app(SocketPath());
    VirtualDelays clock;
    bool watching = false;
    bool heldDuringTheRun = false;
    WatchedPort port(app.Board(), [&] {
        if (watching && !heldDuringTheRun) {
            SocketLock other(SocketPath());
            QString why;
            heldDuringTheRun = !other.TryLock(why);
        }
    });
    ProgrammerLink link(port, clock);
    ScriptedDesktop desktop;
    const QString settings = SettingsFile();
    ASSERT_FALSE(settings.isEmpty());
    CProgrammerDlg dialog(link, desktop, settings);
    ASSERT_EQ(dialog.PortNumber, 1);
    app.DialogCreated(dialog);
    dialog.ChipList->setCurrentRow(0);  // the 12C508, as the user chooses it
    auto* erased = qobject_cast<QAbstractButton*>(dialog.DlgItem(Ctl::Erased));
    ASSERT_NE(erased, nullptr);
    {
        SocketLock other(SocketPath());
        QString why;
        ASSERT_TRUE(other.TryLock(why));
        erased->click();
        ASSERT_EQ(desktop.boxes.size(), 1U);
        EXPECT_TRUE(desktop.boxes.front().text.startsWith(
            QStringLiteral("The virtual socket is in use by ")))
            << desktop.boxes.front().text.toStdString();
        EXPECT_NE(dialog.DlgItemText(Ctl::StatusLine), QStringLiteral("PIC is empty ."));
    }
    watching = true;
    erased->click();
    EXPECT_EQ(dialog.DlgItemText(Ctl::StatusLine), QStringLiteral("PIC is empty ."));
    EXPECT_EQ(desktop.boxes.size(), 1U) << desktop.boxes.back().text.toStdString();
    EXPECT_TRUE(heldDuringTheRun);
    SocketLock after(SocketPath());
    QString why;
    EXPECT_TRUE(after.TryLock(why)) << "given back when the command ends";
}

}  // namespace
