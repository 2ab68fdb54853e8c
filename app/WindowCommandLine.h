#pragma once

// The window programs' command lines (chipsmith, chipsmith-sim): --help, --version, --pins and
// --fast, and chipsmith's --port. An unknown option or a stray argument is refused as the
// command-line program refuses it, with status 2, rather than ignored.

#include <QString>
#include <QStringList>
#include <optional>

#include "link/PinMap.h"

struct WindowCommandLine {
    std::optional<int> exitNow;  // set: print `output` and `error`, end with this status
    QString output;              // --help, --version: for standard output
    QString error;               // a usage error: for standard error
    QString port;                // --port's value, empty when not given
    // --pins over the default of --port's kind of port.
    PinMap pins = DefaultPinMap(PortKind::Parallel);
    bool fast = false;  // --fast: the adaptive algorithm for this run
};

// arguments[0] is the program; withPort: --port exists (chipsmith, not chipsmith-sim).
// `remembered`: the port the window menu chose before, where the board is looked for without
// --port, so --pins is read for its kind of port.
WindowCommandLine ParseWindowCommandLine(const QStringList& arguments, const QString& description,
                                         bool withPort, const QString& remembered = QString());

// Prints what the parse says and returns the status to end with, or nothing to go on.
std::optional<int> ReportWindowCommandLine(const WindowCommandLine& parsed);
