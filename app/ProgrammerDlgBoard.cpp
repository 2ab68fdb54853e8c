// Where the board is: detection at start-up and again on the user's request, with the reasons each
// port was passed over in the status line's tooltip and on standard error.

#include <QLabel>
#include <QStringList>
#include <cstdio>

#include "app/ControlIds.h"
#include "app/Desktop.h"
#include "app/DialogTemplate.h"
#include "app/ProgrammerDlg.h"
#include "app/WaitCursor.h"
#include "chip/BoardChecks.h"
#include "chip/ChipSession.h"
#include "link/PortChoice.h"
#include "link/ProgrammerLink.h"

namespace {

// The status line's text from the dialog's template: the board has not been found.
QString NotFoundText() {
    for (const ControlTemplate& control : MainDialogTemplate.controls) {
        if (control.id == Ctl::ProgrammerStatus) {
            return QString::fromLatin1(control.caption);
        }
    }
    return {};
}
// The window treats a board at 0x3BC as no board; say so, since the probe did find it.
const QString At3BCText = QStringLiteral(
    "LPT3 (0x3BC): a board answers here, but this program uses only LPT1, LPT2 "
    "and the other parallel ports");

}  // namespace

void CProgrammerDlg::FindProgrammer() {
    BoardSearch search{};
    try {
        search = FindBoard(board_, 0xFFFF);
    } catch (const PortFailure& failure) {
        // A port that failed under the probe: nothing may stay powered, and the window goes on.
        PowerDownBestEffort(board_);
        ReportPortFailure(failure.what());
        return;
    }
    PortNumber = search.code;
    auto* status = qobject_cast<QLabel*>(DlgItem(Ctl::ProgrammerStatus));
    if (PortNumber == 1 || PortNumber == 2) {
        SetDlgItemText(Ctl::ProgrammerStatus,
                       QStringLiteral("PIC-Programmer on %1")
                           .arg(QString::fromStdString(search.board->label)));
        // Where the board is and how it is wired there.
        const ProgrammerLink& link = board_;
        const std::string place =
            search.board->device.empty() ? PortPlace(*search.board) : search.board->device;
        status->setToolTip(QString::fromStdString(place + "\npins " +
                                                  DescribePinMap(link.Pins(), link.PinKind())));
        return;
    }
    SetDlgItemText(Ctl::ProgrammerStatus, NotFoundText());
    QStringList reasons;
    if (PortNumber == 3) {
        reasons << At3BCText;
    }
    for (const std::string& line : DescribeProbes(search)) {
        reasons << QString::fromStdString(line);
    }
    status->setToolTip(reasons.join(QLatin1Char('\n')));
    for (const QString& reason : reasons) {
        std::fprintf(stderr, "chipsmith: %s\n", reason.toLocal8Bit().constData());
    }
}

void CProgrammerDlg::ReportPortFailure(const std::string& why) {
    PortNumber = 0xFFFF;
    SetDlgItemText(Ctl::ProgrammerStatus, NotFoundText());
    const QString reason = QString::fromStdString(why);
    qobject_cast<QLabel*>(DlgItem(Ctl::ProgrammerStatus))->setToolTip(reason);
    SetDlgItemText(Ctl::StatusLine, QStringLiteral(" "));
    SetBarPosition(ProgressBar, -1);
    std::fprintf(stderr, "chipsmith: %s\n", reason.toLocal8Bit().constData());
    desktop_.Tell(QStringLiteral("The programmer stopped answering (%1). Its supplies are switched "
                                 "off. Check the cable and the port, then choose \"Search for the "
                                 "programmer again\" in the window menu.")
                      .arg(reason),
                  Desktop::Icon::Stop);
}

void CProgrammerDlg::ReportBusyMachine(const std::string& why, bool changed) {
    SetDlgItemText(Ctl::StatusLine, QStringLiteral(" "));
    SetBarPosition(ProgressBar, -1);
    std::fprintf(stderr, "chipsmith: %s\n", why.c_str());
    desktop_.Tell(QStringLiteral("The programmer's supplies could not be switched 9 ms apart, %1 "
                                 "times in a row (%2): this computer was too busy. The supplies "
                                 "are switched off and the programmer answers; %3")
                      .arg(QString::number(PowerUpAttempts), QString::fromStdString(why),
                           changed ? QStringLiteral("the chip is partly programmed.")
                                   : QStringLiteral("the chip was not changed. Close other "
                                                    "programs and try again.")),
                  Desktop::Icon::Stop);
}

void CProgrammerDlg::ReportInconsistentChip() {
    SetDlgItemText(Ctl::StatusLine, QStringLiteral("PIC reads inconsistent !"));
    SetBarPosition(ProgressBar, -1);
    desktop_.Tell(QStringLiteral("PIC reads inconsistent ! Three readings of the chip gave three "
                                 "different results: an EPROM cell programmed too weakly, or a "
                                 "bad contact in the socket. The programmer itself answers."),
                  Desktop::Icon::Stop);
}

void CProgrammerDlg::OnSearchProgrammer() {
    WaitCursor wait;
    FindProgrammer();
}
