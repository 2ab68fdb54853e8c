#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "link/PinMap.h"
#include "link/PortIo.h"

struct gpiod_chip;
struct gpiod_line;

// The libgpiod calls GpioPortIo makes; tests stand in for the library (and the kernel) with their
// own. Failures return nullptr or -1 with errno set, as libgpiod does.
class GpiodCalls {
public:
    virtual ~GpiodCalls() = default;
    virtual gpiod_chip* OpenChip(const std::string& path);
    virtual void CloseChip(gpiod_chip* chip);
    virtual gpiod_line* GetLine(gpiod_chip* chip, unsigned offset);
    virtual int LineCount(gpiod_chip* chip);
    virtual int RequestOutput(gpiod_line* line, int value);
    virtual int RequestInput(gpiod_line* line);
    virtual void Release(gpiod_line* line);
    virtual int SetValue(gpiod_line* line, int value);
    virtual int GetValue(gpiod_line* line);
    // Who holds the line, as the kernel tells it; empty when nobody says.
    virtual std::string Consumer(gpiod_line* line);
    // The group that owns the device node, for the permission advice; empty when unknown.
    virtual std::string DeviceGroup(const std::string& path);
};

// The board on a GPIO chip through the GPIO character device (a Raspberry Pi's gpiochip0, or any
// board's). It presents its lines as a parallel port at a nominal address, so the link and the
// frames drive it as they drive one: data register bits 0..3 are the data, clock, vdd and vpp
// lines' levels at the pins, status bit 6 the return line's (the link applies the board's
// inversions from the pin map). The lines are requested on first use, once, the four outputs at
// the board's resting levels (supplies off, data and clock low) and the return as input; they are
// given back, the supplies switched off first, when the backend ends, and at once when any request
// fails. A chip that cannot be opened or a line that cannot be had reads as an absent port and
// Status tells why; a set or get that fails once the lines are held lets them all go and throws
// PortFailure, and the next access requests them anew.
class GpioPortIo final : public PortIo {
public:
    // The nominal I/O address the chip is presented at.
    static constexpr std::uint16_t Base = 0x0600;

    GpioPortIo(std::string device, const PinMap& pins, GpiodCalls* calls = nullptr);
    ~GpioPortIo() override;
    GpioPortIo(const GpioPortIo&) = delete;
    GpioPortIo& operator=(const GpioPortIo&) = delete;

    std::uint8_t In(std::uint16_t address) override;
    void Out(std::uint16_t address, std::uint8_t value) override;
    std::vector<PortInfo> Ports() override { return {{Base, device_}}; }
    PortStatus Status(std::uint16_t base) override;
    void ReleaseExcept(std::uint16_t keep) override;

private:
    bool Claimed();
    void Claim();
    void ReleaseLines();
    void Refuse(PortProblem problem, std::string text, std::string fix);
    [[noreturn]] void Fail(const char* what, int error);

    std::string device_;
    PinMap pins_;
    PortBits bits_;
    GpiodCalls ownCalls_;
    GpiodCalls* calls_;
    bool tried_ = false;
    gpiod_chip* chip_ = nullptr;
    // data, clock, vdd, vpp, return, as the presented register bits 0..3 and the input.
    std::array<gpiod_line*, BoardLineCount> lines_{};
    std::uint8_t data_ = 0;
    PortStatus status_;
};
