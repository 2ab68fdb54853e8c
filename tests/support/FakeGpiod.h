#pragma once

// libgpiod 1.6 and the kernel's GPIO character device, played by a table of lines under GpioPort,
// written from libgpiod's documented calls and the kernel's line-handle ABI (linux/gpio.h):
//  - a request of several lines is one line handle; outputs take their default values as the
//    kernel hands them over (gpiohandle_request.default_values), so no output starts at another
//    level;
//  - gpiod_line_set_value_bulk and gpiod_line_get_value_bulk are one ioctl on the handle for all
//    its lines, in their order;
//  - a line another consumer holds is refused with EBUSY; a bias flag is refused with EINVAL by a
//    kernel that has none (before 5.5);
//  - a released line is nobody's: the kernel may keep it at its last level, and this fake does.
// Any one call can be made to fail (not all of them); with `loopback` the return line reads what
// the data line drives, as the board returns it (the pins' inversions cancel).

#include <gpiod.h>

#include <cerrno>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "link/GpioPort.h"
#include "link/PinMap.h"
#include "sim/SimulatedBoard.h"

class FakeGpiod : public GpiodCalls {
public:
    struct Line {
        bool requested = false;
        bool output = false;
        bool pullUp = false;
        int value = 0;
        std::string holder;  // another consumer holds it
    };

    explicit FakeGpiod(const PinMap& pins) : pins_(pins) {}

    // The board behind the lines, wired as a parallel port's default map says: every change of an
    // output reaches it, and the return line reads what it returns.
    void Wire(SimulatedBoard& board) {
        board_ = &board;
        Watch();
    }

    gpiod_chip* OpenChip(const std::string& path) override {
        opened = path;
        if (openError != 0) {
            errno = openError;
            return nullptr;
        }
        chipOpen = true;
        return reinterpret_cast<gpiod_chip*>(this);
    }
    void CloseChip(gpiod_chip*) override { chipOpen = false; }
    gpiod_line* GetLine(gpiod_chip*, unsigned offset) override {
        return reinterpret_cast<gpiod_line*>(&lines[static_cast<int>(offset)]);
    }
    int LineCount(gpiod_chip*) override { return count; }
    int RequestOutputs(const GpioOutputs& outputs, const GpioValues& values) override {
        for (gpiod_line* line : outputs) {
            if (!Of(line).holder.empty() || Of(line).requested) {
                errno = EBUSY;
                return -1;
            }
        }
        ++outputRequests;
        for (std::size_t i = 0; i < outputs.size(); ++i) {
            Of(outputs[i]).requested = true;
            Of(outputs[i]).output = true;
            Of(outputs[i]).value = values[i];
        }
        Watch();
        return 0;
    }
    int RequestInput(gpiod_line* line, bool pullUp) override {
        if (pullUp && !biasSupported) {
            errno = EINVAL;
            return -1;
        }
        if (!Of(line).holder.empty()) {
            errno = EBUSY;
            return -1;
        }
        Of(line).requested = true;
        Of(line).output = false;
        Of(line).pullUp = pullUp;
        return 0;
    }
    void Release(gpiod_line* line) override {
        // The level stays: whatever drove the board keeps driving it.
        if (Powered()) {
            ++releasedPowered;
        }
        Of(line).requested = false;
        released.push_back(OffsetOf(line));
    }
    int SetValues(const GpioOutputs& outputs, const GpioValues& values) override {
        if (Fails()) {
            return -1;
        }
        ++setCalls;
        for (std::size_t i = 0; i < outputs.size(); ++i) {
            Of(outputs[i]).value = values[i];
        }
        Watch();
        return 0;
    }
    int GetValues(const GpioOutputs& outputs, GpioValues& values) override {
        if (Fails()) {
            return -1;
        }
        for (std::size_t i = 0; i < outputs.size(); ++i) {
            values[i] = Of(outputs[i]).value;
        }
        return 0;
    }
    int GetValue(gpiod_line* line) override {
        if (Fails()) {
            return -1;
        }
        if (board_ != nullptr) {
            const PortBits bits = BitsOf(DefaultPinMap(PortKind::Parallel), PortKind::Parallel);
            const int level = bits.ReturnLevel(board_->In(board_->Base() + 1));
            return (level != 0) != pins_[BoardLine::Return].inverted ? 1 : 0;
        }
        return loopback ? Value(BoardLine::Data) : Of(line).value;
    }
    std::string Consumer(gpiod_line* line) override { return Of(line).holder; }
    std::string DeviceGroup(const std::string&) override { return group; }

    int Value(BoardLine line) { return lines[pins_[line].number].value; }
    // Whether either supply is on by the levels of its line.
    bool Powered() {
        const auto on = [this](BoardLine line) {
            return (Value(line) != 0) != pins_[line].inverted;
        };
        return on(BoardLine::Vdd) || on(BoardLine::Vpp);
    }
    // The value, get and set calls so far.
    int Calls() const { return calls_; }
    int Requested() const {
        int held = 0;
        for (const auto& entry : lines) {
            held += entry.second.requested ? 1 : 0;
        }
        return held;
    }

    std::map<int, Line> lines;
    int count = 54;
    int openError = 0;
    bool biasSupported = true;
    bool chipOpen = false;
    bool loopback = true;
    int failCall = -1;  // the value, get or set call (counted from 0) that fails
    int outputRequests = 0;
    int setCalls = 0;
    int releasedPowered = 0;  // lines released while a supply was on
    bool everPowered = false;
    std::string group = "gpio";
    std::string opened;
    std::vector<int> released;

private:
    bool Fails() {
        if (calls_++ == failCall) {
            errno = EIO;
            return true;
        }
        return false;
    }
    void Watch() {
        everPowered = everPowered || Powered();
        if (board_ != nullptr) {
            const PortBits bits = BitsOf(DefaultPinMap(PortKind::Parallel), PortKind::Parallel);
            const auto level = [this](BoardLine line) {
                return (Value(line) != 0) != pins_[line].inverted;
            };
            const std::uint8_t high = static_cast<std::uint8_t>(
                (level(BoardLine::Data) ? bits.data : 0) |
                (level(BoardLine::Clock) ? bits.clock : 0) |
                (level(BoardLine::Vdd) ? bits.vdd : 0) | (level(BoardLine::Vpp) ? bits.vpp : 0));
            board_->Out(board_->Base(),
                        bits.Levels(high, static_cast<std::uint8_t>(bits.Outputs() & ~high)));
        }
    }
    Line& Of(gpiod_line* line) { return *reinterpret_cast<Line*>(line); }
    int OffsetOf(gpiod_line* line) {
        for (auto& [offset, entry] : lines) {
            if (&entry == &Of(line)) {
                return offset;
            }
        }
        return -1;
    }

    PinMap pins_;
    SimulatedBoard* board_ = nullptr;
    int calls_ = 0;
};
