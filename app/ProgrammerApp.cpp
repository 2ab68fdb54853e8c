#include "app/ProgrammerApp.h"

#include <QStandardPaths>

#include "app/ProgrammerDlg.h"
#include "app/QtDesktop.h"
#include "link/ParportIo.h"
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

int CProgrammerApp::RunMainDialog() {
    // The board's link for the whole run; once it is gone nothing reaches the port any more.
    InstalledLink link(Port());
    QtDesktop desktop;
    CProgrammerDlg dialog(desktop, SettingsFilePath());
    desktop.SetOwner(&dialog);
    DialogCreated(dialog);
    dialog.exec();
    return 0;
}
