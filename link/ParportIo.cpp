#include "link/ParportIo.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>

namespace {

constexpr int DataOffset = 0;
constexpr int StatusOffset = 1;
constexpr const char* ParportPrefix = "parport";

PortStatus Failed(PortProblem problem, int error) {
    return {problem, std::strerror(error)};
}

PortProblem OpenProblem(int error) {
    switch (error) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
            return PortProblem::NoDevice;
        case EACCES:
        case EPERM:
            return PortProblem::PermissionDenied;
        case EBUSY:
            return PortProblem::Busy;
        default:
            return PortProblem::Refused;
    }
}

}  // namespace

int PpdevCalls::Open(const char* path) {
    return ::open(path, O_RDWR | O_CLOEXEC);
}

int PpdevCalls::Ioctl(int fd, unsigned long request, void* argument) {
    return ::ioctl(fd, request, argument);
}

void PpdevCalls::Close(int fd) {
    ::close(fd);
}

std::vector<PortInfo> ListParports(const std::string& procRoot, const std::string& devRoot) {
    std::vector<std::pair<long, PortInfo>> numbered;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(procRoot, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(ParportPrefix, 0) != 0) {
            continue;
        }
        // "parport12": the number orders the list; anything else is not a port.
        const std::string digits = name.substr(std::strlen(ParportPrefix));
        if (digits.empty() || !std::all_of(digits.begin(), digits.end(), ::isdigit)) {
            continue;
        }
        // base-addr holds the base and, for ECP ports, the upper base: the first is the one.
        std::ifstream baseFile(entry.path() / "base-addr");
        long base = -1;
        if (!(baseFile >> base) || base <= 0 || base > 0xFFFE) {
            continue;
        }
        numbered.push_back(
            {std::stol(digits), PortInfo{static_cast<std::uint16_t>(base), devRoot + "/" + name}});
    }
    std::sort(numbered.begin(), numbered.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<PortInfo> ports;
    for (auto& [number, port] : numbered) {
        ports.push_back(std::move(port));
    }
    return ports;
}

std::string FindParportDevice(std::uint16_t base, const std::string& procRoot,
                              const std::string& devRoot) {
    for (const PortInfo& port : ListParports(procRoot, devRoot)) {
        if (port.base == base) {
            return port.device;
        }
    }
    return {};
}

ParportIo::ParportIo(std::string procRoot, std::string devRoot, PpdevCalls* calls)
    : procRoot_(std::move(procRoot)),
      devRoot_(std::move(devRoot)),
      calls_(calls != nullptr ? calls : &ownCalls_) {}

ParportIo::~ParportIo() {
    for (Port& port : ports_) {
        Release(port);
    }
}

void ParportIo::Release(Port& port) {
    if (port.fd >= 0) {
        if (port.wrote) {
            // On the way out the supplies go off; data and clock stay as the program left them.
            const std::uint8_t kept = port.lastData & (bits_.data | bits_.clock);
            unsigned char value = kept | bits_.Levels(0, bits_.Supplies());
            calls_->Ioctl(port.fd, PPWDATA, &value);
        }
        calls_->Ioctl(port.fd, PPRELEASE, nullptr);
        calls_->Close(port.fd);
    }
    port.fd = -1;
    port.tried = false;
    port.wrote = false;
}

void ParportIo::ReleaseExcept(std::uint16_t keep) {
    for (Port& port : ports_) {
        if (port.info.base != keep) {
            Release(port);
        }
    }
}

void ParportIo::Fail(Port& port, const char* what, int error) {
    const std::string device = port.info.device;
    // Try the supplies off once more, then let go: the next access claims the port anew.
    Release(port);
    throw PortFailure("the " + std::string(what) + " of " + device + " failed (" +
                      std::strerror(error) + ")");
}

void ParportIo::Scan() {
    if (scanned_) {
        return;
    }
    scanned_ = true;
    std::error_code error;
    driverLoaded_ = std::filesystem::is_directory(procRoot_, error);
    for (PortInfo& info : ListParports(procRoot_, devRoot_)) {
        Port port;
        port.info = std::move(info);
        ports_.push_back(std::move(port));
    }
}

std::vector<PortInfo> ParportIo::Ports() {
    Scan();
    std::vector<PortInfo> infos;
    for (const Port& port : ports_) {
        infos.push_back(port.info);
    }
    return infos;
}

PortStatus ParportIo::Status(std::uint16_t base) {
    Scan();
    if (!driverLoaded_) {
        return {PortProblem::NoDriver, {}};
    }
    int offset = 0;
    if (Find(base) == nullptr) {
        return {PortProblem::NoPort, {}};
    }
    Port* port = Serving(base, offset);
    return port != nullptr ? PortStatus{} : Find(base)->status;
}

ParportIo::Port* ParportIo::Find(std::uint16_t address) {
    Scan();
    for (Port& port : ports_) {
        if (address == port.info.base || address == port.info.base + StatusOffset) {
            return &port;
        }
    }
    return nullptr;
}

void ParportIo::Claim(Port& port) {
    port.fd = calls_->Open(port.info.device.c_str());
    if (port.fd < 0) {
        port.status = Failed(OpenProblem(errno), errno);
        return;
    }
    // Exclusive, so no other driver can touch the lines while we drive the board; then forward
    // data in compatibility mode, whatever mode the port's last user left it in.
    int mode = IEEE1284_MODE_COMPAT;
    int forward = 0;
    struct Step {
        unsigned long request;
        void* argument;
        bool claims;  // before the port is ours: a failure here means someone else holds it
    };
    const Step steps[] = {
        {PPEXCL, nullptr, true}, {PPCLAIM, nullptr, true},     {PPSETMODE, &mode, false},
        {PPNEGOT, &mode, false}, {PPDATADIR, &forward, false},
    };
    for (const Step& step : steps) {
        if (calls_->Ioctl(port.fd, step.request, step.argument) == 0) {
            continue;
        }
        const int error = errno;
        // ppdev refuses an exclusive claim with ENXIO when another driver (lp) has the port.
        const bool held = step.claims && (error == ENXIO || error == EBUSY);
        port.status = Failed(held ? PortProblem::Busy : PortProblem::Refused, error);
        if (!step.claims) {
            calls_->Ioctl(port.fd, PPRELEASE, nullptr);
        }
        calls_->Close(port.fd);
        port.fd = -1;
        return;
    }
}

ParportIo::Port* ParportIo::Serving(std::uint16_t address, int& offset) {
    Port* port = Find(address);
    if (port == nullptr) {
        return nullptr;
    }
    offset = address - port->info.base;
    if (!port->tried) {
        port->tried = true;
        Claim(*port);
    }
    return port->fd >= 0 ? port : nullptr;
}

std::uint8_t ParportIo::In(std::uint16_t address) {
    int offset = 0;
    Port* port = Serving(address, offset);
    if (port == nullptr) {
        return 0xFF;
    }
    unsigned char value = 0xFF;
    const unsigned long request = offset == DataOffset ? PPRDATA : PPRSTATUS;
    if (calls_->Ioctl(port->fd, request, &value) != 0) {
        Fail(*port, "read", errno);
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
    if (calls_->Ioctl(port->fd, PPWDATA, &byte) != 0) {
        Fail(*port, "write", errno);
    }
    port->wrote = true;
    port->lastData = value;
}
