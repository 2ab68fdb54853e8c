#include "cli/SerialNumbers.h"

#include <cstdio>

#include "chip/ChipTable.h"

namespace {

constexpr int MaxTableWords = 4;

std::string Hex(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%03X", value);
    return text;
}

// RETLW k: 0x8kk on the 12-bit chips, 0x34kk on the 14-bit ones.
std::uint16_t ReturnLiteral(const ChipFamily& family, std::uint32_t byte) {
    return static_cast<std::uint16_t>((family.Is14Bit() ? 0x3400u : 0x0800u) | (byte & 0xFFu));
}

}  // namespace

std::optional<std::uint32_t> ParseSerialNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    const bool hex = trimmed.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive);
    const QString digits = hex ? trimmed.mid(2) : trimmed;
    if (digits.isEmpty() || digits.startsWith(QLatin1Char('+')) ||
        digits.startsWith(QLatin1Char('-'))) {
        return std::nullopt;
    }
    bool ok = false;
    const qulonglong value = digits.toULongLong(&ok, hex ? 16 : 10);
    if (!ok || value > 0xFFFFFFFFull) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::string SerialText(std::uint32_t serial, bool hex) {
    char text[16];
    std::snprintf(text, sizeof text, hex ? "0x%X" : "%u", serial);
    return text;
}

std::string SerialPlaceRefusal(const ChipInfo& chip, const std::vector<std::uint32_t>& image,
                               const SerialOptions& options) {
    const ChipFamily& family = chip.family;
    if (!options.tableAddress) {
        for (int k = 0; k < IdWordCount; ++k) {
            if (!family.IsBlankForProgramming(
                    image[static_cast<std::size_t>(chip.idAddress + k)])) {
                return "the file already uses the ID words (" + Hex(chip.idAddress) +
                       "), where the serial number goes; give --serial-at ADDR for a table in "
                       "program memory";
            }
        }
        return {};
    }
    const int first = *options.tableAddress;
    const int last = first + options.tableWords - 1;
    if (first < 0 || last > chip.maxUsableAddress) {
        return "--serial-at " + Hex(first) + ":" + std::to_string(options.tableWords) +
               " is outside the " + chip.name + "'s program memory (0x000 to " +
               Hex(chip.maxUsableAddress) + ", the calibration word after it)";
    }
    for (int address = first; address <= last; ++address) {
        if (!family.IsBlankForProgramming(image[static_cast<std::size_t>(address)])) {
            return "the file already uses word " + Hex(address) +
                   " of the serial number's table (" + Hex(first) + " to " + Hex(last) + ")";
        }
    }
    return {};
}

std::string SerialFitRefusal(const SerialOptions& options, std::uint32_t serial) {
    const int bits = options.tableAddress ? 8 * options.tableWords : 16;
    if (bits < 32 && serial >> bits != 0) {
        return "serial number " + SerialText(serial, options.hex) + " does not fit in " +
               std::to_string(bits) + " bits" +
               (options.tableAddress ? " (give --serial-at ADDR:WORDS with more words)"
                                     : " (the ID words hold 16; --serial-at takes up to 32)");
    }
    return {};
}

void PlaceSerial(const ChipInfo& chip, std::vector<std::uint32_t>& image,
                 const SerialOptions& options, std::uint32_t serial) {
    if (!options.tableAddress) {
        // As __idlocs writes 0x1234: 1, 2, 3, 4, the most significant nibble first.
        for (int k = 0; k < IdWordCount; ++k) {
            image[static_cast<std::size_t>(chip.idAddress + k)] =
                (serial >> (4 * (IdWordCount - 1 - k))) & 0xFu;
        }
        return;
    }
    for (int k = 0; k < options.tableWords; ++k) {
        const int shift = 8 * (options.tableWords - 1 - k);
        image[static_cast<std::size_t>(*options.tableAddress + k)] =
            ReturnLiteral(chip.family, serial >> shift);
    }
}

int MaxSerialTableWords() {
    return MaxTableWords;
}
