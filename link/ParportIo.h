#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "link/PortIo.h"

// Port access through Linux's ppdev driver, so the program needs no root and no ioperm: the user
// only has to be allowed to open /dev/parportN (group lp). The standard I/O bases 0x278, 0x378
// and 0x3BC are mapped to the parport whose base-addr they are; each is opened and claimed
// exclusively on first use. An address with no such port, or a port that cannot be opened or
// claimed, behaves as absent: reads give 0xFF and writes are lost.
class ParportIo final : public PortIo {
public:
    explicit ParportIo(std::string procRoot = "/proc/sys/dev/parport",
                       std::string devRoot = "/dev");
    ~ParportIo() override;
    ParportIo(const ParportIo&) = delete;
    ParportIo& operator=(const ParportIo&) = delete;

    std::uint8_t In(std::uint16_t address) override;
    void Out(std::uint16_t address, std::uint8_t value) override;

private:
    struct Port {
        std::uint16_t base;
        bool tried = false;
        int fd = -1;
        bool wrote = false;
        std::uint8_t lastData = 0;
    };

    // The open port serving this address and the register offset in it, or nullptr.
    Port* Serving(std::uint16_t address, int& offset);

    std::string procRoot_;
    std::string devRoot_;
    std::array<Port, 3> ports_{{{0x278}, {0x378}, {0x3BC}}};
};

// The device node of the parport whose I/O base is `base`, or an empty string when there is none.
std::string FindParportDevice(std::uint16_t base, const std::string& procRoot,
                              const std::string& devRoot);
