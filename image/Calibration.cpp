#include "image/Calibration.h"

#include <cctype>
#include <cstdio>

#include "chip/ChipTable.h"
#include "image/IntelHex.h"

namespace {

// The opcode bits of the calibration instruction, as the image stores it (16 bits).
constexpr std::uint16_t Movlw12 = 0xFC00;
constexpr std::uint16_t Retlw14 = 0xF400;

}  // namespace

int CalibrationValueFromText(const std::string& text) {
    int value = 0;
    int digits = 0;
    for (const char c : text) {
        if (digits == 2) {
            break;
        }
        if (std::isxdigit(static_cast<unsigned char>(c)) != 0) {
            value = value * 16 + HexDigitValue(c);
            ++digits;
        }
    }
    return value;
}

std::string CalibrationValueText(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
    return text;
}

bool TellsCalibration(int chipType, std::uint16_t word) {
    const ChipInfo* chip = FindChip(chipType);
    const auto instruction = CalibrationInstruction(chipType, word & 0xFF);
    if (chip == nullptr || !instruction) {
        return true;
    }
    const std::uint16_t mask = chip->family.wordMask;
    return (word & mask) == mask || (word & mask) == (instruction->word & mask);
}

std::optional<CalibrationSlot> CalibrationInstruction(int chipType, int value) {
    const ChipInfo* chip = FindChip(chipType);
    if (chip == nullptr) {
        return std::nullopt;
    }
    const std::uint16_t opcode = chip->family.Is14Bit() ? Retlw14 : Movlw12;
    return CalibrationSlot{chip->calibrationAddress,
                           static_cast<std::uint16_t>(opcode | (value & 0xFF))};
}
