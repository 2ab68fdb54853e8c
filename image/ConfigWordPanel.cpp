#include "image/ConfigWordPanel.h"

#include "chip/ChipTable.h"

namespace {

constexpr std::uint16_t Cp0Copies14 = 0x1520;
constexpr std::uint16_t Cp1Copies14 = 0x2A40;

// Oscillator codes by button index; -1 where the family has no such oscillator.
constexpr int Codes12[] = {0, 1, 2, 3, -1, -1, -1};
constexpr int Codes14[] = {0, 1, 4, 6, 2, 5, 7};
// What a 12-bit chip takes instead of a 14-bit-only oscillator: HS -> XT, the clock-out
// variants -> their plain RC oscillators.
constexpr int Substitute12[] = {OscLP, OscXT, OscIntRC, OscExtRC, OscXT, OscIntRC, OscExtRC};

std::uint16_t Assign(std::uint16_t word, std::uint16_t bits, bool set) {
    return static_cast<std::uint16_t>(set ? (word | bits) : (word & ~bits));
}

int Bit(std::uint16_t word, int bit) {
    return (word >> bit) & 1;
}

}  // namespace

bool IsCodeProtected(bool core14, std::uint16_t word) {
    return (core14 ? Core14 : Core12).Protects(word);
}

PanelState DecodeConfigWord(bool core14, std::uint16_t word) {
    PanelState state;
    if (!core14) {
        state.mclr = Bit(word, 4);
        state.cp0 = Bit(word, 3) == 0 ? 1 : 0;
        state.watchdog = Bit(word, 2);
        state.oscillator = word & 0x3;
    } else {
        state.powerUpTimer = Bit(word, 4) == 0 ? 1 : 0;
        state.cp1 = (word & Cp1Copies14) != Cp1Copies14 ? 1 : 0;
        state.cp0 = (word & Cp0Copies14) != Cp0Copies14 ? 1 : 0;
        state.mclr = Bit(word, 7);
        state.watchdog = Bit(word, 3);
        state.oscillator = NoOscillator;
        for (int index = 0; index < 7; ++index) {
            if (Codes14[index] == (word & 0x7)) {
                state.oscillator = index;
            }
        }
    }
    state.verifyAllowed = !IsCodeProtected(core14, word);
    return state;
}

PanelClick ClickPanel(bool core14, std::uint16_t word, PanelControl control, bool on,
                      int oscillator) {
    PanelClick click;
    click.word = word;
    switch (control) {
        case PanelControl::PowerOnTimer:
            click.changesWord = core14;
            if (core14) {
                click.word = Assign(word, 0x0010, !on);
            }
            break;
        case PanelControl::Mclr:
            click.word = Assign(word, core14 ? 0x0080 : 0x0010, on);
            break;
        case PanelControl::Watchdog:
            click.word = Assign(word, core14 ? 0x0008 : 0x0004, on);
            break;
        case PanelControl::CodeProtect0:
            click.word = Assign(word, core14 ? Cp0Copies14 : 0x0008, !on);
            break;
        case PanelControl::CodeProtect1:
            click.changesWord = core14;
            if (core14) {
                click.word = Assign(word, Cp1Copies14, !on);
            }
            break;
        case PanelControl::Oscillator:
            if (core14) {
                click.oscillator = oscillator;
                click.word = static_cast<std::uint16_t>((word & ~0x7) | Codes14[oscillator]);
            } else {
                click.oscillator = Substitute12[oscillator];
                click.word = static_cast<std::uint16_t>((word & ~0x3) | Codes12[click.oscillator]);
            }
            break;
    }
    return click;
}
