#include "link/GpioPort.h"

#include <gpiod.h>
#include <grp.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

constexpr const char* OurName = "chipsmith";
constexpr std::size_t OutputCount = 4;

const char* const LineNames[BoardLineCount] = {"data", "clock", "vdd", "vpp", "return"};

std::string ChipName(const std::string& device) {
    return device.substr(device.find_last_of('/') + 1);
}

gpiod_line_bulk BulkOf(const GpioOutputs& lines) {
    gpiod_line_bulk bulk;
    gpiod_line_bulk_init(&bulk);
    for (gpiod_line* line : lines) {
        gpiod_line_bulk_add(&bulk, line);
    }
    return bulk;
}

}  // namespace

gpiod_chip* GpiodCalls::OpenChip(const std::string& path) {
    return gpiod_chip_open(path.c_str());
}

void GpiodCalls::CloseChip(gpiod_chip* chip) {
    gpiod_chip_close(chip);
}

gpiod_line* GpiodCalls::GetLine(gpiod_chip* chip, unsigned offset) {
    return gpiod_chip_get_line(chip, offset);
}

int GpiodCalls::LineCount(gpiod_chip* chip) {
    return static_cast<int>(gpiod_chip_num_lines(chip));
}

int GpiodCalls::RequestOutputs(const GpioOutputs& lines, const GpioValues& values) {
    gpiod_line_bulk bulk = BulkOf(lines);
    return gpiod_line_request_bulk_output(&bulk, OurName, values.data());
}

int GpiodCalls::RequestInput(gpiod_line* line, bool pullUp) {
    return gpiod_line_request_input_flags(line, OurName,
                                          pullUp ? GPIOD_LINE_REQUEST_FLAG_BIAS_PULL_UP : 0);
}

void GpiodCalls::Release(gpiod_line* line) {
    gpiod_line_release(line);
}

int GpiodCalls::SetValues(const GpioOutputs& lines, const GpioValues& values) {
    gpiod_line_bulk bulk = BulkOf(lines);
    return gpiod_line_set_value_bulk(&bulk, values.data());
}

int GpiodCalls::GetValues(const GpioOutputs& lines, GpioValues& values) {
    gpiod_line_bulk bulk = BulkOf(lines);
    return gpiod_line_get_value_bulk(&bulk, values.data());
}

int GpiodCalls::GetValue(gpiod_line* line) {
    return gpiod_line_get_value(line);
}

std::string GpiodCalls::Consumer(gpiod_line* line) {
    gpiod_line_update(line);
    const char* name = gpiod_line_consumer(line);
    return name != nullptr ? name : "";
}

std::string GpiodCalls::DeviceGroup(const std::string& path) {
    struct stat node {};
    if (::stat(path.c_str(), &node) != 0) {
        return {};
    }
    const struct group* owner = ::getgrgid(node.st_gid);
    return owner != nullptr ? owner->gr_name : "";
}

GpioPort::GpioPort(std::string device, const PinMap& pins, GpiodCalls* calls)
    : device_(std::move(device)), pins_(pins), calls_(calls != nullptr ? calls : &ownCalls_) {}

GpioPort::~GpioPort() {
    ReleaseLines();
}

GpioValues GpioPort::ValuesOf(const OutputLines& lines) const {
    const bool levels[OutputCount] = {lines.data, lines.clock, lines.vdd, lines.vpp};
    GpioValues values{};
    for (std::size_t i = 0; i < OutputCount; ++i) {
        values[i] = levels[i] != pins_.pins[i].inverted ? 1 : 0;
    }
    return values;
}

void GpioPort::Refuse(PortProblem problem, std::string text, std::string fix) {
    status_ = PortStatus{problem, {}, std::move(text), std::move(fix)};
    ReleaseLines();
}

void GpioPort::SuppliesOffIfHeld() noexcept {
    if (outputs_[0] != nullptr) {
        // Whether it went through cannot change what follows: the lines are let go either way.
        const int ignored = calls_->SetValues(outputs_, ValuesOf(lines_.WithSuppliesOff()));
        static_cast<void>(ignored);
        lines_ = lines_.WithSuppliesOff();
    }
}

void GpioPort::ReleaseLines() {
    // Supplies off first: a released line may stay at its last level.
    SuppliesOffIfHeld();
    for (gpiod_line*& line : outputs_) {
        if (line != nullptr) {
            calls_->Release(line);
            line = nullptr;
        }
    }
    if (return_ != nullptr) {
        calls_->Release(return_);
        return_ = nullptr;
    }
    if (chip_ != nullptr) {
        calls_->CloseChip(chip_);
        chip_ = nullptr;
    }
}

