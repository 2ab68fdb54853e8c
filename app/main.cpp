#include <QApplication>

#include "app/AlgorithmSetting.h"
#include "app/BoardPortSetting.h"
#include "app/PlatformChoice.h"
#include "app/ProgrammerApp.h"
#include "app/WindowCommandLine.h"

int main(int argc, char** argv) {
    UsePreferredPlatform();
    QApplication application(argc, argv);
    QApplication::setDesktopFileName(QStringLiteral("org.chipsmith.programmer"));
    QApplication::setApplicationVersion(QStringLiteral(CHIPSMITH_VERSION));
    // The port chosen in the window menu before: where the board is looked for without --port.
    const QString windowSettings = AlgorithmSettingPath();
    const QString remembered = LoadBoardPort(windowSettings);
    const WindowCommandLine parsed = ParseWindowCommandLine(
        QApplication::arguments(),
        QStringLiteral("Programs PIC12C508/509/671/672 chips on the Chipsmith programmer board."),
        true, remembered);
    if (const std::optional<int> status = ReportWindowCommandLine(parsed)) {
        return *status;
    }

    CProgrammerApp program;
    program.SetChosenPort(parsed.port);
    program.OfferPortChoice(windowSettings, remembered);
    program.SetPins(parsed.pins);
    program.SetFast(parsed.fast);
    return program.RunMainDialog();
}
