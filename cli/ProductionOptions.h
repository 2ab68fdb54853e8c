#pragma once

// The command line's production options: serial numbers (--serial, --serial-step, --serial-at,
// --serial-file), the log (--log), and several boards (--port given more than once, sim:N).

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "link/PortChoice.h"

struct CliOptions;

struct ProductionOptionSet {
    ProductionOptionSet();
    QList<QCommandLineOption> All() const;

    QCommandLineOption serial;
    QCommandLineOption serialStep;
    QCommandLineOption serialAt;
    QCommandLineOption serialFile;
    QCommandLineOption log;
};

// Reads the production options into `options`; the usage error, empty when none.
QString ReadProductionOptions(const QCommandLineParser& parser, const ProductionOptionSet& set,
                              CliOptions& options);

// "sim:3": the third simulated board, with a socket file of its own; nothing for other texts.
std::optional<PortChoice> ParseSimulatedBoard(const QString& text);
// The socket file of simulated board `number` ("" or "3"): beside chipsmith-sim's own, numbered.
QString NumberedSocketPath(const QString& socketPath, const std::string& number);

// Every --port, each with its own pin map (--pins names lines of one kind of port); the usage
// error, empty when none. The first is also options.port.
QString ReadPorts(const QStringList& values, const QString& pins, bool pinsGiven,
                  CliOptions& options);

// What several boards cannot do at once (--trace, --verbose, read); empty when nothing.
QString SeveralBoardsRefusal(const CliOptions& options);
