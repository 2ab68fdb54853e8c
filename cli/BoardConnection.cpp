#include "cli/BoardConnection.h"

#include <QCoreApplication>
#include <QSaveFile>
#include <cstdio>
#include <sstream>

#include "link/PortChoice.h"
#include "link/VcdTrace.h"
#include "sim/SimulatedBoard.h"
#include "simulator/SocketFile.h"

namespace {

constexpr int NotFound = 0xFFFF;
constexpr int CodeAt3BC = 3;
// chipsmith-sim's board sits on LPT1, and so does the command's.
constexpr std::uint16_t SimulatedBase = 0x378;

}  // namespace

BoardConnection::BoardConnection(const CliOptions& options, CliEnvironment& environment)
    : options_(options), environment_(environment) {
    PortIo* io = nullptr;
    if (options.port.kind == PortChoice::Kind::Simulated) {
        simulated_ = std::make_unique<SimulatedBoard>(environment.clock, SimulatedBase);
        io = simulated_.get();
    } else {
        ports_ = environment.openPorts();
        io = ports_.get();
    }
    if (!options.tracePath.isEmpty()) {
        trace_ = std::make_unique<VcdTracePortIo>(*io, environment.clock);
        io = trace_.get();
    }
    link_.emplace(*io);
}

BoardConnection::~BoardConnection() = default;

bool BoardConnection::Find(std::vector<std::string>& why) {
    BoardSearch search;
    const PortChoice& choice = options_.port;
    if (choice.kind == PortChoice::Kind::Auto || choice.kind == PortChoice::Kind::Simulated) {
        search = SearchForBoard(NotFound);
    } else {
        std::string unknown;
        const std::optional<PortInfo> port = ResolvePort(choice, (*link_)->Io(), unknown);
        if (!port) {
            why.push_back(unknown);
            return false;
        }
        search = ProbePort(*port, NotFound);
    }
    if (search.board && search.code != CodeAt3BC) {
        board_ = search.board;
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
    const SocketFileLoad load = LoadSocketFile(environment_.socketPath);
    switch (load.outcome) {
        case SocketFileLoad::Outcome::NoFile:
            // Nothing there yet: a new chip, as chipsmith-sim puts one in at its first start.
            simulated_->Insert(NewFactoryChip(newChipType != 0 ? newChipType : 1));
            return true;
        case SocketFileLoad::Outcome::Loaded:
            if (load.content.chip) {
                simulated_->Insert(*load.content.chip);
            } else {
                simulated_->Remove();
            }
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

bool BoardConnection::SaveSocket(std::string& why) {
    if (!simulated_) {
        return true;
    }
    const SocketFileSave save = SaveSocketFile(environment_.socketPath, simulated_->Chip());
    if (!save.saved) {
        why = save.reason.toStdString();
    }
    return save.saved;
}

int BoardConnection::SocketChipType() const {
    return simulated_ && simulated_->Chip() != nullptr ? simulated_->Chip()->Type() : 0;
}

bool BoardConnection::WriteTrace(std::string& why) {
    if (!trace_) {
        return true;
    }
    std::ostringstream text;
    trace_->WriteVcd(text, board_ ? board_->base : (*link_)->DataPort(),
                     QCoreApplication::applicationName().toStdString() + " " +
                         QCoreApplication::applicationVersion().toStdString());
    QSaveFile file(options_.tracePath);
    const std::string bytes = text.str();
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !file.commit()) {
        why = "cannot write the trace to " + options_.tracePath.toStdString() + ": " +
              file.errorString().toStdString();
        return false;
    }
    return true;
}
