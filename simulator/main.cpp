#include <QApplication>

#include "app/PlatformChoice.h"
#include "app/WindowCommandLine.h"
#include "simulator/SimProgrammerApp.h"
#include "simulator/SocketFile.h"

int main(int argc, char** argv) {
    UsePreferredPlatform();
    QApplication application(argc, argv);
    QApplication::setDesktopFileName(QStringLiteral("org.chipsmith.programmer-sim"));
    QApplication::setApplicationVersion(QStringLiteral(CHIPSMITH_VERSION));
    const WindowCommandLine parsed = ParseWindowCommandLine(
        QApplication::arguments(),
        QStringLiteral("Chipsmith Programmer over a simulated board: the chip in its Virtual "
                       "socket window is kept in %1.")
            .arg(SocketFilePath()),
        false);
    if (const std::optional<int> status = ReportWindowCommandLine(parsed)) {
        return *status;
    }
    SimProgrammerApp program(SocketFilePath());
    program.SetPins(parsed.pins);
    program.SetFast(parsed.fast);
    return program.RunMainDialog();
}
