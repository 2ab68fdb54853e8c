// The socket file's reader on any text. Beyond "no crash": a socket it accepts survives a write
// and a re-read cell for cell, and writing it again gives the same text.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "sim/ChipSnapshot.h"

namespace {

bool SameCells(const SimulatedChip& a, const SimulatedChip& b) {
    if (a.Type() != b.Type()) {
        return false;
    }
    for (int address : CellAddresses(a)) {
        if (a.Word(address) != b.Word(address)) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::optional<SocketContent> loaded = LoadSocket(text);
    if (!loaded) {
        return 0;  // refused: whether a given text is refused is the reader's own business
    }
    const SimulatedChip* chip = loaded->chip ? &*loaded->chip : nullptr;
    if (chip != nullptr) {
        for (int address : CellAddresses(*chip)) {
            Require(chip->Word(address) <= chip->Erased(), "no cell is wider than its family");
        }
    }

    // What the program writes is a complete file, last line feed included, so it must load
    // however strictly the reader treats a cut last line.
    const std::string written = SaveSocket(chip);
    const std::optional<SocketContent> reread = LoadSocket(written);
    Require(reread.has_value(), "a socket written is a socket read");
    Require(reread->chip.has_value() == (chip != nullptr), "an empty socket stays empty");
    if (chip != nullptr) {
        Require(SameCells(*chip, *reread->chip), "every cell survives a write and a re-read");
    }
    Require(SaveSocket(reread->chip ? &*reread->chip : nullptr) == written,
            "writing a socket read back gives the same text");
    return 0;
}
