#include "cli/ProductionOptions.h"

#include <QFileInfo>
#include <QRegularExpression>

#include "cli/CliOptions.h"
#include "cli/SerialNumbers.h"

ProductionOptionSet::ProductionOptionSet()
    : serial(QStringLiteral("serial"),
             QStringLiteral("For program and auto: give each chip a serial number, from START "
                            "(decimal or 0x...), into the four ID words (16 bits, a nibble each) "
                            "unless --serial-at says where."),
             QStringLiteral("START")),
      serialStep(QStringLiteral("serial-step"),
                 QStringLiteral("What each chip adds to the serial number (default 1)."),
                 QStringLiteral("N")),
      serialAt(QStringLiteral("serial-at"),
               QStringLiteral("Put the serial number into a table of return-literal instructions "
                              "at program address ADDR (hex), one byte a word, the most "
                              "significant first; WORDS from 1 to 4 (default 2)."),
               QStringLiteral("ADDR[:WORDS]")),
      serialFile(QStringLiteral("serial-file"),
                 QStringLiteral("Keep the next serial number in FILE, written safely before each "
                                "chip is touched, so that no number is ever given twice."),
                 QStringLiteral("FILE")),
      log(QStringLiteral("log"),
          QStringLiteral("Append a row for each chip to FILE.csv: time, port, chip, file, the "
                         "file's checksum, serial, calibration value, result, duration in ms."),
          QStringLiteral("FILE.csv")) {}

QList<QCommandLineOption> ProductionOptionSet::All() const {
    return {serial, serialStep, serialAt, serialFile, log};
}

QString ReadProductionOptions(const QCommandLineParser& parser, const ProductionOptionSet& set,
                              CliOptions& options) {
    options.logPath = parser.value(set.log);
    const bool anySerial = parser.isSet(set.serial) || parser.isSet(set.serialStep) ||
                           parser.isSet(set.serialAt) || parser.isSet(set.serialFile);
    if (!anySerial) {
        return {};
    }
    if (!parser.isSet(set.serial) && !parser.isSet(set.serialFile)) {
        return QStringLiteral("--serial-step and --serial-at need --serial START or --serial-file");
    }
    SerialOptions serial;
    if (parser.isSet(set.serial)) {
        const QString text = parser.value(set.serial);
        serial.start = ParseSerialNumber(text);
        if (!serial.start) {
            return QStringLiteral("--serial takes a number (1000 or 0x3E8), not \"%1\"").arg(text);
        }
        serial.hex = text.trimmed().startsWith(QStringLiteral("0x"), Qt::CaseInsensitive);
    }
    if (parser.isSet(set.serialStep)) {
        const std::optional<std::uint32_t> step = ParseSerialNumber(parser.value(set.serialStep));
        if (!step || *step == 0) {
            return QStringLiteral("--serial-step takes a number from 1 on, not \"%1\"")
                .arg(parser.value(set.serialStep));
        }
        serial.step = *step;
    }
    if (parser.isSet(set.serialAt)) {
        const QString text = parser.value(set.serialAt);
        static const QRegularExpression form(
            QStringLiteral("^(?:0x)?([0-9a-f]{1,4})(?::([0-9]))?$"),
            QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch match = form.match(text.trimmed());
        const int words =
            match.hasMatch() && !match.captured(2).isEmpty() ? match.captured(2).toInt() : 2;
        if (!match.hasMatch() || words < 1 || words > MaxSerialTableWords()) {
            return QStringLiteral(
                       "--serial-at takes ADDR[:WORDS], a hex program address and 1 to %1 "
                       "words, not \"%2\"")
                .arg(MaxSerialTableWords())
                .arg(text);
        }
        serial.tableAddress = match.captured(1).toInt(nullptr, 16);
        serial.tableWords = words;
    }
    serial.file = parser.value(set.serialFile);
    if (!serial.file.isEmpty() && QFileInfo(serial.file).isDir()) {
        return QStringLiteral("--serial-file %1 is a folder").arg(serial.file);
    }
    options.serial = serial;
    return {};
}

std::optional<PortChoice> ParseSimulatedBoard(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^sim:([1-9][0-9]?)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    PortChoice choice;
    choice.kind = PortChoice::Kind::Simulated;
    choice.device = match.captured(1).toStdString();
    return choice;
}

QString NumberedSocketPath(const QString& socketPath, const std::string& number) {
    if (number.empty()) {
        return socketPath;
    }
    const QFileInfo info(socketPath);
    const QString suffix = info.suffix();
    const QString base =
        socketPath.left(socketPath.size() - (suffix.isEmpty() ? 0 : suffix.size() + 1));
    return base + QLatin1Char('-') + QString::fromStdString(number) +
           (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
}

QString ReadPorts(const QStringList& values, const QString& pins, bool pinsGiven,
                  CliOptions& options) {
    options.ports.clear();
    for (const QString& value : values) {
        std::optional<PortChoice> choice = ParseSimulatedBoard(value);
        if (!choice) {
            choice = ParsePortChoice(value.toStdString());
        }
        if (!choice) {
            if (const QString mistake = MalformedPort(value); !mistake.isEmpty()) {
                return mistake;
            }
        }
        // A name that is no port (lpt9) is a port this machine does not have: the board search
        // reports it (exit 3) and touches no other port.
        BoardPort port{
            choice ? *choice : PortChoice{PortChoice::Kind::Device, 0, value.toStdString(), {}},
            value.toStdString(), DefaultPinMap(PortKind::Parallel)};
        port.pins = DefaultPinMap(PinsOf(port.choice));
        if (pinsGiven) {
            std::string why;
            const std::optional<PinMap> map =
                ParsePinMap(pins.toStdString(), PinsOf(port.choice), port.pins, why);
            if (!map) {
                return QStringLiteral("--pins: %1").arg(QString::fromStdString(why));
            }
            port.pins = *map;
        }
        for (const BoardPort& earlier : options.ports) {
            if (QString::fromStdString(earlier.name).compare(value, Qt::CaseInsensitive) == 0) {
                return QStringLiteral("--port %1 is given twice: one board, one chip at a time")
                    .arg(value);
            }
        }
        options.ports.push_back(port);
    }
    if (options.ports.size() > 1) {
        for (const BoardPort& port : options.ports) {
            if (port.choice.kind == PortChoice::Kind::Auto) {
                return QStringLiteral(
                    "--port auto searches for one board; with several, name each one");
            }
        }
    }
    options.port = options.ports.front().choice;
    options.portName = options.ports.front().name;
    options.pins = options.ports.front().pins;
    return {};
}

QString SeveralBoardsRefusal(const CliOptions& options) {
    if (options.ports.size() < 2) {
        return {};
    }
    if (!options.tracePath.isEmpty()) {
        return QStringLiteral("--trace records one board; give one --port with it");
    }
    if (options.verbose) {
        return QStringLiteral("--verbose times one board's phases; give one --port with it");
    }
    if (options.command == Command::Read) {
        return QStringLiteral("read takes one board: give one --port");
    }
    return {};
}
