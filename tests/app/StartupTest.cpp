#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>

#include "app/ControlIds.h"
#include "link/ProgrammerPort.h"
#include "tests/app/DialogFixture.h"
#include "tests/support/FakeFtdi.h"
#include "tests/support/HookedPort.h"

namespace {

class StartupTest : public DialogFixture {};

TEST_F(StartupTest, FirstStartSaysTheSettingsFileWasNotFoundAndStartsEmpty) {
    auto dialog = Start();
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].text, SettingsPath() + QStringLiteral(" was not found."));
    EXPECT_EQ(desktop.boxes[0].icon, Desktop::Icon::Stop);

    EXPECT_EQ(dialog->FileCombo->count(), 0);
    EXPECT_EQ(dialog->ChipType, 0);
    EXPECT_EQ(dialog->DlgItemText(Ctl::ChipName), QStringLiteral("??????"));
    EXPECT_EQ(dialog->PortNumber, 0xFFFF);
    EXPECT_EQ(dialog->DlgItemText(Ctl::ProgrammerStatus),
              QStringLiteral("Pic-Programmer not found !"));
    EXPECT_TRUE(dialog->VerifyAllowed);
    EXPECT_FALSE(dialog->DataReadFromChip);
    EXPECT_EQ(dialog->HexTextLength, 0);
    EXPECT_EQ(dialog->OscillatorChoice, -1);
    for (std::uint32_t slot : dialog->FileImage) {
        ASSERT_EQ(slot, 0xFFFFu);
    }
    // Everything before the settings file is in place all the same.
    EXPECT_EQ(dialog->ChipList->count(), 4);
    EXPECT_FALSE(dialog->windowIcon().isNull());
    EXPECT_EQ(dialog->ProgressBar->value(), 0);
    EXPECT_EQ(dialog->MemoryFillBar->value(), 0);
}

// A port that fails under the probe (a driver gone, an adapter pulled) ends the search, not the
// program: the window starts without a board, says why, and leaves the supplies off.
TEST_F(StartupTest, APortThatFailsDuringDetectionLeavesTheWindowUpAndTheBoardUnpowered) {
    WriteFile(SettingsPath(), "000");
    for (long failAt : {5L, 6L}) {
        SCOPED_TRACE(failAt);
        FakePorts machine;
        machine.AddPort(0x378, FakePorts::Loopback);
        HookedPort failing(machine, failAt, [] { throw PortFailure("the port went away"); });
        link.SetIo(failing);
        desktop.boxes.clear();
        auto dialog = Start();
        EXPECT_EQ(dialog->PortNumber, 0xFFFF);
        EXPECT_EQ(dialog->DlgItemText(Ctl::ProgrammerStatus),
                  QStringLiteral("Pic-Programmer not found !"));
        ASSERT_EQ(desktop.boxes.size(), 1u);
        EXPECT_TRUE(desktop.boxes[0].text.startsWith(
            QStringLiteral("The programmer stopped answering (the port went away)")));
        EXPECT_EQ(machine.Data(0x378) & 0x0C, 0) << "supplies left on";
    }
}

TEST_F(StartupTest, DetectionShowsWhichPortTheBoardIsOn) {
    const struct {
        std::uint16_t base;
        int port;
        const char* text;
    } rows[] = {
        {0x378, 1, "PIC-Programmer on LPT1"},
        {0x278, 2, "PIC-Programmer on LPT2"},
        {0x3BC, 3, "Pic-Programmer not found !"},
    };
    for (const auto& row : rows) {
        FakePorts board;
        board.AddPort(row.base, FakePorts::Loopback);
        link.SetIo(board);
        auto dialog = Start();
        EXPECT_EQ(dialog->PortNumber, row.port);
        EXPECT_EQ(dialog->DlgItemText(Ctl::ProgrammerStatus), QString::fromLatin1(row.text));
    }
}

// An FTDI adapter is named by its kind and serial, as the user knows it.
TEST_F(StartupTest, TheStatusLineNamesTheFtdiAdapterTheBoardIsOn) {
    const PinMap pins = DefaultPinMap(PortKind::Ftdi);
    FakeFtdi adapter(delays.clock(), pins);
    FtdiPort port({}, pins, delays.clock(), &adapter);
    link.SetPort(port);
    link.SetPins(pins, PortKind::Ftdi);
    link.ChoosePort(port.Ports().front());
    auto dialog = Start();
    EXPECT_EQ(dialog->DlgItemText(Ctl::ProgrammerStatus),
              QStringLiteral("PIC-Programmer on FT232R A6008xyz"));
    dialog.reset();
    link.SetIo(ports);
}

TEST_F(StartupTest, TheStoredListComesBackWithItsSelectionAndChip) {
    const QStringList files = {PathOf("a.hex"), PathOf("b.hex"), PathOf("a.hex")};
    WriteFile(PathOf("b.hex"), ":00000001FF\r\n");
    WriteFile(SettingsPath(), SettingsBytes("213", files));
    auto dialog = Start();
    EXPECT_TRUE(desktop.boxes.empty()) << desktop.Texts().join('|').toStdString();
    ASSERT_EQ(dialog->FileCombo->count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(dialog->FileCombo->itemText(i), files[i]);
    }
    EXPECT_EQ(dialog->FileCombo->currentIndex(), 1);
    EXPECT_EQ(dialog->FileSelection, 1);
    EXPECT_EQ(dialog->FileName, files[1]);
    EXPECT_EQ(dialog->HexTextLength, 13);
}

