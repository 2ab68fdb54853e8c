#include "app/WindowCommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

#include "app/BoardPortSetting.h"
#include "link/PortChoice.h"

namespace {

constexpr int UsageStatus = 2;

}  // namespace

WindowCommandLine ParseWindowCommandLine(const QStringList& arguments, const QString& description,
                                         bool withPort, const QString& remembered) {
    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays help on commandline options."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information."));
    const QCommandLineOption port(
        {QStringLiteral("p"), QStringLiteral("port")},
        QStringLiteral("Use only this port: /dev/parportN, lpt1, lpt2, lpt3, an I/O base like "
                       "0x378, a GPIO chip like gpio:/dev/gpiochip0, or an FTDI USB adapter: "
                       "ftdi, ftdi:SERIAL or ftdi:VID:PID (default: the adapter last chosen in "
                       "the window menu, else look for the board on LPT2, LPT1, LPT3, then on "
                       "every other parallel port; GPIO chips and other adapters only when "
                       "named). A port that cannot be used is reported, and no other is "
                       "touched."),
        QStringLiteral("port"));
    const QCommandLineOption pins(
        QStringLiteral("pins"),
        QStringLiteral("Where the board's lines are on the port, ~ for a line the board inverts "
                       "(default %1). Lines not named keep their default.")
            .arg(QString::fromStdString(DescribeDefaultPinMaps())),
        QStringLiteral("map"));
    const QCommandLineOption fast(
        QStringLiteral("fast"),
        QStringLiteral("Programm with the chip maker's adaptive algorithm (100 us pulses, each "
                       "read back, then a margin), about ten times faster, for this run. The "
                       "window menu's \"Fast programming (adaptive algorithm)\" chooses it too, "
                       "and is remembered."));
    parser.addOption(help);
    parser.addOption(version);
    if (withPort) {
        parser.addOption(port);
    }
    // chipsmith-sim's simulated board is wired by the map too, so a map can be tried on it.
    parser.addOption(pins);
    parser.addOption(fast);

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
    } else {
        parsed.port = withPort ? parser.value(port) : QString();
        parsed.fast = parser.isSet(fast);
        const std::optional<PortChoice> choice =
            ParsePortChoice(StartingPort(parsed.port, remembered).toStdString());
        const PortKind kind = choice ? PinsOf(*choice) : PortKind::Parallel;
        parsed.pins = DefaultPinMap(kind);
        std::string why;
        const std::optional<PinMap> map =
            parser.isSet(pins)
                ? ParsePinMap(parser.value(pins).toStdString(), kind, parsed.pins, why)
                : parsed.pins;
        if (!map) {
            parsed.error = QStringLiteral("%1: --pins: %2 (try --help)\n")
                               .arg(program, QString::fromStdString(why));
            parsed.exitNow = UsageStatus;
        } else {
            parsed.pins = *map;
        }
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
