#include "app/ProgrammerApp.h"

#include <QStandardPaths>

#include "app/ControlIds.h"
#include "app/ProgrammerDlg.h"
#include "app/QtDesktop.h"
#include "link/ParportIo.h"
#include "link/ProgrammerPort.h"

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

int CProgrammerApp::RunMainDialog() {
    static AbsentPortIo afterwards;
    SetPortIo(Port());
    QtDesktop desktop;
    {
        CProgrammerDlg dialog(desktop, SettingsFilePath());
        desktop.SetOwner(&dialog);
        desktop.SetAbout([&dialog] { dialog.OnSysCommand(IDM_ABOUTBOX); });
        DialogCreated(dialog);
        dialog.exec();
    }
    // Nothing may reach the port once the application is gone.
    SetPortIo(afterwards);
    return 0;
}
