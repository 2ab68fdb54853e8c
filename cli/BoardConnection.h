#pragma once

// The board chipsmith-cli talks to: the machine's ports or the simulated board with chipsmith-sim's
// virtual socket, optionally recorded for --trace, with the link installed over it and the board
// found the way the options ask.

#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "cli/CliEnvironment.h"
#include "cli/CliOptions.h"
#include "link/Detection.h"
#include "link/ProgrammerLink.h"

class LinePort;
class QSaveFile;
class SimulatedBoard;
class SocketLock;
class VcdTracePort;

class BoardConnection {
public:
    BoardConnection(const CliOptions& options, CliEnvironment& environment);
    ~BoardConnection();
    BoardConnection(const BoardConnection&) = delete;
    BoardConnection& operator=(const BoardConnection&) = delete;

    // Looks for the board. False when there is none usable; then `why` holds one line per reason,
    // each with what to do, and the exit status is NoBoard.
    bool Find(std::vector<std::string>& why);
    // "board on LPT1 (0x378, /dev/parport0)"; after a successful Find.
    std::string Where() const;

    // The board every chip command of the run works on.
    ProgrammerLink& Link() { return *link_; }

    // The simulated socket's chip is loaded before each chip and saved after it, so chipsmith-sim
    // and the next command see what this one did. Without --port sim both do nothing.
    // An empty folder's socket gets a new blank chip of newChipType (1..4; 0 for a 12C508).
    // The first load locks the socket for the rest of the run; false, and `why`, when another
    // program works on it.
    bool LoadSocket(int newChipType, std::string& why);
    // Whether the simulated socket holds the chip the command needs (chipType: the one chosen, 0
    // for any): ExitStatus::Done, or the status to end with and `why`. A real board cannot tell.
    int CheckSocket(Command command, int chipType, std::string& why) const;
    // Saves only over the file as loaded; one that another program saved meanwhile stays, this
    // run's chip goes beside it, and standard error says so.
    bool SaveSocket(std::string& why);
    // The simulated chip's type, 0 for an empty socket or a real board.
    int SocketChipType() const;

    // Opens the --trace file of chip `number` (numbered with --repeat), before the board is
    // looked for or the chip is powered, so that a trace that cannot be written stops the run
    // before it starts; recording starts once the board is found. Without --trace does nothing.
    bool OpenTrace(int number, std::string& why);
    // Ends the open trace and puts it in its place; false (and `why`) when any of it could not be
    // written, and then the old file stays as it was.
    bool WriteTrace(std::string& why);

private:
    void StartTrace();

    const CliOptions& options_;
    CliEnvironment& environment_;
    std::unique_ptr<PortIo> ports_;
    std::unique_ptr<LinePort> lines_;  // a GPIO chip's or an FTDI adapter's
    std::unique_ptr<SimulatedBoard> simulated_;
    std::unique_ptr<VcdTracePort> trace_;
    std::unique_ptr<QSaveFile> traceFile_;
    QString tracePath_;
    bool traceStarted_ = false;
    std::string traceError_;  // why the trace could not be written, as the failed write said
    std::optional<ProgrammerLink> link_;
    std::optional<ProbeReport> board_;
    std::optional<QByteArray> loadedSocket_;  // the socket file as loaded; none when there was none
    std::unique_ptr<SocketLock> socketLock_;  // held from the first load to the end of the run
};
