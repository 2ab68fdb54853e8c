#include "app/ControlIds.h"
#include "simulator/SocketFile.h"
#include "tests/app/DialogFixture.h"
#include "tests/simulator/SocketWindowTesting.h"

namespace {

// The program's main window and the socket window over one simulated board, used as a user would.
class UserSessionTest : public DialogFixture {
protected:
    QString SocketPath() const {
        return PathOf(QStringLiteral("data/chipsmith/virtual-socket.txt"));
    }
};

TEST_F(UserSessionTest, OpenAutomaticThenTheSocketWindowShowsTheFilesWordsOnTheChip) {
    WriteFile(SettingsPath(), "000");
    PlugSimulatedBoard(SimulatedChip::Factory(4, 0x3C));
    const auto dialog = Start();
    ASSERT_EQ(dialog->PortNumber, 1);
    board.ClearRecords();  // detection powers up every chip the 12-bit way
    auto window = std::make_unique<VirtualSocketWindow>(board, SocketPath());
    EXPECT_EQ(MemoryLines(*window).first(),
              QStringLiteral("0000: 3FFF 3FFF 3FFF 3FFF 3FFF 3FFF 3FFF 3FFF"));

    desktop.files = {QStringLiteral(CHIPSMITH_TEST_DATA "/blink672.hex")};
    dialog->OnOpen();
    desktop.answers = {true};
    dialog->OnAutomatic();
    EXPECT_EQ(dialog->DlgItemText(Ctl::StatusLine), QStringLiteral("EPROM and File equal !"));
    EXPECT_EQ(desktop.Texts(), QStringList{QStringLiteral("Programm Data File now ?")});

    TimerFires(*window);
    const QStringList lines = MemoryLines(*window);
    ASSERT_EQ(lines.size(), 259);
    EXPECT_EQ(lines[0], QStringLiteral("0000: 2805 3FFF 3FFF 3FFF 0009 1683 303D 0085"));
    EXPECT_EQ(lines[1], QStringLiteral("0008: 1283 3002 0685 0064 2FF0 3FFF 3FFF 3FFF"));
    EXPECT_EQ(lines[254], QStringLiteral("07F0: 0000 2809 3FFF 3FFF 3FFF 3FFF 3FFF 3FFF"));
    EXPECT_EQ(lines[255], QStringLiteral("07F8: 3FFF 3FFF 3FFF 3FFF 3FFF 3FFF 3FFF 343C"))
        << "the factory calibration value is kept";
    EXPECT_EQ(lines[258], QStringLiteral("2007: 3F7D  configuration"));
    EXPECT_EQ(window->ConfigLabel()->text(), QStringLiteral("Configuration word: 3F7D"));
    EXPECT_EQ(window->CalibrationLabel()->text(), QStringLiteral("Calibration value: 3C"));
    EXPECT_TRUE(board.Errors().empty()) << board.Errors().front();

    // The programmed chip is what the next start finds in the socket.
    window.reset();
    const auto saved = SavedSocket(SocketPath());
    ASSERT_TRUE(saved && saved->chip);
    for (int address : CellAddresses(*board.Chip())) {
        ASSERT_EQ(saved->chip->Word(address), board.Chip()->Word(address)) << address;
    }
}

}  // namespace
