#include <QApplication>

#include "app/PlatformChoice.h"
#include "app/ProgrammerApp.h"
#include "app/WindowCommandLine.h"

int main(int argc, char** argv) {
    UsePreferredPlatform();
    QApplication application(argc, argv);
    QApplication::setDesktopFileName(QStringLiteral("org.chipsmith.programmer"));
    QApplication::setApplicationVersion(QStringLiteral(CHIPSMITH_VERSION));
    const WindowCommandLine parsed = ParseWindowCommandLine(
        QApplication::arguments(),
        QStringLiteral("Programs PIC12C508/509/671/672 chips on the Chipsmith programmer board."),
        true);
    if (const std::optional<int> status = ReportWindowCommandLine(parsed)) {
        return *status;
    }

    CProgrammerApp program;
    program.SetChosenPort(parsed.port);
    program.SetPins(parsed.pins);
    program.SetFast(parsed.fast);
    return program.RunMainDialog();
}
