#include "link/ParportIo.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <utility>

namespace {

constexpr int DataOffset = 0;
constexpr int StatusOffset = 1;
// On the way out the supplies go off; data and clock stay as the program left them.
constexpr std::uint8_t KeptOnExit = 0x03;

}  // namespace

std::string FindParportDevice(std::uint16_t base, const std::string& procRoot,
                              const std::string& devRoot) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(procRoot, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("parport", 0) != 0) {
            continue;
        }
        std::ifstream baseFile(entry.path() / "base-addr");
        long found = -1;
        if (baseFile >> found && found == base) {
            return devRoot + "/" + name;
        }
    }
    return {};
}

ParportIo::ParportIo(std::string procRoot, std::string devRoot)
    : procRoot_(std::move(procRoot)), devRoot_(std::move(devRoot)) {}

ParportIo::~ParportIo() {
    for (Port& port : ports_) {
        if (port.fd < 0) {
            continue;
        }
        if (port.wrote) {
            unsigned char value = port.lastData & KeptOnExit;
            ioctl(port.fd, PPWDATA, &value);
        }
        ioctl(port.fd, PPRELEASE);
        close(port.fd);
    }
}

ParportIo::Port* ParportIo::Serving(std::uint16_t address, int& offset) {
    for (Port& port : ports_) {
        if (address < port.base || address > port.base + StatusOffset) {
            continue;
        }
        offset = address - port.base;
        if (!port.tried) {
            port.tried = true;
            const std::string device = FindParportDevice(port.base, procRoot_, devRoot_);
            if (!device.empty()) {
                port.fd = open(device.c_str(), O_RDWR | O_CLOEXEC);
            }
            if (port.fd >= 0 && (ioctl(port.fd, PPEXCL) != 0 || ioctl(port.fd, PPCLAIM) != 0)) {
                close(port.fd);
                port.fd = -1;
            }
        }
        return port.fd >= 0 ? &port : nullptr;
    }
    return nullptr;
}

std::uint8_t ParportIo::In(std::uint16_t address) {
    int offset = 0;
    Port* port = Serving(address, offset);
    if (port == nullptr) {
        return 0xFF;
    }
    unsigned char value = 0xFF;
    const unsigned long request = offset == DataOffset ? PPRDATA : PPRSTATUS;
    if (ioctl(port->fd, request, &value) != 0) {
        return 0xFF;
    }
    return value;
}

void ParportIo::Out(std::uint16_t address, std::uint8_t value) {
    int offset = 0;
    Port* port = Serving(address, offset);
    if (port == nullptr || offset != DataOffset) {
        return;
    }
    unsigned char byte = value;
    if (ioctl(port->fd, PPWDATA, &byte) == 0) {
        port->wrote = true;
        port->lastData = value;
    }
}
