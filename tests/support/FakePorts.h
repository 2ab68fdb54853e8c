#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "link/PortIo.h"

// Standard parallel ports at chosen bases: the data register reads back what was written, the
// status register is whatever the test says for the current data byte. Every access is logged.
class FakePorts final : public PortIo {
public:
    using StatusRule = std::function<std::uint8_t(std::uint8_t data)>;

    // The board's loop-back: Acknowledge (status bit 6) is 1 while D0 drives the line low.
    static std::uint8_t Loopback(std::uint8_t data) { return (data & 0x01) ? 0x40 : 0x00; }

    void AddPort(std::uint16_t base, StatusRule status, std::uint8_t data = 0x00) {
        ports_[base] = Port{data, std::move(status)};
    }
    // A port the machine lists with a device node, as a PCI card's is; detection probes listed
    // ports beyond the standard addresses.
    void AddListedPort(std::uint16_t base, const std::string& device, StatusRule status) {
        AddPort(base, std::move(status));
        listed_.push_back({base, device});
    }
    std::vector<PortInfo> Ports() override { return listed_; }

    std::uint8_t In(std::uint16_t address) override {
        log_.push_back({'R', address, 0});
        Port* port = Find(address);
        if (port == nullptr) {
            return 0xFF;
        }
        return (address & 1) ? port->status(port->data) : port->data;
    }

    void Out(std::uint16_t address, std::uint8_t value) override {
        log_.push_back({'W', address, value});
        Port* port = Find(address);
        if (port != nullptr && (address & 1) == 0) {
            port->data = value;
        }
    }

    struct Access {
        char kind;  // 'R' or 'W'
        std::uint16_t address;
        std::uint8_t value;
    };
    const std::vector<Access>& Log() const { return log_; }
    void ClearLog() { log_.clear(); }

    std::vector<std::uint8_t> WritesTo(std::uint16_t address) const {
        std::vector<std::uint8_t> values;
        for (const Access& access : log_) {
            if (access.kind == 'W' && access.address == address) {
                values.push_back(access.value);
            }
        }
        return values;
    }

    std::uint8_t Data(std::uint16_t base) const { return ports_.at(base).data; }

private:
    struct Port {
        std::uint8_t data = 0;
        StatusRule status;
    };
    Port* Find(std::uint16_t address) {
        auto it = ports_.find(static_cast<std::uint16_t>(address & ~1u));
        return it == ports_.end() ? nullptr : &it->second;
    }
    std::map<std::uint16_t, Port> ports_;
    std::vector<PortInfo> listed_;
    std::vector<Access> log_;
};
