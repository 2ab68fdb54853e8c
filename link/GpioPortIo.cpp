#include "link/GpioPortIo.h"

#include <gpiod.h>
#include <grp.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

constexpr const char* OurName = "chipsmith";
constexpr std::uint8_t ReturnBit = 0x40;
constexpr int OutputCount = 4;

const char* const LineNames[BoardLineCount] = {"data", "clock", "vdd", "vpp", "return"};

std::string ChipName(const std::string& device) {
    return device.substr(device.find_last_of('/') + 1);
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

int GpiodCalls::RequestOutput(gpiod_line* line, int value) {
    return gpiod_line_request_output(line, OurName, value);
}

int GpiodCalls::RequestInput(gpiod_line* line) {
    return gpiod_line_request_input(line, OurName);
}

void GpiodCalls::Release(gpiod_line* line) {
    gpiod_line_release(line);
}

int GpiodCalls::SetValue(gpiod_line* line, int value) {
    return gpiod_line_set_value(line, value);
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

GpioPortIo::GpioPortIo(std::string device, const PinMap& pins, GpiodCalls* calls)
    : device_(std::move(device)),
      pins_(pins),
      bits_(BitsOf(pins, PortKind::Gpio)),
      calls_(calls != nullptr ? calls : &ownCalls_) {
    // At rest: supplies off, data and clock low.
    data_ = bits_.Levels(0, bits_.Outputs());
}

GpioPortIo::~GpioPortIo() {
    if (chip_ != nullptr) {
        // Supplies off before the lines go back to whoever takes them next.
        const int off[] = {2, 3};
        for (int i : off) {
            calls_->SetValue(lines_[static_cast<std::size_t>(i)],
                             (bits_.Levels(0, bits_.Supplies()) >> i) & 1);
        }
    }
    ReleaseLines();
}

void GpioPortIo::Refuse(PortProblem problem, std::string text, std::string fix) {
    status_ = PortStatus{problem, {}, std::move(text), std::move(fix)};
    ReleaseLines();
}

void GpioPortIo::ReleaseLines() {
    for (gpiod_line*& line : lines_) {
        if (line != nullptr) {
            calls_->Release(line);
            line = nullptr;
        }
    }
    if (chip_ != nullptr) {
        calls_->CloseChip(chip_);
        chip_ = nullptr;
    }
}

void GpioPortIo::Claim() {
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
    for (std::size_t i = 0; i < BoardLineCount; ++i) {
        const int offset = pins_.pins[i].number;
        const std::string where =
            "line " + std::to_string(offset) + " (" + LineNames[i] + ") of " + ChipName(device_);
        errno = 0;
        gpiod_line* line =
            offset < count ? calls_->GetLine(chip_, static_cast<unsigned>(offset)) : nullptr;
        if (line == nullptr) {
            Refuse(PortProblem::NoPort,
                   "no " + where + ": the chip has lines 0 to " + std::to_string(count - 1),
                   "give the board's offsets with --pins");
            return;
        }
        const bool output = i < OutputCount;
        errno = 0;
        const int requested =
            output ? calls_->RequestOutput(line, (data_ >> i) & 1) : calls_->RequestInput(line);
        if (requested != 0) {
            const int error = errno;
            if (error == EBUSY) {
                const std::string holder = calls_->Consumer(line);
                Refuse(PortProblem::Busy,
                       where + " is busy" + (holder.empty() ? "" : ": used by \"" + holder + "\""),
                       "free it from that program or driver, or give other offsets with --pins");
            } else {
                Refuse(PortProblem::Refused,
                       "cannot request " + where + ": " + std::strerror(error), {});
            }
            return;
        }
        lines_[i] = line;
    }
    status_ = {};
}

bool GpioPortIo::Claimed() {
    if (!tried_) {
        Claim();
    }
    return chip_ != nullptr;
}

void GpioPortIo::Fail(const char* what, int error) {
    const std::string message =
        std::string(what) + " " + device_ + " failed (" + std::strerror(error) + ")";
    // Let go of every line; the next access requests them anew, at rest (supplies off).
    ReleaseLines();
    tried_ = false;
    throw PortFailure(message);
}

std::uint8_t GpioPortIo::In(std::uint16_t address) {
    if ((address != Base && address != Base + 1) || !Claimed()) {
        return 0xFF;
    }
    if (address == Base) {
        return data_;
    }
    errno = 0;
    const int value = calls_->GetValue(lines_[OutputCount]);
    if (value < 0) {
        Fail("reading the return line of", errno);
    }
    return value != 0 ? ReturnBit : 0;
}

void GpioPortIo::Out(std::uint16_t address, std::uint8_t value) {
    if (address != Base || !Claimed()) {
        return;
    }
    for (std::size_t i = 0; i < OutputCount; ++i) {
        const int level = (value >> i) & 1;
        if (level != ((data_ >> i) & 1)) {
            errno = 0;
            if (calls_->SetValue(lines_[i], level) != 0) {
                Fail("setting a line of", errno);
            }
        }
    }
    data_ = value & 0x0F;
}

PortStatus GpioPortIo::Status(std::uint16_t base) {
    if (base != Base) {
        return {PortProblem::NoPort, {}, {}, {}};
    }
    return status_;
}

void GpioPortIo::ReleaseExcept(std::uint16_t keep) {
    if (keep != Base) {
        ReleaseLines();
        // A later access (the user searching again) requests the lines anew, also after a
        // failure.
        tried_ = false;
    }
}
