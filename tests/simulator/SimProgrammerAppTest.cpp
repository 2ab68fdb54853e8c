#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>

#include "app/ProgrammerDlg.h"
#include "app/WindowPlacement.h"
#include "link/ProgrammerLink.h"
#include "sim/SimulatedBoard.h"
#include "sim/VirtualDelays.h"
#include "simulator/SimProgrammerApp.h"
#include "simulator/SocketFile.h"
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
    const QString settings = folder.filePath(QStringLiteral("Chipsmith.ini"));
    QFile file(settings);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("000") == 3);
    file.close();
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

}  // namespace
