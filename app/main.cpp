#include <QApplication>
#include <QCommandLineParser>

#include "app/PlatformChoice.h"
#include "app/ProgrammerApp.h"

int main(int argc, char** argv) {
    UsePreferredPlatform();
    QApplication application(argc, argv);
    QApplication::setDesktopFileName(QStringLiteral("org.chipsmith.programmer"));
    QApplication::setApplicationVersion(QStringLiteral(CHIPSMITH_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Programs PIC12C508/509/671/672 chips on the Chipsmith programmer board."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption port(
        {QStringLiteral("p"), QStringLiteral("port")},
        QStringLiteral("Use only this port: /dev/parportN, lpt1, lpt2, lpt3 or an I/O base like "
                       "0x378 (default: look for the board on LPT2, LPT1, LPT3, then on every "
                       "other parallel port)."),
        QStringLiteral("port"));
    parser.addOption(port);
    parser.process(application);

    CProgrammerApp program;
    program.SetChosenPort(parser.value(port));
    return program.RunMainDialog();
}
