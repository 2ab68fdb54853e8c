#include "app/ProgrammerApp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QStandardPaths>
#include <cstdio>
#include <optional>

#include "app/AlgorithmSetting.h"
#include "app/ControlIds.h"
#include "app/ProgrammerDlg.h"
#include "app/QtDesktop.h"
#include "app/StopSignals.h"
#include "chip/ChipSession.h"
#include "chip/Interruption.h"
#include "link/FtdiPort.h"
#include "link/GpioPort.h"
#include "link/LinePort.h"
#include "link/ParportIo.h"
#include "link/PortChoice.h"
#include "link/ProgrammerLink.h"
#include "link/SystemDelays.h"

QString SettingsFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Chipsmith.ini");
}

CProgrammerApp::CProgrammerApp() = default;

CProgrammerApp::~CProgrammerApp() = default;

PortIo& CProgrammerApp::Port() {
    if (port_ == nullptr) {
        auto parallel = std::make_unique<ParportIo>();
        parallel->SetBits(BitsOf(pins_, PortKind::Parallel));
        port_ = std::move(parallel);
    }
    return *port_;
}

std::unique_ptr<LinePort> CProgrammerApp::NamedLinePort(Delays& clock) const {
    const std::optional<PortChoice> choice = ParsePortChoice(chosenPort_.toStdString());
    if (choice && choice->kind == PortChoice::Kind::Gpio) {
        // Only a GPIO chip named on the command line is ever opened: its lines may drive
        // anything.
        return std::make_unique<GpioPort>(choice->device, pins_);
    }
    if (choice && choice->kind == PortChoice::Kind::Ftdi) {
        // Likewise an FTDI adapter: only the one the command line names is claimed; another may
        // be the user's serial console.
        return std::make_unique<FtdiPort>(choice->ftdi, pins_, clock);
    }
    return nullptr;
}

void CProgrammerApp::DialogCreated(CProgrammerDlg&) {}

bool CProgrammerApp::ApplyChosenPort(ProgrammerLink& board) {
    if (chosenPort_.isEmpty()) {
        return true;
    }
    const std::optional<PortChoice> choice = ParsePortChoice(chosenPort_.toStdString());
    std::string why;
    std::optional<PortInfo> port;
    if (!choice || choice->kind == PortChoice::Kind::Simulated) {
        why =
            "not a port; give /dev/parportN, lpt1, lpt2, lpt3, an I/O base like 0x378, "
            "gpio:/dev/gpiochipN, ftdi, ftdi:SERIAL or ftdi:VID:PID";
    } else if (choice->kind != PortChoice::Kind::Auto) {
        port = ResolvePort(*choice, board.Port(), why);
    }
    if (!why.empty()) {
        // Only the port the user named may be touched; the status line's tooltip says why
        // none was, and detection prints the same line on standard error.
        board.RefusePortChoice("--port " + chosenPort_.toStdString() + ": " + why);
        return false;
    }
    board.ChoosePort(port);
    return true;
}

int CProgrammerApp::RunMainDialog() {
    // From the first port access on, a stop signal only raises the flag; detection ends with the
    // probed ports unpowered, and the dialog closes once its loop runs.
    CProgrammerDlg* running = nullptr;
    StopSignals stop([&running] {
        if (running == nullptr) {
            // A box of the start (no settings file) would hold the program until answered: it
            // is closed, and the program ends as soon as the dialog exists.
            if (QWidget* box = QApplication::activeModalWidget()) {
                box->close();
            }
            return;
        }
        if (running->OperationRunning()) {
            // The run ends at its next word, powered down; a box of its own is closed (as
            // Cancel) so that it gets there.
            if (QWidget* box = QApplication::activeModalWidget();
                box != nullptr && box != running) {
                box->close();
            }
            return;
        }
        // Also ends any message box the user has open.
        running->done(CProgrammerDlg::InterruptedResult);
        QCoreApplication::exit(CProgrammerDlg::InterruptedResult);
    });
    // The board for the whole run, on the real clock; once it is gone nothing reaches the port
    // any more.
    SystemDelays clock;
    const std::unique_ptr<LinePort> named = NamedLinePort(clock);
    std::optional<ProgrammerLink> link;
    if (named) {
        link.emplace(*named, clock);
    } else {
        link.emplace(Port(), clock);
    }
    ProgrammerLink& board = *link;
    const std::optional<PortChoice> choice = ParsePortChoice(chosenPort_.toStdString());
    board.SetPins(pins_, choice ? PinsOf(*choice) : PortKind::Parallel);
    ApplyChosenPort(board);
    PowerDownOnTerminate(board);
    // However the run ends, the handler must not reach for a board that is gone.
    struct Forget {
        ProgrammerLink& board;
        ~Forget() { ForgetOnTerminate(board); }
    } forget{board};
    QtDesktop desktop;
    CProgrammerDlg dialog(board, desktop, SettingsFilePath());
    running = &dialog;
    desktop.SetOwner(&dialog);
    desktop.SetAbout([&dialog] { dialog.OnSysCommand(IDM_ABOUTBOX); });
    const QString algorithmPath = AlgorithmSettingPath();
    dialog.SetAlgorithm(fast_ ? Algorithm::Fast : LoadAlgorithm(algorithmPath));
    dialog.RememberAlgorithmAt(algorithmPath);
    DialogCreated(dialog);
    if (StopRequested()) {
        // Stopped during the start: nothing ran yet, and nothing is powered.
        return StopExitStatus();
    }
    const int result = dialog.exec();
    return result == CProgrammerDlg::InterruptedResult ? StopExitStatus() : 0;
}
