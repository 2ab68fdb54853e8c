#include <signal.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <functional>

#include "app/ControlIds.h"
#include "app/ProgrammerApp.h"
#include "app/StopSignals.h"
#include "chip/Interruption.h"
#include "tests/app/DialogFixture.h"
#include "tests/support/HookedPort.h"

namespace {

class BusyStateTest : public DialogFixture {
protected:
    void SetUp() override {
        dialog = StartWithBlink508();
        desktop.boxes.clear();
    }
    void Press(int id) { qobject_cast<QAbstractButton*>(dialog->DlgItem(id))->click(); }
    void ExpectSuppliesOff() { EXPECT_EQ(board.DataRegister() & 0x0C, 0) << "supplies left on"; }

    std::unique_ptr<CProgrammerDlg> dialog;
};

// A press that reaches a button while a chip command runs starts nothing: no second operation runs
// inside the first, now or after it.
TEST_F(BusyStateTest, APressDuringARunStartsNoOtherCommand) {
    const struct {
        int run;
        int pressed;
        const char* status;  // what the first command leaves on the status line
    } rows[] = {
        {Ctl::Programm, Ctl::Read, "Programming successful ."},
        {Ctl::Read, Ctl::Erased, " "},
        {Ctl::Erased, Ctl::Automatic, "PIC is empty ."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.run);
        board.Insert(SimulatedChip::Factory(1, 0x5A));
        bool pressed = false;
        HookedPort hooked(board, 400, [&] {
            pressed = true;
            Press(row.pressed);
        });
        link.SetIo(hooked);
        desktop.answers = {true};
        Press(row.run);
        link.SetIo(board);
        EXPECT_TRUE(pressed);
        EXPECT_EQ(dialog->DlgItemText(Ctl::StatusLine), QString::fromLatin1(row.status));
        EXPECT_LE(desktop.boxes.size(), 1u) << desktop.Texts().join('|').toStdString();
        EXPECT_FALSE(dialog->OperationRunning());
        ExpectSuppliesOff();
        desktop.boxes.clear();
        desktop.answers.clear();
    }
}

// The port fails in the middle of Programm: the supplies are off, the user is told that the
// programmer stopped answering (not that the chip is bad), and the board counts as gone.
TEST_F(BusyStateTest, APortThatFailsMidRunIsReportedAsTheProgrammerAndPoweredDown) {
    HookedPort hooked(board, 2000, [] { throw PortFailure("the write of /dev/parport0 failed"); });
    link.SetIo(hooked);
    desktop.answers = {true};
    Press(Ctl::Programm);
    link.SetIo(board);
    ASSERT_EQ(desktop.boxes.size(), 2u) << desktop.Texts().join('|').toStdString();
    EXPECT_TRUE(desktop.boxes[1].text.startsWith(
        QStringLiteral("The programmer stopped answering (the write of /dev/parport0 failed).")));
    EXPECT_EQ(desktop.boxes[1].icon, Desktop::Icon::Stop);
    ExpectSuppliesOff();
    EXPECT_NE(dialog->DlgItemText(Ctl::StatusLine), QStringLiteral("Programming successful ."));
    desktop.boxes.clear();
    Press(Ctl::Read);
    EXPECT_EQ(desktop.Texts(), QStringList{QStringLiteral("No Programmer !")});
}

// A real SIGTERM in the middle of Programm: the word in hand is finished, the board powered down,
// and the window ends as interrupted; while the run went on, the signal's handler closed nothing.
TEST_F(BusyStateTest, AStopSignalDuringARunEndsItPoweredDown) {
    ClearStopRequest();
    int closedByHandler = 0;
    StopSignals stop([&] {
        if (!dialog->OperationRunning()) {
            ++closedByHandler;
        }
    });
    HookedPort hooked(board, 2000, [] { ::raise(SIGTERM); });
    link.SetIo(hooked);
    desktop.answers = {true};
    Press(Ctl::Programm);
    link.SetIo(board);
    EXPECT_TRUE(StopRequested());
    ClearStopRequest();
    EXPECT_EQ(dialog->result(), CProgrammerDlg::InterruptedResult);
    EXPECT_EQ(closedByHandler, 0);
    ExpectSuppliesOff();
    EXPECT_FALSE(board.Chip()->Pulses().empty()) << "the run had started";
}

// The application over a board that raises SIGTERM at the first access of the start-up detection.
class SignalledApp final : public CProgrammerApp {
public:
    explicit SignalledApp(PortIo& board) : hooked_(board, 1, [] { ::raise(SIGTERM); }) {}

protected:
    PortIo& Port() override { return hooked_; }

private:
    HookedPort hooked_;
};

// The application over the fixture's simulated board.
class BoardApp final : public CProgrammerApp {
public:
    explicit BoardApp(PortIo& board) : board_(board) {}

protected:
    PortIo& Port() override { return board_; }

private:
    PortIo& board_;
};

// A stop signal during the start-up detection is handled, not fatal: the probe ends with the port
// unpowered, and the program ends as interrupted before any window or box is shown.
TEST_F(BusyStateTest, AStopSignalDuringDetectionEndsTheProgramUnpowered) {
    dialog.reset();
    ClearStopRequest();
    SignalledApp app(board);
    const int status = app.RunMainDialog();
    EXPECT_TRUE(StopRequested());
    ClearStopRequest();
    EXPECT_EQ(status, 128 + SIGTERM);
    ExpectSuppliesOff();
    EXPECT_TRUE(desktop.boxes.empty());
}

// A stop signal while the start's own box is open ("... was not found.", no settings file yet):
// the box is closed and the program ends as interrupted, rather than wait for an answer.
TEST_F(BusyStateTest, AStopSignalWhileTheStartUpBoxIsOpenEndsTheProgram) {
    dialog.reset();
    ClearStopRequest();
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral("empty")).toLocal8Bit());
    int boxesSeen = 0;
    QTimer signaller;
    QObject::connect(&signaller, &QTimer::timeout, [&boxesSeen] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            // The first time, the signal; should the box stay, it is closed so the test ends.
            if (boxesSeen++ == 0) {
                ::raise(SIGTERM);
            } else {
                box->close();
            }
        }
    });
    signaller.start(20);
    BoardApp app(board);
    const int status = app.RunMainDialog();
    qputenv("XDG_CONFIG_HOME", configHome);
    EXPECT_TRUE(StopRequested());
    ClearStopRequest();
    EXPECT_EQ(status, 128 + SIGTERM);
    EXPECT_EQ(boxesSeen, 1) << "the box waited for an answer after the signal";
}

}  // namespace
