#pragma once

// Intel HEX text <-> program image. The image is addressed by word, the file by byte: the word at
// image index i lies at byte address 2*i, low byte first.

#include <cstdint>
#include <functional>

constexpr int ImageSlots = 0x2100;      // FileImage slots
constexpr int HexTextCapacity = 48000;  // HexText bytes

// Value of one digit character: the low four bits of its code, plus 9 above '9'. Used by the
// calibration field too, which relies on it taking any character.
int HexDigitValue(char c);

// Stores the words of the records in `text` (length bytes, no terminator needed) into `image` and
// returns the index of the last word stored, in file order, or lastIndex when none was stored.
// Errors go to showError ("Intel File ERROR !" or "Intel Checksum ERROR !") and end the parse.
int ParseIntelHex(const char* text, int length, std::uint32_t* image, int lastIndex,
                  const std::function<void(const char* message)>& showError);

// Writes the image from slot 0 to the end of the eight-slot group holding lastIndex, then the end
// record, into text (HexTextCapacity bytes suffice); returns the number of characters written.
int WriteIntelHex(int lastIndex, const std::uint32_t* image, char* text);
