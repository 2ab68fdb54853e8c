#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/PinMap.h"
#include "link/PortIo.h"

// The system calls ParportIo makes on a device node; tests stand in for the kernel with their own.
class PpdevCalls {
public:
    virtual ~PpdevCalls() = default;
    // -1 with errno set on failure, as the system calls.
    virtual int Open(const char* path);
    virtual int Ioctl(int fd, unsigned long request, void* argument);
    virtual void Close(int fd);
};

// Port access through Linux's ppdev driver, so the program needs no root and no ioperm: the user
// only has to be allowed to open /dev/parportN (group lp). An I/O base address is mapped to the
// parport whose base-addr it is (on-board ports at 0x378, 0x278 or 0x3BC, PCI and PCIe cards
// wherever the machine put them); each port is opened, claimed exclusively and set to drive its
// data lines forward in compatibility mode on first use, and kept until the program ends or
// detection gives it back. A port that is missing or cannot be opened, claimed or set up behaves as
// absent (reads give 0xFF, writes are lost), and Status tells why. A claimed port whose read or
// write fails throws PortFailure: the board is gone, and nothing it says can be trusted.
class ParportIo final : public PortIo {
public:
    explicit ParportIo(std::string procRoot = "/proc/sys/dev/parport", std::string devRoot = "/dev",
                       PpdevCalls* calls = nullptr);
    ~ParportIo() override;
    ParportIo(const ParportIo&) = delete;
    ParportIo& operator=(const ParportIo&) = delete;

    std::uint8_t In(std::uint16_t address) override;
    void Out(std::uint16_t address, std::uint8_t value) override;
    std::vector<PortInfo> Ports() override;
    PortStatus Status(std::uint16_t base) override;
    void ReleaseExcept(std::uint16_t keep) override;
    // Where the supplies are, to switch them off when a port is given back (the parallel port's
    // wiring until told otherwise).
    void SetBits(const PortBits& bits) { bits_ = bits; }

private:
    struct Port {
        PortInfo info;
        bool tried = false;
        int fd = -1;
        PortStatus status;
        bool wrote = false;
        std::uint8_t lastData = 0;
    };

    void Scan();
    // The port whose data or status register is at `address`, or nullptr.
    Port* Find(std::uint16_t address);
    // The same, opened and claimed on first use; nullptr when it cannot be used.
    Port* Serving(std::uint16_t address, int& offset);
    void Claim(Port& port);
    // Supplies off (if we drove the port), the claim given back, the device closed.
    void Release(Port& port);
    [[noreturn]] void Fail(Port& port, const char* what, int error);

    std::string procRoot_;
    std::string devRoot_;
    PpdevCalls ownCalls_;
    PpdevCalls* calls_;
    bool scanned_ = false;
    bool driverLoaded_ = false;
    std::vector<Port> ports_;
    PortBits bits_;
};

// Every parport the machine lists under procRoot, in order of its number, with its I/O base and
// device node (devRoot + "/parportN").
std::vector<PortInfo> ListParports(const std::string& procRoot, const std::string& devRoot);

// The device node of the parport whose I/O base is `base`, or an empty string when there is none.
std::string FindParportDevice(std::uint16_t base, const std::string& procRoot,
                              const std::string& devRoot);
