#include "app/WindowCommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

namespace {

constexpr int UsageStatus = 2;

}  // namespace

WindowCommandLine ParseWindowCommandLine(const QStringList& arguments, const QString& description,
                                         bool withPort) {
    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays help on commandline options."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information."));
    const QCommandLineOption port(
        {QStringLiteral("p"), QStringLiteral("port")},
        QStringLiteral("Use only this port: /dev/parportN, lpt1, lpt2, lpt3 or an I/O base like "
                       "0x378 (default: look for the board on LPT2, LPT1, LPT3, then on every "
                       "other parallel port). A port that cannot be used is reported, and no "
                       "other is touched."),
        QStringLiteral("port"));
    parser.addOption(help);
    parser.addOption(version);
    if (withPort) {
        parser.addOption(port);
    }

    WindowCommandLine parsed;
    const QString program = QFileInfo(arguments.value(0)).fileName();
    if (!parser.parse(arguments)) {
        parsed.error = QStringLiteral("%1: %2 (try --help)\n").arg(program, parser.errorText());
        parsed.exitNow = UsageStatus;
    } else if (parser.isSet(help)) {
        parsed.output = parser.helpText();
        parsed.exitNow = 0;
    } else if (parser.isSet(version)) {
        parsed.output =
            QStringLiteral("%1 %2\n").arg(program, QCoreApplication::applicationVersion());
        parsed.exitNow = 0;
    } else if (!parser.positionalArguments().isEmpty()) {
        parsed.error = QStringLiteral("%1: unexpected argument \"%2\" (try --help)\n")
                           .arg(program, parser.positionalArguments().front());
        parsed.exitNow = UsageStatus;
    } else if (withPort) {
        parsed.port = parser.value(port);
    }
    return parsed;
}

std::optional<int> ReportWindowCommandLine(const WindowCommandLine& parsed) {
    if (!parsed.output.isEmpty()) {
        std::fputs(parsed.output.toLocal8Bit().constData(), stdout);
    }
    if (!parsed.error.isEmpty()) {
        std::fputs(parsed.error.toLocal8Bit().constData(), stderr);
    }
    return parsed.exitNow;
}
