#include "app/ProgrammerApp.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <cstdio>

#include "app/ControlIds.h"
#include "app/ProgrammerDlg.h"
#include "app/QtDesktop.h"
#include "app/StopSignals.h"
#include "link/ParportIo.h"
#include "link/PortChoice.h"
#include "link/ProgrammerLink.h"

QString SettingsFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Chipsmith.ini");
}

CProgrammerApp::CProgrammerApp() = default;

CProgrammerApp::~CProgrammerApp() = default;

PortIo& CProgrammerApp::Port() {
    if (port_ == nullptr) {
        port_ = std::make_unique<ParportIo>();
    }
    return *port_;
}

void CProgrammerApp::DialogCreated(CProgrammerDlg&) {}

bool CProgrammerApp::ApplyChosenPort(PortIo& io) {
    if (chosenPort_.isEmpty()) {
        return true;
    }
    const std::optional<PortChoice> choice = ParsePortChoice(chosenPort_.toStdString());
    std::string why;
    std::optional<PortInfo> port;
    if (!choice || choice->kind == PortChoice::Kind::Simulated) {
        why = "not a port; give /dev/parportN, lpt1, lpt2, lpt3 or an I/O base like 0x378";
    } else if (choice->kind != PortChoice::Kind::Auto) {
        port = ResolvePort(*choice, io, why);
    }
    if (!why.empty()) {
        // Only the port the user named may be touched; the status line's tooltip says why
        // none was, and detection prints the same line on standard error.
        RefusePortChoice("--port " + chosenPort_.toStdString() + ": " + why);
        return false;
    }
    ChoosePort(port);
    return true;
}

int CProgrammerApp::RunMainDialog() {
    // The board's link for the whole run; once it is gone nothing reaches the port any more.
    InstalledLink link(Port());
    ApplyChosenPort(Port());
    QtDesktop desktop;
    CProgrammerDlg dialog(desktop, SettingsFilePath());
    desktop.SetOwner(&dialog);
    desktop.SetAbout([&dialog] { dialog.OnSysCommand(IDM_ABOUTBOX); });
    StopSignals stop([&dialog] {
        // Also ends any message box the user has open; a running operation stops by itself.
        dialog.done(CProgrammerDlg::InterruptedResult);
        QCoreApplication::exit(CProgrammerDlg::InterruptedResult);
    });
    DialogCreated(dialog);
    const int result = dialog.exec();
    ChoosePort(std::nullopt);
    return result == CProgrammerDlg::InterruptedResult ? result : 0;
}
