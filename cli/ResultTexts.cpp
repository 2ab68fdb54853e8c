#include "cli/ResultTexts.h"

#include <cstdio>

std::string CountOf(int count, const std::string& what) {
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

std::string CalibrationByte(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(value) & 0xFFU);
    return text;
}
