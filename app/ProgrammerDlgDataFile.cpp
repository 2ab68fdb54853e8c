// Loading a data file: Open, a choice in the recent-file list, and the start-up reload all read
// the file's text and hand it to LoadDataText, which parses it and shows what it is for.

#include <QComboBox>
#include <QListWidget>

#include "app/CalibrationLabels.h"
#include "app/ControlIds.h"
#include "app/Desktop.h"
#include "app/FileLayer.h"
#include "app/NotificationGuard.h"
#include "app/ProgrammerDlg.h"
#include "chip/ChipTable.h"
#include "image/Calibration.h"
#include "image/ChipInference.h"
#include "image/DataFile.h"

bool CProgrammerDlg::ReadDataFile(const QString& path) {
    const FileReadResult file = Files().ReadHead(path, MaxDataFileBytes);
    if (file.error) {
        desktop_.Tell(FileErrorMessage(*file.error), Desktop::Icon::Stop);
        return false;
    }
    HexTextLength = static_cast<int>(file.bytes.size());
    std::copy(file.bytes.begin(), file.bytes.end(), HexText.begin());
    return true;
}

void CProgrammerDlg::OnOpen() {
    const QString path = desktop_.ChooseFileToOpen(QString::fromLatin1(DataFileFilter));
    if (path.isEmpty()) {
        return;  // cancelled: nothing changes
    }
    {
        NotificationGuard quiet(*this);
        FileCombo->insertItem(0, path);
        FileCombo->setCurrentIndex(0);
    }
    FileSelection = 0;
    FileImage.fill(0xFFFF);
    if (ReadDataFile(path)) {
        LoadDataText();
    }
}

void CProgrammerDlg::OnFileSelChange() {
    FileName = FileCombo->currentText();
    FileSelection = FileCombo->currentIndex();
    if (ReadDataFile(FileName)) {
        FileImage.fill(0xFFFF);
        LoadDataText();
    }
}

void CProgrammerDlg::LoadDataText() {
    SetDlgItemText(Ctl::StatusLine, QStringLiteral(" "));
    KeepChipCalibration = true;
    DataReadFromChip = false;
    const int last =
        ParseIntelHex(HexText.data(), HexTextLength, FileImage.data(), ConfigAddress,
                      [this](const char* message) {
                          desktop_.Tell(QString::fromLatin1(message), Desktop::Icon::None);
                      });
    ConfigAddress = last;

    SetDlgItemText(Ctl::CalibrationLabel, CalibrationLabels::NoneInFile);
    CalibrationText = QStringLiteral(" ");
    const ChipInference inference = InferChip(FileImage.data(), last);
    ChipType = inference.chipType;
    if (inference.calibration >= 0) {
        CalibrationText = QString::fromStdString(CalibrationValueText(inference.calibration));
        SetDlgItemText(Ctl::CalibrationLabel, CalibrationLabels::Value);
        KeepChipCalibration = false;
    }

    const ChipInfo* chip = FindChip(ChipType);
    if (chip == nullptr) {
        SetDlgItemText(Ctl::ChipName, QString::fromLatin1(NoChipName));
        LastUsedAddress = NoChipMaxUsableAddress;
        SetDlgItemText(Ctl::StatusLine, QStringLiteral("No Configuration Word in Hex-File !"));
        SetDlgItemText(Ctl::CalibrationLabel, CalibrationLabels::NoneInFile);
        CalibrationText = QStringLiteral("  ");
        SetFourteenBitOnlyHighlight(false);
        Cp0Checked = Cp1Checked = MclrChecked = WatchdogChecked = PowerUpTimerChecked = 0;
        OscillatorChoice = -1;
        SelectChip(-1);
        UpdateData(false);
    } else {
        SetDlgItemText(Ctl::ChipName, QString::fromLatin1(chip->name));
        SelectChip(ChipType - 1);
        LastUsedAddress = chip->maxUsableAddress;
    }
    MaxUsableAddress = LastUsedAddress;
    LastUsedAddress = LastUsedFrom(FileImage.data(), LastUsedAddress);
    SetDlgItemText(Ctl::Size, QString::number(LastUsedAddress + 1));
    SetBarPosition(MemoryFillBar, LastUsedAddress * 100 / MaxUsableAddress);

    if (chip != nullptr) {
        ConfigFromChip = 0;
        CalibrationWord = static_cast<std::uint16_t>(FileImage[static_cast<std::size_t>(last)]);
        ReadConfigWord();
    }
    ShowChecksumTip();
}

void CProgrammerDlg::SelectChip(int row) {
    NotificationGuard quiet(*this);
    if (row < 0) {
        ChipList->clearSelection();
        ChipList->setCurrentRow(-1);
        ChipListText.clear();
    } else {
        ChipList->setCurrentRow(row);
        ChipListText = ChipList->item(row)->text();
    }
}
