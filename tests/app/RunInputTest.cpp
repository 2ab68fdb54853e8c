#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <functional>

#include "app/ControlIds.h"
#include "tests/app/DialogFixture.h"

namespace {

// The fixture's virtual clock, given to the board, calling `hook` at every 40th pause: the test
// acts while a chip operation holds the thread.
class HookedDelays final : public Delays {
public:
    HookedDelays(ProgrammerLink& board, VirtualDelays& clock, std::function<void()> hook)
        : board_(board), clock_(clock), hook_(std::move(hook)) {
        board_.SetClock(*this);
    }
    ~HookedDelays() override { board_.SetClock(clock_); }
    void Pause(int milliseconds) override {
        clock_.Pause(milliseconds);
        if (pauses++ % 40 == 0) {
            hook_();
        }
    }
    void BusyWait(int iterations) override { clock_.BusyWait(iterations); }
    std::int64_t Now() const override { return clock_.Now(); }
    void WaitUntil(std::int64_t deadline) override { clock_.WaitUntil(deadline); }
    int pauses = 0;

private:
    ProgrammerLink& board_;
    VirtualDelays& clock_;
    std::function<void()> hook_;
};

// What the window system delivers for a click or a key: a press and a release, queued.
void Post(QWidget* widget, Qt::Key key = Qt::Key_unknown) {
    const QPointF inside(widget->width() / 2.0, widget->height() / 2.0);
    for (bool press : {true, false}) {
        QCoreApplication::postEvent(
            widget,
            key != Qt::Key_unknown
                ? static_cast<QEvent*>(new QKeyEvent(press ? QEvent::KeyPress : QEvent::KeyRelease,
                                                     key, Qt::NoModifier))
                : new QMouseEvent(press ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease,
                                  inside, widget->mapToGlobal(inside), Qt::LeftButton,
                                  press ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier));
    }
}

class RunInputTest : public DialogFixture {
protected:
    void SetUp() override {
        dialog = StartWithBlink508();
        dialog->show();
    }
    std::unique_ptr<CProgrammerDlg> dialog;
};

// Clicks, keys and close requests made while a run holds the window are dropped: none of them
// happens when the run is over.
TEST_F(RunInputTest, InputDuringARunHasNoEffectAfterIt) {
    const struct {
        const char* what;
        void (CProgrammerDlg::*run)();
        std::function<void(CProgrammerDlg&)> act;
    } rows[] = {
        // Replayed, it would program again without asking.
        {"Programm during Programm", &CProgrammerDlg::OnProgramm,
         [](CProgrammerDlg& d) { Post(d.DlgItem(Ctl::Programm)); }},
        // Replayed, it would end Automatic with "PIC NOT EMPTY !".
        {"Erased ? during Automatic", &CProgrammerDlg::OnAutomatic,
         [](CProgrammerDlg& d) { Post(d.DlgItem(Ctl::Erased)); }},
        {"Exit during Automatic", &CProgrammerDlg::OnAutomatic,
         [](CProgrammerDlg& d) { Post(d.DlgItem(Ctl::Exit)); }},
        {"Enter, Escape, the close box and the chip list during Automatic",
         &CProgrammerDlg::OnAutomatic,
         [](CProgrammerDlg& d) {
             Post(&d, Qt::Key_Return);
             Post(&d, Qt::Key_Escape);
             QCoreApplication::postEvent(&d, new QCloseEvent);
             Post(d.ChipList, Qt::Key_Down);
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        board.Insert(SimulatedChip::Factory(1, 0x5A));
        desktop.boxes.clear();
        desktop.answers = {true};
        {
            HookedDelays hooked(link, delays.clock(), [&] { row.act(*dialog); });
            (dialog.get()->*row.run)();
            EXPECT_GT(hooked.pauses, 80) << "the test acted during the run";
        }
        const QString status = dialog->DlgItemText(Ctl::StatusLine);
        const auto pulses = board.Chip()->Pulses().size();
        QCoreApplication::processEvents();

        EXPECT_EQ(dialog->DlgItemText(Ctl::StatusLine), status);
        EXPECT_EQ(desktop.Texts(), QStringList{QStringLiteral("Programm Data File now ?")});
        EXPECT_EQ(board.Chip()->Pulses().size(), pulses);
        EXPECT_EQ(dialog->ChipType, 1);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(ReadFile(SettingsPath()), QByteArray("000")) << "Exit did not run";
    }
}

// Between words the run lets queued work through, so the windows repaint and answer.
TEST_F(RunInputTest, TheWindowsAreServedDuringARun) {
    bool served = false;
    desktop.answers = {true};
    {
        HookedDelays hooked(link, delays.clock(),
                            [&] { QTimer::singleShot(0, dialog.get(), [&] { served = true; }); });
        dialog->OnProgramm();
    }
    EXPECT_TRUE(served) << "before the handler returned";
}

}  // namespace
