#pragma once

// chipsmith-cli's data files: an Intel HEX file read into a program image with the chip it is for,
// and a chip's words written back as an assembler writes them.

#include <QString>
#include <cstdint>
#include <vector>

struct ChipInfo;

struct LoadedImage {
    std::vector<std::uint32_t> image;  // ImageSlots words, 0xFFFF where the file has none
    int lastIndex = -1;                // the last word the file stored, in file order
    int inferredChip = 0;              // 0..4, as the window infers it
    int calibration = -1;              // the calibration value the file carries, -1 for none
    QString error;                     // why the file cannot be used; empty when it can
};

// Reads and parses the whole file. An error names the file and what is wrong with it.
LoadedImage LoadHexFile(const QString& path);

// The chip's highest used program word in the image (the window's size search from the chip's
// highest usable address down; 0 when nothing is used).
int LastUsedWord(const ChipInfo& chip, const std::vector<std::uint32_t>& image);

// Intel HEX text for words read from a chip: every word masked to the chip's width (0x2805, not
// 0xE805), blank words left out, the configuration word always written.
QByteArray ChipHexText(const ChipInfo& chip, const std::vector<std::uint32_t>& image);