TEST_F(StartupTest, AMissingDataFileIsNamedAndTheStoredChipStays) {
    WriteFile(SettingsPath(), SettingsBytes("301", {PathOf("gone.hex")}));
    auto dialog = Start();
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].text, PathOf("gone.hex") + QStringLiteral(" was not found."));
    EXPECT_EQ(dialog->FileCombo->count(), 1);
    EXPECT_EQ(dialog->ChipType, 3);
    EXPECT_EQ(dialog->DlgItemText(Ctl::ChipName), QStringLiteral("12c671"));
    EXPECT_EQ(dialog->HexTextLength, 0);
}

TEST_F(StartupTest, HostileSettingsNeverNameAChipOrFileThatIsNotThere) {
    const struct {
        QByteArray bytes;
        int chipType;
        int entries;
        int selection;
    } rows[] = {
        {"", 0, 0, -1},
        {"7", 0, 0, -1},    // no chip digit above 4
        {"x?z", 0, 0, -1},  // non-digits read as 0
        {"419", 4, 0, -1},  // nine records announced, none there
        {"092", 0, 0, -1},  // selection 9 names no entry
        {SettingsBytes("102", {"/nowhere/one.hex"}) + "abc", 1, 1, 0},  // a short second record
    };
    for (const auto& row : rows) {
        WriteFile(SettingsPath(), row.bytes);
        desktop.boxes.clear();
        auto dialog = Start();
        SCOPED_TRACE(row.bytes.left(3).toStdString());
        EXPECT_EQ(dialog->ChipType, row.chipType);
        EXPECT_EQ(dialog->FileCombo->count(), row.entries);
        EXPECT_EQ(dialog->FileCombo->currentIndex(), row.selection);
        // Only the selected file's own absence may be reported.
        for (const auto& box : desktop.boxes) {
            EXPECT_TRUE(box.text.endsWith(QStringLiteral("one.hex was not found.")))
                << box.text.toStdString();
        }
    }
}

TEST_F(StartupTest, AFileLongerThanThirteenThousandBytesIsReadToThatLength) {
    WriteFile(PathOf("big.hex"), QByteArray(20000, ':'));
    WriteFile(SettingsPath(), SettingsBytes("001", {PathOf("big.hex")}));
    auto dialog = Start();
    EXPECT_EQ(dialog->HexTextLength, 13000);
}

TEST_F(StartupTest, TheWindowMenuEndsWithASeparatorAndTheAboutItem) {
    auto dialog = Start();
    const QList<QAction*> actions = dialog->WindowMenu()->actions();
    ASSERT_EQ(actions.size(), 7);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Minimize"));
    EXPECT_EQ(actions[1]->text(), QStringLiteral("Close"));
    EXPECT_EQ(actions[2]->text(), QStringLiteral("Search for the programmer again"));
    EXPECT_EQ(actions[3]->text(), QStringLiteral("Programmer port"));
    EXPECT_FALSE(actions[3]->isVisible()) << "offered only over a real board";
    EXPECT_EQ(actions[4]->text(), QStringLiteral("Fast programming (adaptive algorithm)"));
    EXPECT_TRUE(actions[5]->isSeparator());
    EXPECT_EQ(actions[6]->text(), QStringLiteral("Info about Chipsmith..."));
}

TEST_F(StartupTest, ABoardOnACardIsFoundAndNamedByItsParport) {
    FakePorts machine;
    machine.AddListedPort(0xD010, "/dev/parport2", FakePorts::Loopback);
    link.SetIo(machine);
    auto dialog = Start();
    EXPECT_EQ(dialog->PortNumber, 1);
    EXPECT_EQ(dialog->DlgItemText(Ctl::ProgrammerStatus),
              QStringLiteral("PIC-Programmer on parport2"));
    EXPECT_EQ(link.DataPortAddress(), 0xD010);
}

TEST_F(StartupTest, SearchingAgainFindsABoardPluggedInLaterAndSaysWhyNotBefore) {
    auto dialog = Start();
    const QWidget* status = dialog->DlgItem(Ctl::ProgrammerStatus);
    EXPECT_EQ(dialog->PortNumber, 0xFFFF);
    EXPECT_TRUE(status->toolTip().contains(QStringLiteral("LPT1 (0x378): no port at 0x378")))
        << status->toolTip().toStdString();

    PlugBoardIntoLpt1();
    dialog->WindowMenu()->actions()[2]->trigger();
    EXPECT_EQ(dialog->PortNumber, 1);
    EXPECT_EQ(dialog->DlgItemText(Ctl::ProgrammerStatus), QStringLiteral("PIC-Programmer on LPT1"));

    ports.AddPort(0x378, [](std::uint8_t) { return std::uint8_t{0x00}; });  // unplugged again
    dialog->OnSearchProgrammer();
    EXPECT_EQ(dialog->PortNumber, 0xFFFF);
    EXPECT_EQ(dialog->DlgItemText(Ctl::ProgrammerStatus),
              QStringLiteral("Pic-Programmer not found !"));
    EXPECT_TRUE(status->toolTip().contains(QStringLiteral("no answer to the probe at 0x378")));
}

}  // namespace
