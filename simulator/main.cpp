#include <QApplication>

#include "app/PlatformChoice.h"
#include "simulator/SimProgrammerApp.h"
#include "simulator/SocketFile.h"

int main(int argc, char** argv) {
    UsePreferredPlatform();
    QApplication application(argc, argv);
    QApplication::setDesktopFileName(QStringLiteral("org.chipsmith.programmer-sim"));
    SimProgrammerApp program(SocketFilePath());
    return program.RunMainDialog();
}
