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
// Errors go to showError ("Intel File ERROR !" or "Intel Checksum ERROR !") and end the parse;
// words already stored stay. Lines may end in CR LF, LF or CR. A record is checked whole (inside
// `length`, digits only, every word inside the image) before any of it is stored; a data record's
// words are stored before its checksum is tested. Address records (02, 04) must carry address 0,
// start-address records (03, 05) are skipped, the end record or an unknown type ends the parse,
// and text that runs out before the end record is an error. Reads only `length` bytes, writes only
// image slots 0..ImageSlots-1, and stores 16-bit values only.
int ParseIntelHex(const char* text, int length, std::uint32_t* image, int lastIndex,
                  const std::function<void(const char* message)>& showError);

// Writes the image from slot 0 to the end of the eight-slot group holding lastIndex, then the end
// record, into text (HexTextCapacity bytes suffice); returns the number of characters written.
// One record per group of eight slots, from its first to its last used slot (a slot is empty when
// it holds exactly 0xFFFF; empty slots inside are written as FFFF); CR LF line ends, upper-case
// digits. lastIndex beyond the image is taken as the last slot; below 0 writes the end record only.
int WriteIntelHex(int lastIndex, const std::uint32_t* image, char* text);
