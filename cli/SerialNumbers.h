#pragma once

// Serial numbers for a production batch: where in the chip a chip's number goes, and whether the
// file leaves room for it. Nothing here touches a file or a port.

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ChipInfo;

struct SerialOptions {
    std::optional<std::uint32_t> start;  // --serial; without it the serial file holds the next one
    std::uint32_t step = 1;              // --serial-step
    bool hex = false;                    // START was written 0x...: the numbers are shown so
    // --serial-at ADDR[:WORDS]: a table of return-literal instructions, one byte a word, most
    // significant first; none: the four ID words, one nibble each.
    std::optional<int> tableAddress;
    int tableWords = 2;
    QString file;  // --serial-file: keeps the next number across runs
};

// Parses "1000" or "0x3E8" (no sign, no octal: a leading 0 is a decimal digit); none when the
// text is no such number or above 0xFFFFFFFF.
std::optional<std::uint32_t> ParseSerialNumber(const QString& text);
// The number as the batch shows it: "0x1000" when START was hex, else "4096".
std::string SerialText(std::uint32_t serial, bool hex);

// Why the file leaves no room for serial numbers on this chip (the words are used, the table is
// outside program memory); empty when it does.
std::string SerialPlaceRefusal(const ChipInfo& chip, const std::vector<std::uint32_t>& image,
                               const SerialOptions& options);
// Why this number does not fit where it goes; empty when it does.
std::string SerialFitRefusal(const SerialOptions& options, std::uint32_t serial);
// Writes the number into the image's ID words or its table (after both checks passed).
void PlaceSerial(const ChipInfo& chip, std::vector<std::uint32_t>& image,
                 const SerialOptions& options, std::uint32_t serial);

// The most words --serial-at takes (32 bits).
int MaxSerialTableWords();
