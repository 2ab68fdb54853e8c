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

// Far beyond any file for these chips (a full 12C672 with CR LF is under 13 kB), so anything
// larger is not ours and is not read whole.
constexpr qint64 MaxHexFileBytes = 1 << 20;

// Parses bytes read from `name` (a path, or "standard input") as LoadHexFile does; at most
// MaxHexFileBytes of them, one more says that there were too many.
LoadedImage HexImageFromBytes(const QByteArray& text, const QString& name);

// The chip's highest used program word in the image (the window's size search from the chip's
// highest usable address down; 0 when nothing is used).
int LastUsedWord(const ChipInfo& chip, const std::vector<std::uint32_t>& image);

// Intel HEX text for words read from a chip: every word masked to the chip's width (0x2805, not
// 0xE805), blank words left out, the configuration word always written.
QByteArray ChipHexText(const ChipInfo& chip, const std::vector<std::uint32_t>& image);
