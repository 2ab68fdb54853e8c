#include <QComboBox>
#include <QListWidget>
#include <QProgressBar>

#include "app/ControlIds.h"
#include "tests/app/DialogFixture.h"

namespace {

QString DataFile(const char* name) {
    return QStringLiteral(CHIPSMITH_TEST_DATA "/") + QString::fromLatin1(name);
}

class DataFileTest : public DialogFixture {
protected:
    void SetUp() override {
        WriteFile(SettingsPath(), "000");
        dialog = Start();
    }
    void Open(const QString& path) {
        desktop.files = {path};
        dialog->OnOpen();
    }
    std::unique_ptr<CProgrammerDlg> dialog;
};

TEST_F(DataFileTest, AssemblerFilesShowTheirChipSizeConfigurationAndCalibration) {
    const struct {
        const char* file;
        const char* chip;
        int listIndex;
        int size;
        int fill;
        const char* calibration;
        const char* label;
        bool keep;
        int mclr, watchdog, cp0, oscillator, powerUp;
    } rows[] = {
        {"blink508.hex", "12c508", 0, 499, 97, " ", "No Oscillator Calibration in File !", true, 0,
         0, 0, 2, 0},
        {"blink509-inhx8m.hex", "12c509", 1, 1012, 98, " ", "No Oscillator Calibration in File !",
         true, 1, 1, 0, 1, 0},
        {"calib508.hex", "12c508", 0, 2, 0, "80", "Oscillator Calibration:", false, 1, 0, 0, 1, 0},
        {"blink671.hex", "12c671", 2, 1011, 98, " ", "No Oscillator Calibration in File !", true, 1,
         0, 0, 2, 1},
        {"plain671-inhx8m.hex", "12c671", 2, 2, 0, " ", "No Oscillator Calibration in File !", true,
         1, 0, 1, 4, 0},
        {"calib672.hex", "12c672", 3, 2, 0, "3C", "Oscillator Calibration:", false, 1, 0, 0, 2, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        Open(DataFile(row.file));
        EXPECT_TRUE(desktop.boxes.empty()) << desktop.Texts().join('|').toStdString();
        EXPECT_EQ(dialog->DlgItemText(Ctl::ChipName), QString::fromLatin1(row.chip));
        EXPECT_EQ(dialog->ChipType, row.listIndex + 1);
        EXPECT_EQ(dialog->ChipList->currentRow(), row.listIndex);
        EXPECT_EQ(dialog->DlgItemText(Ctl::Size), QString::number(row.size));
        EXPECT_EQ(dialog->MemoryFillBar->value(), row.fill);
        EXPECT_EQ(dialog->CalibrationEdit->text(), QString::fromLatin1(row.calibration));
        EXPECT_EQ(dialog->DlgItemText(Ctl::CalibrationLabel), QString::fromLatin1(row.label));
        EXPECT_EQ(dialog->KeepChipCalibration, row.keep);
        EXPECT_EQ(dialog->MclrChecked, row.mclr);
        EXPECT_EQ(dialog->WatchdogChecked, row.watchdog);
        EXPECT_EQ(dialog->Cp0Checked, row.cp0);
        EXPECT_EQ(dialog->OscillatorChoice, row.oscillator);
        EXPECT_EQ(dialog->PowerUpTimerChecked, row.powerUp);
        EXPECT_EQ(dialog->VerifyAllowed, row.cp0 == 0);
        EXPECT_EQ(dialog->DlgItemText(Ctl::StatusLine), QStringLiteral(" "));
        EXPECT_FALSE(dialog->DataReadFromChip);
        // The five 14-bit-only controls look pushed exactly for a 12-bit chip.
        EXPECT_EQ(dialog->HsRadio->isDown(), row.listIndex < 2);
        EXPECT_EQ(dialog->PowerUpTimerBox->isDown(), row.listIndex < 2);
    }
}

// The checksum the maker's tools show, as chipsmith-cli checksum prints it for the same files.
TEST_F(DataFileTest, TheStatusLinesTooltipHasTheFilesChecksum) {
    const struct {
        const char* file;
        const char* tip;
    } rows[] = {
        {"blink508.hex", "Checksum 0x9322 (12c508)"},
        {"calib508.hex", "Checksum 0xD842 (12c508)"},
        {"blink671.hex", "Checksum 0x2BD8 (12c671)"},
        {"plain671-inhx8m.hex", "Checksum 0x0091 (12c671)"},  // protected: ID words and config
    };
    for (const auto& row : rows) {
        Open(DataFile(row.file));
        EXPECT_EQ(dialog->DlgItem(Ctl::StatusLine)->toolTip(), QString::fromLatin1(row.tip));
    }
}

TEST_F(DataFileTest, OpenPutsTheFileOnTopEvenTwiceAndCancelChangesNothing) {
    Open(DataFile("blink508.hex"));
    Open(DataFile("blink672.hex"));
    Open(DataFile("blink508.hex"));
    ASSERT_EQ(dialog->FileCombo->count(), 3);
    EXPECT_EQ(dialog->FileCombo->itemText(0), DataFile("blink508.hex"));
    EXPECT_EQ(dialog->FileCombo->itemText(2), DataFile("blink508.hex"));
    EXPECT_EQ(dialog->FileCombo->currentIndex(), 0);
    EXPECT_EQ(dialog->FileSelection, 0);
    EXPECT_EQ(desktop.openFilter,
              QStringLiteral("IntelHex Files (*.hex)|*.hex|All Files (*.*)|*.*||"));

    const auto image = dialog->FileImage;
    Open(QString());
    EXPECT_EQ(dialog->FileCombo->count(), 3);
    EXPECT_EQ(dialog->FileImage, image);
    EXPECT_TRUE(desktop.boxes.empty());
}

TEST_F(DataFileTest, ChoosingAnEntryReloadsItsFile) {
    Open(DataFile("blink672.hex"));
    Open(DataFile("blink508.hex"));
    dialog->FileCombo->setCurrentIndex(1);
    dialog->OnFileSelChange();
    EXPECT_EQ(dialog->FileName, DataFile("blink672.hex"));
    EXPECT_EQ(dialog->FileSelection, 1);
    EXPECT_EQ(dialog->DlgItemText(Ctl::ChipName), QStringLiteral("12c672"));
    EXPECT_EQ(dialog->FileImage[0x1F0], 0xFFFFu) << "the earlier file's words are gone";
}

TEST_F(DataFileTest, AFileThatCannotBeReadIsNamedAndTheDisplaysStay) {
    Open(DataFile("blink508.hex"));
    Open(PathOf("missing.hex"));
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].text, PathOf("missing.hex") + " was not found.");
    EXPECT_EQ(desktop.boxes[0].icon, Desktop::Icon::Stop);
    EXPECT_EQ(dialog->FileCombo->itemText(0), PathOf("missing.hex"));
    EXPECT_EQ(dialog->DlgItemText(Ctl::ChipName), QStringLiteral("12c508"));
    EXPECT_EQ(dialog->FileImage[0], 0xFFFFu) << "the image was cleared before the read";
}

