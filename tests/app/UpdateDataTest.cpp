#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "app/ControlIds.h"
#include "tests/app/DialogFixture.h"

namespace {

const int Oscillators[] = {Ctl::OscLP, Ctl::OscXT,       Ctl::OscIntRC,   Ctl::OscExtRC,
                           Ctl::OscHS, Ctl::OscIntRCOut, Ctl::OscExtRCOut};

class UpdateDataTest : public DialogFixture {
protected:
    QAbstractButton* Button(int id) { return qobject_cast<QAbstractButton*>(dialog->DlgItem(id)); }
    int CheckedOscillator() {
        for (int i = 0; i < 7; ++i) {
            if (Button(Oscillators[i])->isChecked()) {
                return i;
            }
        }
        return -1;
    }

    std::unique_ptr<CProgrammerDlg> dialog = Start();
};

TEST_F(UpdateDataTest, FieldsReachTheControlsAndComeBack) {
    const struct {
        int watchdog, mclr, cp0, oscillator, powerUp, cp1;
        const char* chip;
        const char* calibration;
    } rows[] = {
        {1, 0, 1, 0, 0, 1, "12c508", "5A"},
        {0, 1, 0, 6, 1, 0, "12C67", "  "},  // a prefix, any case, picks the first match
        {1, 1, 1, 4, 1, 1, "12c672", "FF"},
        {0, 0, 0, -1, 0, 0, "", ""},
    };
    for (const auto& row : rows) {
        dialog->WatchdogChecked = row.watchdog;
        dialog->MclrChecked = row.mclr;
        dialog->Cp0Checked = row.cp0;
        dialog->OscillatorChoice = row.oscillator;
        dialog->PowerUpTimerChecked = row.powerUp;
        dialog->Cp1Checked = row.cp1;
        dialog->ChipListText = QString::fromLatin1(row.chip);
        dialog->CalibrationText = QString::fromLatin1(row.calibration);
        dialog->UpdateData(false);

        EXPECT_EQ(Button(Ctl::Watchdog)->isChecked(), row.watchdog == 1);
        EXPECT_EQ(Button(Ctl::Mclr)->isChecked(), row.mclr == 1);
        EXPECT_EQ(Button(Ctl::CodeProtect0)->isChecked(), row.cp0 == 1);
        EXPECT_EQ(Button(Ctl::PowerOnTimer)->isChecked(), row.powerUp == 1);
        EXPECT_EQ(Button(Ctl::CodeProtect1)->isChecked(), row.cp1 == 1);
        EXPECT_EQ(CheckedOscillator(), row.oscillator);
        EXPECT_EQ(dialog->CalibrationEdit->text(), QString::fromLatin1(row.calibration));

        const QString selectedBefore =
            dialog->ChipList->currentItem() ? dialog->ChipList->currentItem()->text() : QString();
        dialog->UpdateData(true);
        EXPECT_EQ(dialog->WatchdogChecked, row.watchdog);
        EXPECT_EQ(dialog->OscillatorChoice, row.oscillator);
        EXPECT_EQ(dialog->Cp1Checked, row.cp1);
        EXPECT_EQ(dialog->CalibrationText, QString::fromLatin1(row.calibration));
        // An empty chip text leaves the selection as it was.
        EXPECT_EQ(dialog->ChipListText, selectedBefore);
    }
    EXPECT_EQ(dialog->ChipListText, QStringLiteral("12c672"));
}

TEST_F(UpdateDataTest, OddValuesAreMadeSafeOnTheWayOut) {
    dialog->WatchdogChecked = 7;
    dialog->MclrChecked = 2;
    dialog->OscillatorChoice = 7;  // the 14-bit code with no button
    dialog->UpdateData(false);
    EXPECT_EQ(dialog->WatchdogChecked, 0);
    EXPECT_FALSE(Button(Ctl::Watchdog)->isChecked());
    EXPECT_EQ(qobject_cast<QCheckBox*>(Button(Ctl::Mclr))->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(CheckedOscillator(), -1);
    dialog->ChipListText = QStringLiteral("no such chip");
    dialog->UpdateData(false);
    dialog->UpdateData(true);
    EXPECT_EQ(dialog->ChipListText, QString());
}

TEST_F(UpdateDataTest, WhatTheProgramPutsIntoControlsNeverReachesAHandler) {
    // With no chip and no data the calibration handler would still react to a user's edit;
    // here nothing may happen at all, so any handler run would show in the texts.
    dialog->show();
    dialog->SetDlgItemText(Ctl::CalibrationLabel, QStringLiteral("untouched"));
    dialog->CalibrationText = QStringLiteral("3C");
    dialog->ChipListText = QStringLiteral("12c509");
    dialog->OscillatorChoice = 2;
    dialog->UpdateData(false);
    EXPECT_EQ(dialog->DlgItemText(Ctl::CalibrationLabel), QStringLiteral("untouched"));
    EXPECT_EQ(dialog->ChipType, 0) << "the chip list's handler did not run";
}

TEST_F(UpdateDataTest, AccessKeysPressTheirButtons) {
    dialog->show();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    desktop.files = {QString()};  // Open's file dialog, cancelled
    const struct {
        Qt::Key key;
        int id;
    } rows[] = {
        {Qt::Key_E, Ctl::Exit},     {Qt::Key_O, Ctl::Open},    {Qt::Key_W, Ctl::ReadConfigWord},
        {Qt::Key_R, Ctl::Read},     {Qt::Key_S, Ctl::OscCal},  {Qt::Key_Question, Ctl::Erased},
        {Qt::Key_P, Ctl::Programm}, {Qt::Key_C, Ctl::Compare}, {Qt::Key_A, Ctl::Automatic},
        {Qt::Key_H, Ctl::Help},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Button(row.id)->shortcut(), QKeySequence(Qt::ALT | row.key)) << row.id;
        if (row.id == Ctl::Exit) {
            continue;
        }
        QSignalSpy clicked(Button(row.id), &QAbstractButton::clicked);
        QTest::keyClick(dialog.get(), row.key, Qt::AltModifier);
        // A key press animates the click, which lands a moment later.
        EXPECT_TRUE(clicked.count() == 1 || clicked.wait(1000)) << row.id;
    }
}

}  // namespace
