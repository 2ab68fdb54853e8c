// The --pins reader on any text, for each kind of port. Beyond "no crash": a map it accepts puts no
// two outputs on one pin, and its text as --pins writes it reads back as the same map.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "link/PinMap.h"

namespace {

constexpr BoardLine Outputs[] = {BoardLine::Data, BoardLine::Clock, BoardLine::Vdd, BoardLine::Vpp};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const PortKind kinds[] = {PortKind::Parallel, PortKind::Gpio, PortKind::Ftdi};
    const PortKind kind = kinds[data[0] % 3];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string why;
    const std::optional<PinMap> map = ParsePinMap(text, kind, DefaultPinMap(kind), why);
    if (!map) {
        Require(!why.empty(), "a refusal says why");
        return 0;
    }
    std::set<int> pins;
    for (BoardLine line : Outputs) {
        pins.insert((*map)[line].number);
    }
    Require(pins.size() == std::size(Outputs), "no two outputs share a pin");
    if (kind != PortKind::Parallel) {
        // On a GPIO chip and an FTDI adapter the return line is one more pin of the same kind.
        Require(pins.count((*map)[BoardLine::Return].number) == 0,
                "the return line is on a pin of its own");
    }
    const std::string described = DescribePinMap(*map, kind);
    std::string again;
    const std::optional<PinMap> reread = ParsePinMap(described, kind, DefaultPinMap(kind), again);
    Require(reread.has_value(), "a map as --pins writes it is read back");
    Require(*reread == *map, "and is the same map");
    BitsOf(*map, kind);
    return 0;
}
