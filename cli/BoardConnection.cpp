#include "cli/BoardConnection.h"

#include <QCoreApplication>
#include <QSaveFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "chip/ChipSession.h"
#include "cli/ExitStatus.h"
#include "cli/OutputFile.h"
#include "cli/RunChecks.h"
#include "link/FtdiPort.h"
#include "link/GpioPort.h"
#include "link/ParportIo.h"
#include "link/PortChoice.h"
#include "link/VcdTrace.h"
#include "sim/SimulatedBoard.h"
#include "simulator/SocketFile.h"
#include "simulator/SocketLock.h"

namespace {

constexpr int NotFound = 0xFFFF;
constexpr int CodeAt3BC = 3;
// chipsmith-sim's board sits on LPT1, and so does the command's.
constexpr std::uint16_t SimulatedBase = 0x378;

}  // namespace

BoardConnection::BoardConnection(const CliOptions& options, CliEnvironment& environment)
    : options_(options), environment_(environment) {
    PortIo* io = nullptr;
    const PortKind kind = PinsOf(options.port);
    const PortBits bits = BitsOf(options.pins, kind);
    if (options.port.kind == PortChoice::Kind::Simulated) {
        // Wired as the pin map says, so a map the board does not have fails as it would on one.
        simulated_ =
            std::make_unique<SimulatedBoard>(environment.clock, SimulatedBase, options.pins);
        io = simulated_.get();
    } else if (options.port.kind == PortChoice::Kind::Gpio) {
        lines_ = environment.openGpio
                     ? environment.openGpio(options.port.device, options.pins)
                     : std::make_unique<GpioPort>(options.port.device, options.pins);
    } else if (options.port.kind == PortChoice::Kind::Ftdi) {
        lines_ = std::make_unique<FtdiPort>(options.port.ftdi, options.pins, environment.delays,
                                            environment.ftdi);
    } else {
        ports_ = environment.openPorts();
        if (auto* parport = dynamic_cast<ParportIo*>(ports_.get())) {
            parport->SetBits(bits);
        }
        io = ports_.get();
    }
    if (lines_) {
        link_.emplace(*lines_, environment.delays);
    } else {
        link_.emplace(*io, environment.delays);
    }
    link_->SetPins(options.pins, kind);
    if (!options.tracePath.isEmpty()) {
        // Over whatever drives the lines: the trace records lines, not a port's bytes.
        trace_ = std::make_unique<VcdTracePort>(link_->Port(), environment.clock);
        link_->SetPort(*trace_);
    }
    PowerDownOnTerminate(*link_);
}

BoardConnection::~BoardConnection() {
    ForgetOnTerminate(*link_);
}

bool BoardConnection::Find(std::vector<std::string>& why) {
    BoardSearch search;
    const PortChoice& choice = options_.port;
    std::optional<PortInfo> port;
    if (choice.kind == PortChoice::Kind::Simulated) {
        // The simulated board is on one port, known: the others would only cost their probes.
        port = PortInfo{SimulatedBase, {}};
    } else if (choice.kind != PortChoice::Kind::Auto) {
        std::string unknown;
        port = ResolvePort(choice, link_->Port(), unknown);
        if (!port) {
            why.push_back(unknown);
            return false;
        }
    }
    try {
        search = port ? ProbePort(*link_, *port, NotFound) : SearchForBoard(*link_, NotFound);
    } catch (const PortFailure&) {
        // A port that failed under the probe may have been left powered: not for long.
        PowerDownBestEffort(*link_);
        throw;
    }
    if (search.board && search.code != CodeAt3BC) {
        board_ = search.board;
        StartTrace();
        return true;
    }
    if (search.code == CodeAt3BC) {
        // The window never uses that address; a user who means it says so.
        why.push_back(
            "a board answers at 0x3BC (LPT3), which is used only when chosen: "
            "--port lpt3");
        return false;
    }
    why = DescribeProbes(search);
    return false;
}

std::string BoardConnection::Where() const {
    if (!board_) {
        return "no board";
    }
    // A simulated board has no device node; say what it is instead.
    ProbeReport place = *board_;
    if (simulated_) {
        place.device.clear();
    }
    return "board on " + PortPlace(place, simulated_ ? "simulated" : "");
}

bool BoardConnection::LoadSocket(int newChipType, std::string& why) {
    if (!simulated_) {
        return true;
    }
    if (!socketLock_) {
        auto lock = std::make_unique<SocketLock>(environment_.socketPath);
        QString held;
        if (!lock->TryLock(held)) {
            why = held.toStdString();
            return false;
        }
        socketLock_ = std::move(lock);
    }
    const SocketFileLoad load = LoadSocketFile(environment_.socketPath);
    switch (load.outcome) {
        case SocketFileLoad::Outcome::NoFile:
            // Nothing there yet: a new chip, as chipsmith-sim puts one in at its first start.
            simulated_->Insert(NewFactoryChip(newChipType != 0 ? newChipType : 1));
            loadedSocket_.reset();
            return true;
        case SocketFileLoad::Outcome::Loaded:
            if (load.content.chip) {
                simulated_->Insert(*load.content.chip);
            } else {
                simulated_->Remove();
            }
            loadedSocket_ = load.text;
            return true;
        case SocketFileLoad::Outcome::Broken:
            why = "the virtual socket " + environment_.socketPath.toStdString() +
                  " cannot be used: " + load.reason.toStdString();
            if (!load.keptAs.isEmpty()) {
                why += "; it is kept as " + load.keptAs.toStdString() +
                       ", and the next command starts with a new blank chip";
            }
            return false;
    }
    return false;
}

