// The configuration panel in both directions: ReadConfigWord shows a word, every click on a box or
// an oscillator button changes the word in its image slot at once, and the calibration field
// writes the calibration instruction. What the panel shows is what programming will write.

#include <QAbstractButton>
#include <QLineEdit>

#include "app/CalibrationLabels.h"
#include "app/ControlIds.h"
#include "app/PressedLook.h"
#include "app/ProgrammerDlg.h"
#include "chip/ChipReads.h"
#include "chip/ChipTable.h"
#include "chip/ConfigReadout.h"
#include "image/Calibration.h"
#include "image/ConfigWordPanel.h"

namespace {

constexpr int FourteenBitOnly[] = {Ctl::PowerOnTimer, Ctl::CodeProtect1, Ctl::OscHS,
                                   Ctl::OscIntRCOut, Ctl::OscExtRCOut};

bool IsCore14(int chipType) {
    return FamilyOf(chipType).Is14Bit();
}

}  // namespace

void CProgrammerDlg::SetFourteenBitOnlyHighlight(bool on) {
    if (pressedLook_ == nullptr) {
        pressedLook_ = new PressedLook(this);
    }
    for (int id : FourteenBitOnly) {
        pressedLook_->Set(qobject_cast<QAbstractButton*>(DlgItem(id)), on);
    }
}

void CProgrammerDlg::ReadConfigWord() {
    VerifyAllowed = true;
    const ChipFamily& family = FamilyOf(ChipType);
    const bool core14 = family.Is14Bit();
    if (!core14) {
        PowerUpTimerChecked = 0;
        Cp1Checked = 0;
    }
    SetFourteenBitOnlyHighlight(!core14);
    const std::uint16_t word =
        ConfigFromChip != 0 ? ReadConfigWordFromChip(board_, family) : CalibrationWord;
    const PanelState state = DecodeConfigWord(core14, word);
    ConfigWord = word;
    MclrChecked = state.mclr;
    Cp0Checked = state.cp0;
    WatchdogChecked = state.watchdog;
    OscillatorChoice = state.oscillator;
    PowerUpTimerChecked = state.powerUpTimer;
    Cp1Checked = state.cp1;
    VerifyAllowed = state.verifyAllowed;
    UpdateData(false);
    FileImage[static_cast<std::size_t>(family.configAddress)] = ConfigWord;
}

void CProgrammerDlg::ReadOscCalibration(int count) {
    const std::uint16_t word =
        ReadCalibrationFromChip(board_, FamilyOf(ChipType), count, ProgressBarUpdater());
    const int value = word & 0xFF;
    if (ShowUnreadableCalibration(word)) {
        // Nothing to keep: the value the chip holds cannot be known.
        KeepChipCalibration = false;
    } else {
        ShowCalibration(value, CalibrationLabels::ValueInEprom, CalibrationLabels::NoneInEprom,
                        QStringLiteral("  "));
        KeepChipCalibration = value != 0xFF;
    }
    SetBarPosition(ProgressBar, -1);
}

void CProgrammerDlg::OnPanelControl(int id, int oscillator) {
    SetDlgItemText(Ctl::StatusLine, QStringLiteral(" "));
    const bool core14 = IsCore14(ChipType);
    const std::size_t slot = static_cast<std::size_t>(FamilyOf(ChipType).configAddress);
    auto* button = qobject_cast<QAbstractButton*>(DlgItem(id));
    const bool on = button->isChecked();

    struct Box {
        int id;
        PanelControl control;
        int* field;
    };
    const Box boxes[] = {
        {Ctl::PowerOnTimer, PanelControl::PowerOnTimer, &PowerUpTimerChecked},
        {Ctl::Mclr, PanelControl::Mclr, &MclrChecked},
        {Ctl::Watchdog, PanelControl::Watchdog, &WatchdogChecked},
        {Ctl::CodeProtect0, PanelControl::CodeProtect0, &Cp0Checked},
        {Ctl::CodeProtect1, PanelControl::CodeProtect1, &Cp1Checked},
    };
    PanelControl control = PanelControl::Oscillator;
    int* field = &OscillatorChoice;
    for (const Box& box : boxes) {
        if (box.id == id) {
            control = box.control;
            field = box.field;
        }
    }

    const PanelClick click =
        ClickPanel(core14, static_cast<std::uint16_t>(FileImage[slot]), control, on, oscillator);
    if (!click.changesWord) {
        // Not on a 12-bit chip: the box goes back to off, pushed in.
        button->setDown(true);
        *field = 0;
        UpdateData(false);
        return;
    }
    if (control == PanelControl::PowerOnTimer || control == PanelControl::CodeProtect1) {
        button->setDown(false);
    }
    if (control == PanelControl::Oscillator && click.oscillator != oscillator) {
        // A 14-bit-only oscillator on a 12-bit chip: its nearest neighbour is chosen instead.
        button->setDown(true);
        OscillatorChoice = click.oscillator;
        UpdateData(false);
    }
    ConfigWord = click.word;
    FileImage[slot] = click.word;
    *field = control == PanelControl::Oscillator ? click.oscillator : (on ? 1 : 0);
    if (control == PanelControl::CodeProtect0 || control == PanelControl::CodeProtect1) {
        VerifyAllowed = !IsCodeProtected(core14, click.word);
    }
}

void CProgrammerDlg::OnPowerOnTimer() {
    OnPanelControl(Ctl::PowerOnTimer);
}
void CProgrammerDlg::OnMclr() {
    OnPanelControl(Ctl::Mclr);
}
void CProgrammerDlg::OnWatchdog() {
    OnPanelControl(Ctl::Watchdog);
}
void CProgrammerDlg::OnCodeProtect0() {
    OnPanelControl(Ctl::CodeProtect0);
}
void CProgrammerDlg::OnCodeProtect1() {
    OnPanelControl(Ctl::CodeProtect1);
}
void CProgrammerDlg::OnOscLP() {
    OnPanelControl(Ctl::OscLP, OscLP);
}
void CProgrammerDlg::OnOscXT() {
    OnPanelControl(Ctl::OscXT, OscXT);
}
void CProgrammerDlg::OnOscIntRC() {
    OnPanelControl(Ctl::OscIntRC, OscIntRC);
}
void CProgrammerDlg::OnOscExtRC() {
    OnPanelControl(Ctl::OscExtRC, OscExtRC);
}
void CProgrammerDlg::OnOscHS() {
    OnPanelControl(Ctl::OscHS, OscHS);
}
void CProgrammerDlg::OnOscIntRCOut() {
    OnPanelControl(Ctl::OscIntRCOut, OscIntRCOut);
}
void CProgrammerDlg::OnOscExtRCOut() {
    OnPanelControl(Ctl::OscExtRCOut, OscExtRCOut);
}

void CProgrammerDlg::OnOscCalChange() {
    SetDlgItemText(Ctl::CalibrationLabel, CalibrationLabels::Value);
    UpdateData(true);
    const int value = CalibrationValueFromText(CalibrationText.toStdString());
    if (const auto instruction = CalibrationInstruction(ChipType, value)) {
        FileImage[static_cast<std::size_t>(instruction->address)] = instruction->word;
    }
    CalibrationText = QString::fromStdString(CalibrationValueText(value));
    UpdateData(false);
    KeepChipCalibration = false;
}