void GpioPort::Claim() {
    tried_ = true;
    errno = 0;
    chip_ = calls_->OpenChip(device_);
    if (chip_ == nullptr) {
        const int error = errno;
        if (error == EACCES || error == EPERM) {
            const std::string group = calls_->DeviceGroup(device_);
            const std::string join = group.empty() || group == "root" ? "gpio" : group;
            Refuse(PortProblem::PermissionDenied, "permission denied on " + device_,
                   "join group " + join + ": sudo usermod -aG " + join +
                       " \"$USER\", then log out and in again");
        } else if (error == ENOENT || error == ENODEV || error == ENOTTY || error == ENXIO) {
            Refuse(PortProblem::NoDevice,
                   "no GPIO chip " + device_ + " (" + std::strerror(error) + ")",
                   "list the machine's chips with gpiodetect (package gpiod) and give one as "
                   "--port gpio:/dev/gpiochipN");
        } else {
            Refuse(PortProblem::Refused, "cannot open " + device_ + ": " + std::strerror(error),
                   {});
        }
        return;
    }
    const int count = calls_->LineCount(chip_);
    std::array<gpiod_line*, BoardLineCount> found{};
    for (std::size_t i = 0; i < BoardLineCount; ++i) {
        const int offset = pins_.pins[i].number;
        errno = 0;
        found[i] = offset < count ? calls_->GetLine(chip_, static_cast<unsigned>(offset)) : nullptr;
        if (found[i] == nullptr) {
            Refuse(PortProblem::NoPort,
                   "no line " + std::to_string(offset) + " (" + LineNames[i] + ") of " +
                       ChipName(device_) + ": the chip has lines 0 to " + std::to_string(count - 1),
                   "give the board's offsets with --pins");
            return;
        }
    }
    const auto refuseRequest = [this](const std::string& which, gpiod_line* busyLine) {
        const int error = errno;
        if (error == EBUSY) {
            const std::string holder = calls_->Consumer(busyLine);
            Refuse(PortProblem::Busy,
                   which + " of " + ChipName(device_) + " is busy" +
                       (holder.empty() ? "" : ": used by \"" + holder + "\""),
                   "free it from that program or driver, or give other offsets with --pins");
        } else {
            Refuse(PortProblem::Refused,
                   "cannot request " + which + " of " + ChipName(device_) + ": " +
                       std::strerror(error),
                   {});
        }
    };
    const GpioOutputs outputs{found[0], found[1], found[2], found[3]};
    errno = 0;
    if (calls_->RequestOutputs(outputs, ValuesOf(LinesAtRest)) != 0) {
        // Which of the four another holds, for the message.
        std::string which = "the output lines";
        gpiod_line* busy = found[0];
        for (std::size_t i = 0; i < OutputCount; ++i) {
            if (!calls_->Consumer(found[i]).empty()) {
                which = "line " + std::to_string(pins_.pins[i].number) + " (" + LineNames[i] + ")";
                busy = found[i];
                break;
            }
        }
        refuseRequest(which, busy);
        return;
    }
    outputs_ = outputs;
    lines_ = LinesAtRest;
    gpiod_line* input = found[OutputCount];
    const std::string inputName = "line " + std::to_string(pins_.pins[OutputCount].number) + " (" +
                                  LineNames[OutputCount] + ")";
    errno = 0;
    int requested = calls_->RequestInput(input, true);
    if (requested != 0 && errno != EBUSY) {
        // A kernel or chip without bias settings: the board's own pull-up has to do.
        errno = 0;
        requested = calls_->RequestInput(input, false);
    }
    if (requested != 0) {
        refuseRequest(inputName, input);
        return;
    }
    return_ = input;
    status_ = {};
}

bool GpioPort::Claimed() {
    if (!tried_) {
        Claim();
    }
    return outputs_[0] != nullptr && return_ != nullptr;
}

void GpioPort::Fail(const char* what, int error) {
    const std::string message =
        std::string(what) + " " + device_ + " failed (" + std::strerror(error) + ")";
    // Supplies off as far as the chip still lets us, then let go of every line; the next access
    // requests them anew, at rest.
    ReleaseLines();
    tried_ = false;
    throw PortFailure(message);
}

PortStatus GpioPort::Status(std::uint16_t) {
    return status_;
}

void GpioPort::ReleaseExcept(std::optional<std::uint16_t> keep) {
    if (!keep) {
        ReleaseLines();
        // A later access (the user searching again) requests the lines anew.
        tried_ = false;
    }
}

bool GpioPort::Open(std::uint16_t, OutputLines& lines) {
    const bool held = Claimed();
    lines = lines_;
    return held;
}

void GpioPort::Set(const OutputLines& lines, bool) {
    if (!Claimed()) {
        throw PortFailure("the lines of " + device_ + " are not held");
    }
    errno = 0;
    if (calls_->SetValues(outputs_, ValuesOf(lines)) != 0) {
        Fail("setting the lines of", errno);
    }
    lines_ = lines;
}

std::uint64_t GpioPort::QueueSample() {
    if (!Claimed()) {
        throw PortFailure("the lines of " + device_ + " are not held");
    }
    errno = 0;
    const int value = calls_->GetValue(return_);
    if (value < 0) {
        Fail("reading the return line of", errno);
    }
    return static_cast<std::uint64_t>((value != 0) != pins_[BoardLine::Return].inverted ? 1 : 0);
}

std::optional<OutputLines> GpioPort::ReadBack() {
    if (!Claimed()) {
        throw PortFailure("the lines of " + device_ + " are not held");
    }
    GpioValues values{};
    errno = 0;
    if (calls_->GetValues(outputs_, values) != 0) {
        Fail("reading the output lines of", errno);
    }
    bool levels[OutputCount];
    for (std::size_t i = 0; i < OutputCount; ++i) {
        levels[i] = (values[i] != 0) != pins_.pins[i].inverted;
    }
    return OutputLines{levels[0], levels[1], levels[2], levels[3]};
}
