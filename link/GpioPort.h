#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "link/LinePort.h"
#include "link/PinMap.h"

struct gpiod_chip;
struct gpiod_line;

// The four output lines in the order GpioPort keeps them: data, clock, vdd, vpp.
using GpioOutputs = std::array<gpiod_line*, 4>;
using GpioValues = std::array<int, 4>;

// The libgpiod 1.x calls GpioPort makes; tests stand in for the library (and the kernel) with their
// own. Failures return nullptr or -1 with errno set, as libgpiod does.
class GpiodCalls {
public:
    virtual ~GpiodCalls() = default;
    virtual gpiod_chip* OpenChip(const std::string& path);
    virtual void CloseChip(gpiod_chip* chip);
    virtual gpiod_line* GetLine(gpiod_chip* chip, unsigned offset);
    virtual int LineCount(gpiod_chip* chip);
    // The four outputs in one request, each starting at its value (gpiod_line_request_bulk_output):
    // the kernel sets them as it hands them over, so none starts at another level.
    virtual int RequestOutputs(const GpioOutputs& lines, const GpioValues& values);
    // An input, with the kernel's pull-up where asked (GPIOD_LINE_REQUEST_FLAG_BIAS_PULL_UP; a
    // kernel before 5.5 refuses the flag).
    virtual int RequestInput(gpiod_line* line, bool pullUp);
    virtual void Release(gpiod_line* line);
    // All four outputs in one call (gpiod_line_set_value_bulk over the request's lines, in their
    // order: one ioctl on the request's handle).
    virtual int SetValues(const GpioOutputs& lines, const GpioValues& values);
    // The four outputs as the kernel reads them (gpiod_line_get_value_bulk).
    virtual int GetValues(const GpioOutputs& lines, GpioValues& values);
    virtual int GetValue(gpiod_line* line);
    // Who holds the line, as the kernel tells it; empty when nobody says.
    virtual std::string Consumer(gpiod_line* line);
    // The group that owns the device node, for the permission advice; empty when unknown.
    virtual std::string DeviceGroup(const std::string& path);
};

// The board on a GPIO chip through the GPIO character device (a Raspberry Pi's gpiochip0, or any
// board's), on the lines the pin map names. The four outputs are one request, taken with their
// resting levels (supplies off, data and clock low) and set together in one call; the return line
// is an input with the kernel's pull-up where the chip offers one (the board's open-collector
// return needs one). The lines are requested on first use; a chip that cannot be opened or a line
// that cannot be had reads as no port there, and Status tells why.
//
// Before the lines are given back (when the port ends, when detection gives it back, and when a
// set or get fails) both supplies are switched off: the kernel may keep a released line at its
// last level, so a line released while on could stay on. A set or get that fails lets everything
// go and throws PortFailure; the next access requests the lines anew, at rest.
class GpioPort final : public LinePort {
public:
    GpioPort(std::string device, const PinMap& pins, GpiodCalls* calls = nullptr);
    ~GpioPort() override;
    GpioPort(const GpioPort&) = delete;
    GpioPort& operator=(const GpioPort&) = delete;

    std::vector<PortInfo> Ports() override { return {{0, device_}}; }
    PortStatus Status(std::uint16_t port) override;
    void ReleaseExcept(std::optional<std::uint16_t> keep) override;
    bool Open(std::uint16_t port, OutputLines& lines) override;
    void Set(const OutputLines& lines, bool whole) override;
    std::uint64_t QueueSample() override;
    int TakeSample(std::uint64_t ticket) override { return static_cast<int>(ticket); }
    // The output lines as the kernel reads them.
    std::optional<OutputLines> ReadBack() override;
    void SuppliesOffIfHeld() noexcept override;

private:
    bool Claimed();
    void Claim();
    void ReleaseLines();
    void Refuse(PortProblem problem, std::string text, std::string fix);
    [[noreturn]] void Fail(const char* what, int error);
    GpioValues ValuesOf(const OutputLines& lines) const;

    std::string device_;
    PinMap pins_;
    GpiodCalls ownCalls_;
    GpiodCalls* calls_;
    bool tried_ = false;
    gpiod_chip* chip_ = nullptr;
    GpioOutputs outputs_{};
    gpiod_line* return_ = nullptr;
    OutputLines lines_ = LinesAtRest;
    PortStatus status_;
};