TEST_F(DataFileTest, WithoutAConfigurationWordAsLastWordNoChipIsChosen) {
    Open(DataFile("blink671.hex"));
    WriteFile(PathOf("tail.hex"), ":021FFE00EA0FE8\r\n:02000000250CCD\r\n:00000001FF\r\n");
    Open(PathOf("tail.hex"));
    EXPECT_EQ(dialog->ChipType, 0);
    EXPECT_EQ(dialog->DlgItemText(Ctl::ChipName), QStringLiteral("??????"));
    EXPECT_EQ(dialog->DlgItemText(Ctl::StatusLine),
              QStringLiteral("No Configuration Word in Hex-File !"));
    EXPECT_EQ(dialog->CalibrationEdit->text(), QStringLiteral("  "));
    EXPECT_EQ(dialog->ChipList->selectedItems().size(), 0);
    EXPECT_EQ(dialog->OscillatorChoice, -1);
    EXPECT_EQ(dialog->MclrChecked + dialog->PowerUpTimerChecked + dialog->Cp0Checked, 0);
    EXPECT_FALSE(dialog->HsRadio->isDown());
    EXPECT_EQ(dialog->FileImage[0], 0x0C25u) << "the data stays";
    EXPECT_EQ(dialog->DlgItemText(Ctl::Size), QStringLiteral("1"));
}

TEST_F(DataFileTest, ParseErrorsKeepWhatWasStored) {
    WriteFile(PathOf("bad.hex"),
              ":02000000250CCD\n:02000200FFFF00\n:021FFE00EA0FE8\n:00000001FF\n");
    Open(PathOf("bad.hex"));
    EXPECT_EQ(desktop.Texts(), QStringList{QStringLiteral("Intel Checksum ERROR !")});
    EXPECT_EQ(desktop.boxes[0].icon, Desktop::Icon::None);
    EXPECT_EQ(dialog->FileImage[0], 0x0C25u);
    EXPECT_EQ(dialog->FileImage[1], 0xFFFFu);
    EXPECT_EQ(dialog->ChipType, 0) << "the configuration word was never reached";
}

TEST_F(DataFileTest, AFileWithOnlyAnEndRecordKeepsTheLastFilesConfigurationSlot) {
    Open(DataFile("blink508.hex"));
    WriteFile(PathOf("end.hex"), ":00000001FF\r\n");
    Open(PathOf("end.hex"));
    EXPECT_EQ(dialog->ChipType, 1);
    EXPECT_EQ(dialog->ConfigWord, 0xFFFF) << "the erased configuration word";
    EXPECT_EQ(dialog->DlgItemText(Ctl::Size), QStringLiteral("1"));
    EXPECT_EQ(dialog->MemoryFillBar->value(), 0);
}

TEST_F(DataFileTest, OnlyTheFirstThirteenThousandBytesAreRead) {
    // Every slot up to the 14-bit configuration word used: 46138 characters of full records.
    std::vector<std::uint32_t> image(ImageSlots, 0x0123);
    std::vector<char> text(HexTextCapacity);
    const int length = WriteIntelHex(0x2007, image.data(), text.data());
    ASSERT_EQ(length, 46138);
    WriteFile(PathOf("big.hex"), QByteArray(text.data(), length));
    Open(PathOf("big.hex"));
    EXPECT_EQ(dialog->HexTextLength, 13000);
    // 288 records of 45 characters fit; the 289th is cut short.
    EXPECT_EQ(desktop.Texts(), QStringList{QStringLiteral("Intel File ERROR !")});
    EXPECT_EQ(dialog->FileImage[288 * 8 - 1], 0x0123u);
    EXPECT_EQ(dialog->FileImage[288 * 8], 0xFFFFu);
}

TEST_F(DataFileTest, HalfAChipFillsHalfTheBar) {
    // Word 0x0000 at index 255 (byte address 0x01FE), then the configuration word.
    WriteFile(PathOf("half.hex"), ":0201FE000000FF\n:021FFE00EA0FE8\n:00000001FF\n");
    Open(PathOf("half.hex"));
    EXPECT_EQ(dialog->ChipType, 1);
    EXPECT_EQ(dialog->DlgItemText(Ctl::Size), QStringLiteral("256"));
    EXPECT_EQ(dialog->MemoryFillBar->value(), 50);
}

}  // namespace