int BoardConnection::CheckSocket(Command command, int chipType, std::string& why) const {
    if (!simulated_ || command == Command::Detect) {
        return ExitStatus::Done;
    }
    const int inSocket = SocketChipType();
    if (inSocket == 0) {
        why =
            "no chip in the virtual socket: put one in with New chip in chipsmith-sim's socket "
            "window";
        return ExitStatus::NoBoard;
    }
    if (chipType != 0 && chipType != inSocket) {
        const std::string held = ChipOptionName(inSocket).toStdString();
        const std::string chosen = ChipOptionName(chipType).toStdString();
        why = "the virtual socket holds a " + held + ", not a " + chosen + ": choose " + chosen +
              " and New chip in chipsmith-sim's socket window, or work on the " + held;
        return ExitStatus::Usage;
    }
    return ExitStatus::Done;
}

bool BoardConnection::SaveSocket(std::string& why) {
    if (!simulated_) {
        return true;
    }
    const SocketFileSave save =
        SaveSocketFileOver(environment_.socketPath, simulated_->Chip(), loadedSocket_);
    if (!save.saved) {
        why = "cannot save the virtual socket " + environment_.socketPath.toStdString() + ": " +
              save.reason.toStdString();
        return false;
    }
    if (!save.keptAs.isEmpty()) {
        environment_.err << "chipsmith-cli: the virtual socket was saved by another program during "
                            "this run; that chip stays, and this run's chip is kept as "
                         << save.keptAs.toStdString() << '\n'
                         << std::flush;
    } else {
        loadedSocket_ = QByteArray::fromStdString(::SaveSocket(simulated_->Chip()));
    }
    return true;
}

int BoardConnection::SocketChipType() const {
    return simulated_ && simulated_->Chip() != nullptr ? simulated_->Chip()->Type() : 0;
}

bool BoardConnection::OpenTrace(int number, std::string& why) {
    if (!trace_) {
        return true;
    }
    tracePath_ = options_.repeat ? NumberedPath(options_.tracePath, number) : options_.tracePath;
    if (!CanReplace(tracePath_, why)) {
        return false;
    }
    if (simulated_ && SameFile(tracePath_, environment_.socketPath)) {
        why = "--trace " + tracePath_.toStdString() +
              " names the virtual socket's file; give the trace another name";
        return false;
    }
    // The trace is written into a temporary file beside its place as the run goes, and put in
    // its place when the run ends; the old trace stays whole until then. Unbuffered: the trace
    // makes its own blocks, and a write that fails must fail where it is made.
    traceFile_ = std::make_unique<QSaveFile>(tracePath_);
    if (!traceFile_->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        why = "cannot write the trace to " + tracePath_.toStdString() + ": " +
              traceFile_->errorString().toStdString();
        traceFile_.reset();
        return false;
    }
    StartTrace();
    return true;
}

void BoardConnection::StartTrace() {
    // The header names the board's port, so recording starts once the board is found.
    if (!traceFile_ || !board_ || trace_->Recording()) {
        return;
    }
    traceError_.clear();
    traceStarted_ = true;
    trace_->Start(
        [this](const char* bytes, std::size_t size) {
            errno = 0;
            if (traceFile_->write(bytes, static_cast<qint64>(size)) == static_cast<qint64>(size)) {
                return true;
            }
            // QSaveFile keeps no cause of a failed write; errno has it.
            traceError_ =
                errno != 0 ? std::strerror(errno) : traceFile_->errorString().toStdString();
            return false;
        },
        PortPlace(*board_, simulated_ ? "simulated" : ""),
        QCoreApplication::applicationName().toStdString() + " " +
            QCoreApplication::applicationVersion().toStdString());
}

bool BoardConnection::WriteTrace(std::string& why) {
    if (!traceFile_) {
        return true;
    }
    if (!traceStarted_) {
        // No board was found: there is nothing to show, and an old trace is better kept.
        traceFile_->cancelWriting();
        traceFile_.reset();
        return true;
    }
    traceStarted_ = false;
    const bool recorded = trace_->Finish();
    const bool written = recorded && traceFile_->commit();
    if (!written) {
        why = "cannot write the trace to " + tracePath_.toStdString() + ": " +
              (traceError_.empty() ? traceFile_->errorString().toStdString() : traceError_);
        traceFile_->cancelWriting();
    }
    traceFile_.reset();
    return written;
}
