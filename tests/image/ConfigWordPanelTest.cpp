#include <gtest/gtest.h>

#include "image/ConfigWordPanel.h"

namespace {

struct Decoded {
    std::uint16_t word;
    bool core14;
    int mclr, cp0, watchdog, oscillator, powerUp, cp1;
    bool verify;
};

TEST(ConfigWordPanelTest, WordsDecodeIntoThePanel) {
    const Decoded rows[] = {
        {0xFFFF, false, 1, 0, 1, 3, 0, 0, true},
        {0x0FEA, false, 0, 0, 0, 2, 0, 0, true},
        {0x0FE2, false, 0, 1, 0, 2, 0, 0, false},
        {0xFFFF, true, 1, 0, 1, 6, 0, 0, true},
        {static_cast<std::uint16_t>(0xFFFF & ~0x0200), true, 1, 0, 1, 6, 0, 1, false},
        {0x3FFB, true, 1, 0, 1, NoOscillator, 0, 0, true},
        {0x3FE4, true, 1, 0, 0, OscIntRC, 1, 0, true},
        {0x3F84, true, 1, 1, 0, OscIntRC, 1, 1, false},
        {0x0092, true, 1, 1, 0, OscHS, 0, 1, false},
        {0x3FF8, true, 1, 0, 1, OscLP, 0, 0, true},
        {0x3FF9, true, 1, 0, 1, OscXT, 0, 0, true},
        {0x3FFD, true, 1, 0, 1, OscIntRCOut, 0, 0, true},
        {0x3FFE, true, 1, 0, 1, OscExtRC, 0, 0, true},
        {0x3FFF, true, 1, 0, 1, OscExtRCOut, 0, 0, true},
    };
    for (const Decoded& row : rows) {
        const PanelState state = DecodeConfigWord(row.core14, row.word);
        SCOPED_TRACE(::testing::Message() << std::hex << row.word << (row.core14 ? " 14" : " 12"));
        EXPECT_EQ(state.mclr, row.mclr);
        EXPECT_EQ(state.cp0, row.cp0);
        EXPECT_EQ(state.watchdog, row.watchdog);
        EXPECT_EQ(state.oscillator, row.oscillator);
        EXPECT_EQ(state.powerUpTimer, row.powerUp);
        EXPECT_EQ(state.cp1, row.cp1);
        EXPECT_EQ(state.verifyAllowed, row.verify);
    }
}

TEST(ConfigWordPanelTest, ClicksChangeOnlyTheirBits) {
    const struct {
        bool core14;
        std::uint16_t before;
        PanelControl control;
        bool on;
        int oscillator;
        std::uint16_t after;
        int selected;
    } rows[] = {
        {false, 0x0FEA, PanelControl::Mclr, true, -1, 0x0FFA, -1},
        {false, 0x0FEA, PanelControl::Watchdog, true, -1, 0x0FEE, -1},
        {false, 0x0FEA, PanelControl::CodeProtect0, true, -1, 0x0FE2, -1},
        {false, 0x0FEA, PanelControl::Oscillator, true, OscLP, 0x0FE8, OscLP},
        {false, 0x0FEA, PanelControl::Oscillator, true, OscXT, 0x0FE9, OscXT},
        {false, 0x0FEA, PanelControl::Oscillator, true, OscIntRC, 0x0FEA, OscIntRC},
        {false, 0x0FEA, PanelControl::Oscillator, true, OscExtRC, 0x0FEB, OscExtRC},
        {false, 0x0FEA, PanelControl::Oscillator, true, OscHS, 0x0FE9, OscXT},
        {false, 0x0FE8, PanelControl::Oscillator, true, OscIntRCOut, 0x0FEA, OscIntRC},
        {false, 0x0FE8, PanelControl::Oscillator, true, OscExtRCOut, 0x0FEB, OscExtRC},
        {true, 0x3FFF, PanelControl::PowerOnTimer, true, -1, 0x3FEF, -1},
        {true, 0x3FFF, PanelControl::CodeProtect0, true, -1, 0x2ADF, -1},
        {true, 0x3FFF, PanelControl::CodeProtect1, true, -1, 0x15BF, -1},
        {true, 0x2ADF, PanelControl::CodeProtect1, true, -1, 0x009F, -1},
        {true, 0x3FFF, PanelControl::Oscillator, true, OscHS, 0x3FFA, OscHS},
        {true, 0x3FFF, PanelControl::Oscillator, true, OscIntRCOut, 0x3FFD, OscIntRCOut},
        {true, 0x3FFF, PanelControl::Oscillator, true, OscLP, 0x3FF8, OscLP},
        {true, 0x3FFF, PanelControl::Oscillator, true, OscXT, 0x3FF9, OscXT},
        {true, 0x3FFF, PanelControl::Oscillator, true, OscIntRC, 0x3FFC, OscIntRC},
        {true, 0x3FFF, PanelControl::Oscillator, true, OscExtRC, 0x3FFE, OscExtRC},
        {true, 0x3FF8, PanelControl::Oscillator, true, OscExtRCOut, 0x3FFF, OscExtRCOut},
        {true, 0xC3FF, PanelControl::Mclr, false, -1, 0xC37F, -1},  // bits 14-15 kept
    };
    for (const auto& row : rows) {
        const PanelClick click =
            ClickPanel(row.core14, row.before, row.control, row.on, row.oscillator);
        EXPECT_TRUE(click.changesWord);
        EXPECT_EQ(click.word, row.after) << std::hex << row.before << " -> " << row.after;
        EXPECT_EQ(click.oscillator, row.selected);
    }
}

TEST(ConfigWordPanelTest, FourteenBitOnlyBoxesLeaveA12BitWordAlone) {
    for (PanelControl control : {PanelControl::PowerOnTimer, PanelControl::CodeProtect1}) {
        for (bool on : {true, false}) {
            const PanelClick click = ClickPanel(false, 0x0FEA, control, on);
            EXPECT_FALSE(click.changesWord);
            EXPECT_EQ(click.word, 0x0FEA);
        }
    }
}

// Every control of each family switched on and off from several start words: decoding the
// result shows exactly the control's new state, and nothing else of the panel changed.
TEST(ConfigWordPanelTest, EveryClickDecodesBackToWhatWasClicked) {
    const std::uint16_t starts12[] = {0x0FFF, 0x0FEA, 0x0FE2, 0x0000, 0x0A55};
    const std::uint16_t starts14[] = {0x3FFF, 0x3FE4, 0x0000, 0x2ADF, 0x15BF, 0x3F84, 0x0092};
    for (bool core14 : {false, true}) {
        const auto& starts =
            core14 ? std::vector<std::uint16_t>(std::begin(starts14), std::end(starts14))
                   : std::vector<std::uint16_t>(std::begin(starts12), std::end(starts12));
        for (std::uint16_t start : starts) {
            const PanelState before = DecodeConfigWord(core14, start);
            for (bool on : {true, false}) {
                const struct {
                    PanelControl control;
                    int PanelState::*field;
                } boxes[] = {
                    {PanelControl::Mclr, &PanelState::mclr},
                    {PanelControl::Watchdog, &PanelState::watchdog},
                    {PanelControl::CodeProtect0, &PanelState::cp0},
                    {PanelControl::CodeProtect1, &PanelState::cp1},
                    {PanelControl::PowerOnTimer, &PanelState::powerUpTimer},
                };
                for (const auto& box : boxes) {
                    const PanelClick click = ClickPanel(core14, start, box.control, on);
                    if (!click.changesWord) {
                        continue;
                    }
                    PanelState expected = before;
                    expected.*box.field = on ? 1 : 0;
                    const PanelState after = DecodeConfigWord(core14, click.word);
                    SCOPED_TRACE(::testing::Message()
                                 << std::hex << start << " control "
                                 << static_cast<int>(box.control) << " " << on);
                    EXPECT_EQ(after.mclr, expected.mclr);
                    EXPECT_EQ(after.watchdog, expected.watchdog);
                    EXPECT_EQ(after.cp0, expected.cp0);
                    EXPECT_EQ(after.cp1, expected.cp1);
                    EXPECT_EQ(after.powerUpTimer, expected.powerUpTimer);
                    EXPECT_EQ(after.oscillator, expected.oscillator);
                    EXPECT_EQ(after.verifyAllowed, after.cp0 == 0 && after.cp1 == 0);
                }
            }
            for (int oscillator = OscLP; oscillator <= OscExtRCOut; ++oscillator) {
                const PanelClick click =
                    ClickPanel(core14, start, PanelControl::Oscillator, true, oscillator);
                const PanelState after = DecodeConfigWord(core14, click.word);
                EXPECT_EQ(after.oscillator, click.oscillator);
                EXPECT_EQ(after.mclr, before.mclr);
                EXPECT_EQ(after.cp0, before.cp0);
                EXPECT_EQ(click.word & (core14 ? ~0x7 : ~0x3), start & (core14 ? ~0x7 : ~0x3));
                if (core14) {
                    EXPECT_EQ(click.oscillator, oscillator);
                } else {
                    EXPECT_LE(click.oscillator, OscExtRC);
                }
            }
        }
    }
}

}  // namespace
