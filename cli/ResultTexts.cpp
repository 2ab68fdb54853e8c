#include "cli/ResultTexts.h"

#include <cstdio>

#include "chip/BoardChecks.h"

std::string CountOf(int count, const std::string& what) {
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

std::string BusyMachineText(const std::string& why, bool changed) {
    return "the supplies could not be switched 9 ms apart, " + std::to_string(PowerUpAttempts) +
           " times in a row (" + why + "); they are switched off, and the board answers" +
           (changed ? ", but the chip is partly programmed"
                    : ", and the chip was not changed: try again with fewer programs running");
}

std::string CalibrationByte(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(value) & 0xFFU);
    return text;
}
