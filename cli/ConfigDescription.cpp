#include "cli/ConfigDescription.h"

#include <cstdio>

#include "chip/ChipTable.h"
#include "image/ConfigWordPanel.h"

namespace {

// By the panel's oscillator index; the 14-bit code 011 selects no oscillator button.
constexpr const char* Oscillators[] = {
    "LP (low-frequency crystal)",
    "XT (standard crystal)",
    "internal RC, 4 MHz",
    "external RC",
    "HS (high-speed crystal)",
    "internal RC, 4 MHz, clock out on GP4",
    "external RC, clock out on GP4",
};

const char* OnOff(int on) {
    return on != 0 ? "on" : "off";
}

}  // namespace

std::vector<std::string> DescribeConfigWord(const ChipFamily& family, std::uint16_t word) {
    const bool core14 = family.Is14Bit();
    const PanelState state = DecodeConfigWord(core14, word);
    char header[48];
    std::snprintf(header, sizeof header, "configuration word 0x%0*X", core14 ? 4 : 3,
                  word & family.wordMask);
    std::vector<std::string> lines = {header};
    lines.push_back(std::string("oscillator: ") + (state.oscillator >= 0 && state.oscillator < 7
                                                       ? Oscillators[state.oscillator]
                                                       : "none of the oscillators (code 011)"));
    lines.push_back(std::string("watchdog timer: ") + OnOff(state.watchdog));
    if (core14) {
        lines.push_back(std::string("power-up timer: ") + OnOff(state.powerUpTimer));
    }
    lines.push_back(std::string("MCLR (reset pin): ") +
                    (state.mclr != 0 ? "enabled" : "off, the pin is an input"));
    if (core14) {
        lines.push_back(std::string("code protection: CP0 ") + OnOff(state.cp0) + ", CP1 " +
                        OnOff(state.cp1));
    } else {
        lines.push_back(std::string("code protection: ") + OnOff(state.cp0));
    }
    return lines;
}

bool UsesInternalOscillator(const ChipFamily& family, std::uint16_t word) {
    const int oscillator = DecodeConfigWord(family.Is14Bit(), word).oscillator;
    return oscillator == OscIntRC || oscillator == OscIntRCOut;
}
