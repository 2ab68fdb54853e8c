#include "app/ControlIds.h"
#include "chip/ChipSession.h"
#include "link/ProgrammerPort.h"
#include "tests/app/DialogFixture.h"

namespace {

// The configuration word and the calibration value read from the simulated chip.
class ReadoutTest : public DialogFixture, public ::testing::WithParamInterface<int> {
protected:
    int Type() const { return GetParam(); }
    bool Is14Bit() const { return Type() >= 3; }
    int CalibrationSteps() const { return (Type() == 1 ? 512 : Type() == 4 ? 2048 : 1024) - 1; }

    std::unique_ptr<CProgrammerDlg> StartWith(std::optional<SimulatedChip> chip) {
        WriteFile(SettingsPath(), "000");
        PlugSimulatedBoard(std::move(chip));
        auto dialog = Start();
        EXPECT_EQ(dialog->PortNumber, 1);
        dialog->ChipType = Type();
        board.ClearRecords();  // detection powers every chip the 12-bit way
        return dialog;
    }

    void ReadConfigFromChip(CProgrammerDlg& dialog) {
        dialog.ConfigFromChip = 1;
        dialog.ReadConfigWord();
        dialog.ConfigFromChip = 0;
    }

    void ReadCalibration(CProgrammerDlg& dialog) { dialog.ReadOscCalibration(CalibrationSteps()); }

    void ExpectPoweredDown() {
        EXPECT_FALSE(board.SupplyA() || board.SupplyB());
        EXPECT_TRUE(board.Errors().empty()) << board.Errors().front();
    }
};

TEST_P(ReadoutTest, AProgrammedConfigurationWordIsShownAndStoredForced) {
    SimulatedChip chip = SimulatedChip::Factory(Type(), 0x5A);
    chip.SetConfigWord(Is14Bit() ? 0x3F84 : 0x0FE2);
    auto dialog = StartWith(chip);
    ReadConfigFromChip(*dialog);
    ExpectPoweredDown();
    EXPECT_EQ(dialog->ConfigWord, Is14Bit() ? 0xFF84 : 0xFFE2);
    EXPECT_EQ(dialog->FileImage[Is14Bit() ? 0x2007 : 0xFFF], dialog->ConfigWord);
    EXPECT_EQ(dialog->Cp0Checked, 1);
    EXPECT_EQ(dialog->Cp1Checked, Is14Bit() ? 1 : 0);
    EXPECT_EQ(dialog->OscillatorChoice, 2);
    EXPECT_EQ(dialog->MclrChecked, Is14Bit() ? 1 : 0);
    EXPECT_FALSE(dialog->VerifyAllowed);
    EXPECT_TRUE(dialog->Cp0Box->isChecked());
    EXPECT_EQ(dialog->HsRadio->isDown(), !Is14Bit());
}

TEST_P(ReadoutTest, ABlankChipAndAnEmptySocketBothReadAsErased) {
    for (bool withChip : {true, false}) {
        auto dialog = StartWith(withChip ? std::optional<SimulatedChip>(SimulatedChip(Type()))
                                         : std::nullopt);
        ReadConfigFromChip(*dialog);
        EXPECT_EQ(dialog->ConfigWord, 0xFFFF);
        EXPECT_EQ(dialog->MclrChecked, 1);
        EXPECT_EQ(dialog->WatchdogChecked, 1);
        EXPECT_EQ(dialog->OscillatorChoice, Is14Bit() ? 6 : 3);
        EXPECT_TRUE(dialog->VerifyAllowed);

        ReadCalibration(*dialog);
        ExpectPoweredDown();
        EXPECT_EQ(dialog->DlgItemText(Ctl::CalibrationLabel),
                  QStringLiteral("No Oscillator Calibration in EPROM !"));
        EXPECT_EQ(dialog->CalibrationEdit->text(), QStringLiteral("  "));
        EXPECT_FALSE(dialog->KeepChipCalibration);
        board.Remove();
    }
}

TEST_P(ReadoutTest, TheFactoryCalibrationValueIsShownAndKept) {
    for (std::uint8_t value : {0x5A, 0x07, 0x80}) {
        auto dialog = StartWith(SimulatedChip::Factory(Type(), value));
        const auto before = dialog->FileImage;
        ReadCalibration(*dialog);
        ExpectPoweredDown();
        EXPECT_EQ(dialog->DlgItemText(Ctl::CalibrationLabel),
                  QStringLiteral("Oscillator Calibration in EPROM:"));
        EXPECT_EQ(dialog->CalibrationEdit->text(), QString::number(value, 16).toUpper());
        EXPECT_TRUE(dialog->KeepChipCalibration);
        EXPECT_EQ(dialog->ProgressBar->value(), dialog->ProgressBar->minimum() - 1) << "empty";
        EXPECT_EQ(dialog->FileImage, before) << "only shown, never stored";
        // Exactly the calibration word was read, after stepping over the whole memory, in each
        // of the two power-ups whose answers must agree.
        EXPECT_EQ(board.Chip()->ReadAddresses(),
                  (std::vector<int>{CalibrationSteps(), CalibrationSteps()}));
        board.Remove();
    }
}

INSTANTIATE_TEST_SUITE_P(AllChips, ReadoutTest, ::testing::Values(1, 2, 3, 4));

}  // namespace
