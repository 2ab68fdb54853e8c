// The --port reader on any text. Beyond "no crash": a port it accepts is one the program can
// address (a base from 1 to 0xFFFE, a device path, an FTDI choice of a vendor's or FTDI's own
// IDs), and the names and hex digits mean the same in either case.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "link/PortChoice.h"
#include "link/RegisterPort.h"

namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::optional<PortChoice> choice = ParsePortChoice(text);
    if (!choice) {
        return 0;
    }
    using Kind = PortChoice::Kind;
    switch (choice->kind) {
        case Kind::Base:
            Require(choice->base >= 1 && choice->base <= 0xFFFE, "a base the port can have");
            break;
        case Kind::Device:
        case Kind::Gpio:
            Require(!choice->device.empty() && choice->device[0] == '/',
                    "a device is a path from the root");
            break;
        case Kind::Ftdi:
            // Vendor 0 stands for FTDI's own IDs, so it never comes with a product of its own.
            Require(choice->ftdi.vendor != 0 || choice->ftdi.product == 0,
                    "an FTDI adapter by a vendor's ID, or by FTDI's own");
            Require(choice->ftdi.vendor <= 0xFFFF && choice->ftdi.product <= 0xFFFF,
                    "USB IDs of 16 bits");
            break;
        case Kind::Auto:
        case Kind::Simulated:
            break;
    }
    PinsOf(*choice);
    // Only a name without a path or a serial number (whose case is the device's) reads the same
    // in capitals.
    if (choice->kind != Kind::Device && choice->kind != Kind::Gpio && choice->ftdi.serial.empty()) {
        const std::optional<PortChoice> upper = ParsePortChoice(Upper(text));
        Require(upper.has_value() && upper->kind == choice->kind && upper->base == choice->base &&
                    upper->ftdi.vendor == choice->ftdi.vendor &&
                    upper->ftdi.product == choice->ftdi.product,
                "the case of a name or a hex digit does not matter");
    }
    AbsentPortIo none;
    RegisterPort lines(none);
    std::string why;
    ResolvePort(*choice, lines, why);
    return 0;
}
