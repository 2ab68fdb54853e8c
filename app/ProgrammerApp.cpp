#include "app/ProgrammerApp.h"

#include <QStandardPaths>

#include "app/ProgrammerDlg.h"
#include "app/QtDesktop.h"
#include "link/ParportIo.h"
#include "link/ProgrammerPort.h"

QString SettingsFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Chipsmith.ini");
}

int CProgrammerApp::RunMainDialog() {
    static AbsentPortIo afterwards;
    ParportIo port;
    SetPortIo(port);
    QtDesktop desktop;
    {
        CProgrammerDlg dialog(desktop, SettingsFilePath());
        desktop.SetOwner(&dialog);
        dialog.exec();
    }
    // The port is released on the way out; nothing may reach it after that.
    SetPortIo(afterwards);
    return 0;
}
