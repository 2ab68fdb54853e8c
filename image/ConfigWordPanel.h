#pragma once

// The configuration word and the panel that shows it: five check boxes and seven oscillator
// buttons. Decoding turns a word into the panel's states; a click turns one control's new state
// into a new word. The 12-bit chips have no power-up timer, no second protection field and only
// four oscillators; on them those controls change nothing (the oscillators fall back to their
// nearest 12-bit neighbour).
//
//            12-bit (slot 0xFFF)          14-bit (slot 0x2007)
// oscillator bits 1..0: LP XT IntRC ExtRC  bits 2..0: LP XT HS - IntRC IntRC+out ExtRC ExtRC+out
// watchdog   bit 2 (1 = on)               bit 3 (1 = on)
// CP0        bit 3 (0 = protected)        bits 12,10,8,5 (0 = protected)
// CP1        -                            bits 13,11,9,6 (0 = protected)
// MCLR       bit 4 (1 = enabled)          bit 7 (1 = enabled)
// power-up   -                            bit 4 (0 = timer on)

#include <cstdint>

// Oscillator buttons by their index in the panel.
enum OscillatorIndex { OscLP = 0, OscXT, OscIntRC, OscExtRC, OscHS, OscIntRCOut, OscExtRCOut };
constexpr int NoOscillator = 7;  // the 14-bit code 011 has no button

struct PanelState {
    int watchdog = 0;
    int mclr = 0;
    int cp0 = 0;
    int cp1 = 0;
    int powerUpTimer = 0;
    int oscillator = -1;
    bool verifyAllowed = true;
};

PanelState DecodeConfigWord(bool core14, std::uint16_t word);

// True when the word protects the chip's code, which then cannot be verified.
bool IsCodeProtected(bool core14, std::uint16_t word);

enum class PanelControl {
    PowerOnTimer,
    Mclr,
    Watchdog,
    CodeProtect0,
    CodeProtect1,
    Oscillator,  // with the button's OscillatorIndex
};

struct PanelClick {
    // False when the control does not exist on this family and the word stays as it was.
    bool changesWord = true;
    std::uint16_t word = 0;
    // For an oscillator button: the index that ends up selected (a 12-bit chip substitutes its
    // own oscillator for a 14-bit-only one); -1 for the check boxes.
    int oscillator = -1;
};

// The word after the user set `control` to `on` (or chose oscillator `oscillator`).
PanelClick ClickPanel(bool core14, std::uint16_t word, PanelControl control, bool on,
                      int oscillator = -1);
