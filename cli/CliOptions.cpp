#include "cli/CliOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <algorithm>

#include "chip/ChipTable.h"
#include "cli/ProductionOptions.h"

namespace {

const QString Description = QStringLiteral(
    "Reads, blank-checks, verifies and programs PIC12C508, PIC12C509, PIC12C671 and PIC12C672\n"
    "chips on the Chipsmith programmer board, from a terminal.\n"
    "\n"
    "Commands:\n"
    "%1\n"
    "Exit status: 0 done; 1 the chip failed (not blank, differences, programming errors, no\n"
    "calibration value where one was needed); 2 usage error or unreadable file; 3 no board or\n"
    "the port cannot be used; 130, 143 or 129 stopped by SIGINT (Ctrl-C), SIGTERM or SIGHUP (128\n"
    "and the signal's number, as the shell counts).\n"
    "\n"
    "FILE - is standard input for verify, program and auto, and standard output for read.");

QString CommandList() {
    QString text;
    for (const CommandInfo& info : Commands()) {
        const QString usage =
            QString::fromLatin1(info.name) + (info.takesFile ? QStringLiteral(" FILE") : QString());
        text += QStringLiteral("  %1 %2\n").arg(usage, -14).arg(QString::fromLatin1(info.summary));
    }
    return text;
}

// The commands each option means something to; any other use of it is a mistake worth stopping
// for, since a script that passes it believes it has an effect.
struct OptionScope {
    const char* option;
    std::vector<Command> commands;
    const char* text;  // the commands, for the message
};

const std::vector<OptionScope>& OptionScopes() {
    using C = Command;
    static const std::vector<OptionScope> scopes = {
        {"chip",
         {C::Read, C::Blank, C::Verify, C::Program, C::Auto, C::Config, C::Osccal, C::Checksum},
         "the chip commands and checksum"},
        {"repeat",
         {C::Read, C::Blank, C::Verify, C::Program, C::Auto, C::Config, C::Osccal},
         "the chip commands"},
        {"calibration", {C::Program, C::Auto}, "program and auto"},
        {"fast", {C::Program, C::Auto}, "program and auto"},
        {"allow-nonblank", {C::Auto}, "auto"},
        {"force", {C::Read, C::Verify, C::Program, C::Auto}, "read, verify, program and auto"},
        {"dry-run", {C::Verify, C::Program, C::Auto}, "program, auto and verify"},
        {"serial", {C::Program, C::Auto}, "program and auto"},
        {"serial-step", {C::Program, C::Auto}, "program and auto"},
        {"serial-at", {C::Program, C::Auto}, "program and auto"},
        {"serial-file", {C::Program, C::Auto}, "program and auto"},
        {"log",
         {C::Read, C::Blank, C::Verify, C::Program, C::Auto, C::Config, C::Osccal},
         "the chip commands"},
    };
    return scopes;
}

// The first option given that does not apply to the command, as a usage error; empty when none.
QString MisplacedOption(const QCommandLineParser& parser, const CommandInfo& info) {
    for (const OptionScope& scope : OptionScopes()) {
        const QString name = QString::fromLatin1(scope.option);
        if (parser.isSet(name) && std::find(scope.commands.begin(), scope.commands.end(),
                                            info.command) == scope.commands.end()) {
            return QStringLiteral("--%1 is for %2, not %3")
                .arg(name, QString::fromLatin1(scope.text), QString::fromLatin1(info.name));
        }
    }
    if (parser.isSet(QStringLiteral("dry-run"))) {
        for (const char* other : {"repeat", "trace"}) {
            if (parser.isSet(QString::fromLatin1(other))) {
                return QStringLiteral("--%1 does not go with --dry-run, which touches no port")
                    .arg(QString::fromLatin1(other));
            }
        }
    }
    if (parser.isSet(QStringLiteral("quiet")) && parser.isSet(QStringLiteral("verbose"))) {
        return QStringLiteral("--quiet and --verbose ask for opposite things; give one");
    }
    return {};
}

}  // namespace

// A --port value in one of the forms the program writes ports in, yet not a port of that form
// (0xZZ, ftdi:0403:60010, gpio:), is a typing mistake: no machine has that port. Empty when the
// value is no such mistake.
QString MalformedPort(const QString& value) {
    const QString name = value.toLower();
    if (name.isEmpty()) {
        return QStringLiteral("--port: the port's name is empty");
    }
    if (name.startsWith(QLatin1String("0x")) || name.front().isDigit()) {
        return QStringLiteral(
                   "--port %1: an I/O base is 0x and up to four hex digits, 0x1 to "
                   "0xFFFE (like 0x378)")
            .arg(value);
    }
    if (name.startsWith(QLatin1String("ftdi:"))) {
        return QStringLiteral(
                   "--port %1: give ftdi, ftdi:SERIAL or ftdi:VID:PID (USB IDs in "
                   "hex, up to four digits each)")
            .arg(value);
    }
    if (name.startsWith(QLatin1String("gpio:"))) {
        return QStringLiteral("--port %1: give gpio:/dev/gpiochipN or gpio:gpiochipN").arg(value);
    }
    return {};
}

