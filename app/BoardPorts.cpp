#include "app/BoardPorts.h"

#include <optional>
#include <string>
#include <utility>

#include "link/GpioPort.h"
#include "link/PortChoice.h"
#include "link/ProgrammerLink.h"

BoardPorts::BoardPorts(ProgrammerLink& board, Delays& clock, std::function<PortIo&()> parallel,
                       const PinMap& pins, PortKind pinsKind, FtdiCalls* calls)
    : board_(board),
      clock_(clock),
      parallel_(std::move(parallel)),
      pins_(pins),
      pinsKind_(pinsKind),
      calls_(calls != nullptr ? calls : &ownCalls_) {}

BoardPorts::~BoardPorts() = default;

PinMap BoardPorts::PinsFor(PortKind kind) const {
    return kind == pinsKind_ ? pins_ : DefaultPinMap(kind);
}

void BoardPorts::Use(const QString& port) {
    const std::string text = port.toStdString();
    const std::optional<PortChoice> choice = ParsePortChoice(text);
    const PortKind kind = choice ? PinsOf(*choice) : PortKind::Parallel;
    if (placed_) {
        // What detection kept there is not ours any more: an adapter goes back to its serial
        // driver, a parallel port to the printer.
        board_.Port().ReleaseExcept(std::nullopt);
    }
    placed_ = true;
    std::unique_ptr<LinePort> line;
    if (choice && choice->kind == PortChoice::Kind::Gpio) {
        // Only a GPIO chip named on the command line is ever opened: its lines may drive anything.
        line = std::make_unique<GpioPort>(choice->device, PinsFor(kind));
    } else if (choice && choice->kind == PortChoice::Kind::Ftdi) {
        // Likewise only the adapter named; another may be the user's serial console.
        line = std::make_unique<FtdiPort>(choice->ftdi, PinsFor(kind), clock_, calls_);
    }
    if (line) {
        board_.SetPort(*line);
    } else {
        board_.SetIo(parallel_());
    }
    // The backend the board left goes only now that the board is off it.
    line_ = std::move(line);
    board_.SetPins(PinsFor(kind), kind);
    inUse_ = port;

    if (text.empty()) {
        board_.ChoosePort(std::nullopt);
        return;
    }
    std::string why;
    std::optional<PortInfo> where;
    if (!choice || choice->kind == PortChoice::Kind::Simulated) {
        why =
            "not a port; give /dev/parportN, lpt1, lpt2, lpt3, an I/O base like 0x378, "
            "gpio:/dev/gpiochipN, ftdi, ftdi:SERIAL or ftdi:VID:PID";
    } else if (choice->kind != PortChoice::Kind::Auto) {
        where = ResolvePort(*choice, board_.Port(), why);
    }
    if (!why.empty()) {
        // Only the port the user named may be touched; the status line's tooltip says why none
        // was, and detection prints the same line on standard error.
        board_.RefusePortChoice("--port " + text + ": " + why);
        return;
    }
    board_.ChoosePort(where);
}

std::vector<FtdiAdapter> BoardPorts::Adapters() {
    std::vector<FtdiAdapter> found;
    ftdi_context* context = calls_->New();
    if (context == nullptr) {
        return found;
    }
    // Enumeration only: the adapters' descriptors are read, none is opened for bit-bang.
    if (calls_->FindAll(context, found) < 0) {
        found.clear();
    }
    calls_->Free(context);
    return found;
}
