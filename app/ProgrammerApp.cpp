#include "app/ProgrammerApp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QStandardPaths>
#include <cstdio>
#include <optional>

#include "app/AlgorithmSetting.h"
#include "app/BoardPortSetting.h"
#include "app/BoardPorts.h"
#include "app/ControlIds.h"
#include "app/ProgrammerDlg.h"
#include "app/QtDesktop.h"
#include "app/StopSignals.h"
#include "chip/ChipSession.h"
#include "chip/Interruption.h"
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

QString CProgrammerApp::StartingPort() const {
    return ::StartingPort(chosenPort_, remembered_);
}

PortIo& CProgrammerApp::Port() {
    if (port_ == nullptr) {
        // --pins speak of the port the board starts on; on another kind of port they would name
        // other pins.
        const std::optional<PortChoice> start = ParsePortChoice(StartingPort().toStdString());
        const bool parallelPins = !start || PinsOf(*start) == PortKind::Parallel;
        auto parallel = std::make_unique<ParportIo>();
        parallel->SetBits(
            BitsOf(parallelPins ? pins_ : DefaultPinMap(PortKind::Parallel), PortKind::Parallel));
        port_ = std::move(parallel);
    }
    return *port_;
}

void CProgrammerApp::DialogCreated(CProgrammerDlg&) {}

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
    AbsentPortIo nowhere;  // until the board is put on its port, a moment later
    ProgrammerLink board(nowhere, clock);
    const QString start = StartingPort();
    const std::optional<PortChoice> choice = ParsePortChoice(start.toStdString());
    BoardPorts ports(
        board, clock, [this]() -> PortIo& { return Port(); }, pins_,
        choice ? PinsOf(*choice) : PortKind::Parallel);
    ports.Use(start);
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
    if (!portPath_.isEmpty()) {
        dialog.OfferBoardPorts(&ports, portPath_);
    }
    DialogCreated(dialog);
    if (StopRequested()) {
        // Stopped during the start: nothing ran yet, and nothing is powered.
        return StopExitStatus();
    }
    const int result = dialog.exec();
    return result == CProgrammerDlg::InterruptedResult ? StopExitStatus() : 0;
}