const std::vector<CommandInfo>& Commands() {
    static const std::vector<CommandInfo> commands = {
        {Command::Detect, "detect", false, "find the board and say on which port"},
        {Command::Read, "read", true, "read the whole chip into an Intel HEX file (- for stdout)"},
        {Command::Blank, "blank", false, "check that the program memory is blank"},
        {Command::Verify, "verify", true, "compare the chip with the file"},
        {Command::Program, "program", true, "program the file, keeping the chip's calibration"},
        {Command::Auto, "auto", true, "blank check, then program (a used chip is refused)"},
        {Command::Config, "config", false, "show the configuration word and what it means"},
        {Command::Osccal, "osccal", false, "show the oscillator calibration value"},
        {Command::Checksum, "checksum", true, "the file's checksum, as the maker's tools show it"},
    };
    return commands;
}

QString ChipOptionName(int chipType) {
    const ChipInfo* chip = FindChip(chipType);
    return chip != nullptr ? QString::fromLatin1(chip->name) : QString();
}

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(Description.arg(CommandList()));
    // Our own --help and --version: Qt's would add --help-all (Qt's options, which this program
    // does not take) and claim -v, which is --verbose here.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version."));
    const QCommandLineOption chip({QStringLiteral("c"), QStringLiteral("chip")},
                                  QStringLiteral("The chip: 12c508, 12c509, 12c671 or 12c672, or "
                                                 "a sibling programmed as one of them: 12c508a, "
                                                 "12ce518 (as 12c508), 12c509a, 12ce519 (as "
                                                 "12c509), 12ce673 (as 12c671), 12ce674 (as "
                                                 "12c672). Commands with a FILE take it from the "
                                                 "file."),
                                  QStringLiteral("chip"));
    const QCommandLineOption port(
        {QStringLiteral("p"), QStringLiteral("port")},
        QStringLiteral("The port: auto (default: LPT2, LPT1, LPT3, then other ports, then FTDI "
                       "adapters), lpt1, lpt2, "
                       "lpt3, 0x278, 0x378, 0x3bc (any I/O base), /dev/parportN, "
                       "gpio:/dev/gpiochipN (a GPIO chip, tried only when named), ftdi (the "
                       "first FTDI USB adapter), ftdi:SERIAL, ftdi:VID:PID (hex), or sim (the "
                       "simulated board with chipsmith-sim's virtual socket); sim:N is the N-th "
                       "of several simulated boards, each with a socket file of its own. Given "
                       "more than once, a chip on each board at once."),
        QStringLiteral("port"), QStringLiteral("auto"));
    const QCommandLineOption pins(
        QStringLiteral("pins"),
        QStringLiteral("Where the board's lines are on the port, ~ for a line the board inverts: "
                       "%1 (the defaults); lines not named keep their default.")
            .arg(QString::fromStdString(DescribeDefaultPinMaps())),
        QStringLiteral("MAP"));
    const QCommandLineOption calibration(
        QStringLiteral("calibration"),
        QStringLiteral("For program and auto: the calibration value (hex) to program when the "
                       "chip holds none; a chip that holds one keeps it."),
        QStringLiteral("XX"));
    const QCommandLineOption trace(
        QStringLiteral("trace"),
        QStringLiteral("Record every change of the board's lines as a Value Change Dump."),
        QStringLiteral("FILE.vcd"));
    const QCommandLineOption repeat(
        QStringLiteral("repeat"),
        QStringLiteral("For a batch: after each chip, wait for the next one (Enter; q or quit to "
                       "stop)."));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("No messages or progress bar: errors and the "
                                                  "result only."));
    const QCommandLineOption fast(
        QStringLiteral("fast"),
        QStringLiteral("For program and auto: the chip maker's adaptive algorithm (100 us "
                       "pulses)."));
    const QCommandLineOption allowNonblank(
        QStringLiteral("allow-nonblank"),
        QStringLiteral("Let auto program a chip that is not blank."));
    const QCommandLineOption force(
        QStringLiteral("force"),
        QStringLiteral("For read, verify, program and auto: go on where the program would refuse: "
                       "a file whose words do not fit the "
                       "chip, or writing what was read from a code-protected chip."));
    const QCommandLineOption verbose({QStringLiteral("v"), QStringLiteral("verbose")},
                                     QStringLiteral("Each phase with its time, on standard "
                                                    "error."));
    const QCommandLineOption dryRun(
        QStringLiteral("dry-run"),
        QStringLiteral("For program, auto and verify: touch no port; show the chip, the words, "
                       "the configuration word, the ID words and the calibration rule."));
    parser.addOptions({help, version, chip, port, pins, calibration, trace, repeat, quiet, fast,
                       allowNonblank, force, verbose, dryRun});
    const ProductionOptionSet production;
    parser.addOptions(production.All());
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("What to do (see Commands above)."));
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("The Intel HEX file, for the commands that take "
                                                "one (- for standard input or output)."),
                                 QStringLiteral("[FILE]"));

    ParsedCommandLine parsed;
    if (!parser.parse(arguments)) {
        parsed.error = parser.errorText();
        return parsed;
    }
    if (parser.isSet(help)) {
        parsed.output = parser.helpText();
        return parsed;
    }
    if (parser.isSet(version)) {
        parsed.output = QCoreApplication::applicationName() + QLatin1Char(' ') +
                        QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return parsed;
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        parsed.error = QStringLiteral("no command given (try --help)");
        return parsed;
    }
    const CommandInfo* info = nullptr;
    for (const CommandInfo& candidate : Commands()) {
        if (positional[0] == QString::fromLatin1(candidate.name)) {
            info = &candidate;
        }
    }
    if (info == nullptr) {
        parsed.error = QStringLiteral("unknown command \"%1\" (try --help)").arg(positional[0]);
        return parsed;
    }
    CliOptions options;
    options.command = info->command;
    if (info->takesFile && positional.size() < 2) {
        parsed.error = QStringLiteral("%1 needs a FILE").arg(positional[0]);
        return parsed;
    }
    if (info->takesFile && positional.size() > 2) {
        parsed.error = QStringLiteral("%1: too many arguments from \"%2\" on (one FILE)")
                           .arg(positional[0], positional[2]);
        return parsed;
    }
    if (!info->takesFile && positional.size() != 1) {
        parsed.error = QStringLiteral("%1 takes no FILE").arg(positional[0]);
        return parsed;
    }
    parsed.error = MisplacedOption(parser, *info);
    if (!parsed.error.isEmpty()) {
        return parsed;
    }
    if (info->takesFile) {
        options.file = positional[1];
        // Most often an unset variable in a script ("$HEX"): no file is ever named "".
        if (options.file.isEmpty()) {
            parsed.error = QStringLiteral("%1: the FILE name is empty").arg(positional[0]);
            return parsed;
        }
    }
    if (parser.isSet(chip)) {
        options.chip = FindChipByName(parser.value(chip).toStdString());
        if (options.chip == nullptr) {
            parsed.error = QStringLiteral(
                               "unknown chip \"%1\": choose 12c508, 12c509, 12c671 or "
                               "12c672 (or a sibling they serve: 12c508a, 12c509a, 12ce518, "
                               "12ce519, 12ce673, 12ce674)")
                               .arg(parser.value(chip));
            return parsed;
        }
        options.chipType = options.chip->chipType;
    }
    parsed.error = ReadPorts(
        parser.values(port).isEmpty() ? QStringList{QStringLiteral("auto")} : parser.values(port),
        parser.value(pins), parser.isSet(pins), options);
    if (parsed.error.isEmpty()) {
        parsed.error = ReadProductionOptions(parser, production, options);
    }
    if (!parsed.error.isEmpty()) {
        return parsed;
    }
    // Without a file there is nothing to tell the chip from, except the simulated socket's chip.
    if (!info->takesFile && info->command != Command::Detect && options.chipType == 0 &&
        options.port.kind != PortChoice::Kind::Simulated) {
        parsed.error =
            QStringLiteral("%1 needs --chip (12c508, 12c509, 12c671 or 12c672)").arg(positional[0]);
        return parsed;
    }
    if (parser.isSet(calibration)) {
        const QString text = parser.value(calibration);
        bool ok = false;
        const int value = text.toInt(&ok, 16);
        if (!ok || value < 0 || value > 0xFE) {
            parsed.error =
                QStringLiteral("--calibration takes a hex value from 0 to FE, not \"%1\"")
                    .arg(text);
            return parsed;
        }
        options.calibration = value;
    }
    options.tracePath = parser.value(trace);
    if (parser.isSet(trace) && options.tracePath.isEmpty()) {
        parsed.error = QStringLiteral("--trace: the file name is empty");
        return parsed;
    }
    options.repeat = parser.isSet(repeat);
    options.quiet = parser.isSet(quiet);
    options.fast = parser.isSet(fast);
    options.allowNonblank = parser.isSet(allowNonblank);
    options.force = parser.isSet(force);
    options.verbose = parser.isSet(verbose);
    options.dryRun = parser.isSet(dryRun);
    if (options.repeat && options.file == QStringLiteral("-")) {
        parsed.error = info->command == Command::Read
                           ? QStringLiteral("--repeat cannot read every chip to standard output")
                           : QStringLiteral(
                                 "--repeat cannot take the file from standard input: its "
                                 "answers come from there");
        return parsed;
    }
    parsed.error = SeveralBoardsRefusal(options);
    if (!parsed.error.isEmpty()) {
        return parsed;
    }
    parsed.options = options;
    return parsed;
}
