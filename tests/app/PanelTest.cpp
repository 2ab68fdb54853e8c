#include <QTest>

#include "app/ControlIds.h"
#include "tests/app/DialogFixture.h"

namespace {

class PanelTest : public DialogFixture {
protected:
    void SetUp() override {
        WriteFile(SettingsPath(), "000");
        dialog = Start();
        dialog->show();
    }
    // A chip in hand with this configuration word, as a load leaves it.
    void Hold(int chipType, std::uint16_t word) {
        dialog->ChipType = chipType;
        dialog->ConfigFromChip = 0;
        dialog->CalibrationWord = word;
        dialog->ReadConfigWord();
    }
    QAbstractButton* Button(int id) { return qobject_cast<QAbstractButton*>(dialog->DlgItem(id)); }
    std::uint32_t Slot12() { return dialog->FileImage[0xFFF]; }
    std::uint32_t Slot14() { return dialog->FileImage[0x2007]; }

    std::unique_ptr<CProgrammerDlg> dialog;
};

TEST_F(PanelTest, ClicksOnA12BitChipChangeTheWordInItsSlot) {
    const struct {
        int id;
        std::uint16_t after;
    } rows[] = {
        {Ctl::Mclr, 0x0FFA},  {Ctl::Watchdog, 0x0FEE}, {Ctl::CodeProtect0, 0x0FE2},
        {Ctl::OscLP, 0x0FE8}, {Ctl::OscXT, 0x0FE9},    {Ctl::OscExtRC, 0x0FEB},
    };
    for (const auto& row : rows) {
        Hold(1, 0x0FEA);
        dialog->SetDlgItemText(Ctl::StatusLine, QStringLiteral("PIC is empty ."));
        Button(row.id)->click();
        EXPECT_EQ(Slot12(), row.after) << row.id;
        EXPECT_EQ(dialog->ConfigWord, row.after);
        EXPECT_EQ(dialog->DlgItemText(Ctl::StatusLine), QStringLiteral(" "));
    }
    EXPECT_EQ(dialog->OscillatorChoice, 3);
    Hold(1, 0x0FEA);
    Button(Ctl::CodeProtect0)->click();
    EXPECT_FALSE(dialog->VerifyAllowed);
    Button(Ctl::CodeProtect0)->click();
    EXPECT_TRUE(dialog->VerifyAllowed);
    EXPECT_EQ(Slot12(), 0x0FEAu);
}

TEST_F(PanelTest, FourteenBitOnlyControlsAreUndoneOnA12BitChip) {
    Hold(2, 0x0FEA);
    Button(Ctl::Watchdog)->click();  // the user's own state stays through what follows
    Button(Ctl::OscHS)->click();
    EXPECT_EQ(Slot12(), 0x0FEDu);
    EXPECT_TRUE(Button(Ctl::OscXT)->isChecked());
    EXPECT_FALSE(Button(Ctl::OscHS)->isChecked());
    EXPECT_TRUE(Button(Ctl::OscHS)->isDown());
    EXPECT_TRUE(Button(Ctl::Watchdog)->isChecked());
    EXPECT_EQ(dialog->OscillatorChoice, 1);

    Button(Ctl::PowerOnTimer)->click();
    EXPECT_EQ(Slot12(), 0x0FEDu);
    EXPECT_FALSE(Button(Ctl::PowerOnTimer)->isChecked());
    EXPECT_TRUE(Button(Ctl::PowerOnTimer)->isDown());
    Button(Ctl::CodeProtect1)->click();
    EXPECT_FALSE(Button(Ctl::CodeProtect1)->isChecked());
    EXPECT_EQ(dialog->Cp1Checked, 0);

    Button(Ctl::OscExtRCOut)->click();
    EXPECT_TRUE(Button(Ctl::OscExtRC)->isChecked());
    EXPECT_EQ(Slot12(), 0x0FEFu);
}

TEST_F(PanelTest, ClicksOnA14BitChip) {
    const struct {
        std::vector<int> clicks;
        std::uint16_t after;
        bool verify;
    } rows[] = {
        {{Ctl::PowerOnTimer}, 0x3FEF, true},
        {{Ctl::CodeProtect0}, 0x2ADF, false},
        {{Ctl::CodeProtect1}, 0x15BF, false},
        {{Ctl::CodeProtect0, Ctl::CodeProtect1}, 0x009F, false},
        {{Ctl::CodeProtect0, Ctl::CodeProtect1, Ctl::CodeProtect1}, 0x2ADF, false},
        {{Ctl::OscHS}, 0x3FFA, true},
        {{Ctl::OscIntRCOut}, 0x3FFD, true},
        {{Ctl::OscLP}, 0x3FF8, true},
        {{Ctl::OscIntRC}, 0x3FFC, true},
        {{Ctl::OscExtRCOut}, 0x3FFF, true},
    };
    for (const auto& row : rows) {
        Hold(4, 0x3FFF);
        for (int id : row.clicks) {
            Button(id)->click();
        }
        EXPECT_EQ(Slot14(), row.after);
        EXPECT_EQ(dialog->VerifyAllowed, row.verify);
        EXPECT_FALSE(Button(Ctl::PowerOnTimer)->isDown());
    }
}

TEST_F(PanelTest, WithNoChipTheBoxesWorkOnThe12BitSlot) {
    EXPECT_EQ(dialog->ChipType, 0);
    dialog->FileImage[0xFFF] = 0x0FEA;
    Button(Ctl::Mclr)->click();
    EXPECT_EQ(Slot12(), 0x0FFAu);
}

TEST_F(PanelTest, TypedCalibrationValuesBecomeTheChipsCalibrationInstruction) {
    const struct {
        int chipType;
        const char* typed;
        const char* shown;
        int slot;
        std::uint32_t word;
    } rows[] = {
        {1, "8C", "8C", 0x1FF, 0xFC8C},  {2, "8c", "8C", 0x3FF, 0xFC8C},
        {3, "3c", "3C", 0x3FF, 0xF43C},  {4, "8C", "8C", 0x7FF, 0xF48C},
        {1, "08", "8", 0x1FF, 0xFC08},   {1, "x5", "5", 0x1FF, 0xFC05},
        {4, "123", "12", 0x7FF, 0xF412},
    };
    for (const auto& row : rows) {
        dialog->ChipType = row.chipType;
        dialog->KeepChipCalibration = true;
        dialog->CalibrationText.clear();
        dialog->UpdateData(false);
        dialog->CalibrationEdit->setFocus();
        QTest::keyClicks(dialog->CalibrationEdit, QString::fromLatin1(row.typed));
        SCOPED_TRACE(row.typed);
        EXPECT_EQ(dialog->CalibrationEdit->text(), QString::fromLatin1(row.shown));
        EXPECT_EQ(dialog->FileImage[row.slot], row.word);
        EXPECT_FALSE(dialog->KeepChipCalibration);
        EXPECT_EQ(dialog->DlgItemText(Ctl::CalibrationLabel),
                  QStringLiteral("Oscillator Calibration:"));
    }
    // Clearing the field stores 0.
    dialog->ChipType = 1;
    QTest::keyClick(dialog->CalibrationEdit, Qt::Key_Backspace);
    QTest::keyClick(dialog->CalibrationEdit, Qt::Key_Backspace);
    EXPECT_EQ(dialog->FileImage[0x1FF], 0xFC00u);
    EXPECT_EQ(dialog->CalibrationEdit->text(), QStringLiteral("0"));
}

TEST_F(PanelTest, ACalibrationTypedWithNoChipChangesNoSlot) {
    const auto before = dialog->FileImage;
    QTest::keyClicks(dialog->CalibrationEdit, QStringLiteral("5A"));
    EXPECT_EQ(dialog->FileImage, before);
    EXPECT_FALSE(dialog->KeepChipCalibration);
    EXPECT_EQ(dialog->CalibrationEdit->text(), QStringLiteral("5A"));
}

TEST_F(PanelTest, ThePanelShowsWhatTheProgramPutsThereWithoutRunningHandlers) {
    dialog->SetDlgItemText(Ctl::CalibrationLabel, QStringLiteral("untouched"));
    dialog->ChipType = 1;
    dialog->CalibrationText = QStringLiteral("3C");
    dialog->UpdateData(false);
    EXPECT_EQ(dialog->DlgItemText(Ctl::CalibrationLabel), QStringLiteral("untouched"));
    EXPECT_EQ(dialog->FileImage[0x1FF], 0xFFFFu);
}

// The pushed look marks the controls a 12-bit chip does not have; moving the focus on, or dragging
// a press off one of them, must not make it look usable.
TEST_F(PanelTest, FourteenBitOnlyControlsKeepTheirLookOnA12BitChip) {
    Hold(1, 0x0FEA);
    const int fourteenBitOnly[] = {Ctl::PowerOnTimer, Ctl::CodeProtect1, Ctl::OscHS,
                                   Ctl::OscIntRCOut, Ctl::OscExtRCOut};
    for (int id : fourteenBitOnly) {
        QAbstractButton* button = Button(id);
        const QPoint inside(5, button->height() / 2);
        QTest::mouseClick(button, Qt::LeftButton, {}, inside);
        QTest::mousePress(button, Qt::LeftButton, {}, inside);
        QTest::mouseMove(button, QPoint(-20, -20));
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-20, -20));
        Button(Ctl::Watchdog)->setFocus(Qt::TabFocusReason);
    }
    dialog->grab();  // what the user sees
    for (int id : fourteenBitOnly) {
        EXPECT_TRUE(Button(id)->isDown()) << id;
    }

    Hold(3, 0x3FFF);
    dialog->grab();
    for (int id : fourteenBitOnly) {
        EXPECT_FALSE(Button(id)->isDown()) << id;
    }
}

}  // namespace
