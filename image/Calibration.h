#pragma once

// The oscillator calibration value: the low byte of the chip's last program word, an instruction
// the user's code executes (12-bit chips: MOVLW at reset, 0xCxx) or calls (14-bit chips: RETLW,
// 0x34xx). 0xFF there means no calibration value.

#include <cstdint>
#include <optional>
#include <string>

// The value typed into the calibration field: hexadecimal digits only, the first two of them,
// anything else ignored; 0 when there is none. Never above 0xFF.
int CalibrationValueFromText(const std::string& text);

// "%X": upper-case hexadecimal without leading zeros.
std::string CalibrationValueText(int value);

struct CalibrationSlot {
    int address;
    std::uint16_t word;
};

// Where the instruction for `value` goes and what it is, for ChipType 1..4; none for no chip.
std::optional<CalibrationSlot> CalibrationInstruction(int chipType, int value);

// Whether a word read from a chip's calibration slot tells its calibration value: the calibration
// instruction, or a blank word (no value). A code-protected chip reads zeros there, which is no
// calibration value of 0. Any word counts for no chip.
bool TellsCalibration(int chipType, std::uint16_t word);
