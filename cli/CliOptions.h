#pragma once

// chipsmith-cli's command line: the command table, the options, and their parsing. Nothing here
// touches a port or a file.

#include <QString>
#include <QStringList>
#include <optional>

#include "chip/ChipTable.h"
#include "cli/SerialNumbers.h"
#include "link/PortChoice.h"

enum class Command { Detect, Read, Blank, Verify, Program, Auto, Config, Osccal, Checksum };

struct CommandInfo {
    Command command;
    const char* name;
    bool takesFile;
    const char* summary;  // one line for --help
};

// Every command, in the order --help lists them.
const std::vector<CommandInfo>& Commands();

// One board of the run: the port as --port named it, and its pin map.
struct BoardPort {
    PortChoice choice;
    std::string name;  // as given: "lpt1", "sim:2"
    PinMap pins;
};

struct CliOptions {
    Command command = Command::Detect;
    QString file;      // empty for the commands without one; "-" is standard output for read
    int chipType = 0;  // from --chip; 0: inferred from the file
    // The chip --chip names, under that name (a sibling such as 12ce518 is served by the 12c508
    // entry and reported as 12ce518); nullptr without --chip.
    const ChipInfo* chip = nullptr;
    PortChoice port;
    // Where the board's lines are on the port: its kind's default, changed by --pins.
    PinMap pins = DefaultPinMap(PortKind::Parallel);
    std::optional<int> calibration;  // --calibration, 0..0xFF
    QString tracePath;
    bool repeat = false;
    bool quiet = false;
    bool fast = false;
    bool allowNonblank = false;
    bool force = false;    // program a file whose words do not fit the chip
    bool verbose = false;  // each phase with its time, on standard error
    bool dryRun = false;   // no port access: say what would be done
    // Every --port; more than one is a board each, one chip on each at once. The first is `port`.
    std::vector<BoardPort> ports;
    std::string portName = "auto";
    std::optional<SerialOptions> serial;  // --serial, --serial-file and theirs
    QString logPath;                      // --log
};

struct ParsedCommandLine {
    std::optional<CliOptions> options;  // set when a command is to run
    QString output;                     // --help or --version text, for standard output
    QString error;                      // a usage error, for standard error
};

// arguments[0] is the program's name, as QCoreApplication::arguments() gives it.
ParsedCommandLine ParseCommandLine(const QStringList& arguments);

// The name of a chip type (1..4) as the options spell it, e.g. "12c508".
QString ChipOptionName(int chipType);

// A --port value in one of the forms the program writes ports in, yet not a port of that form
// (0xZZ, ftdi:0403:60010, gpio:): the usage error that says so. Empty when it is no such mistake.
QString MalformedPort(const QString& value);
