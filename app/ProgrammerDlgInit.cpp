// Start-up: the dialog's initial state, board detection, the settings file and the reload of the
// data file selected there, in this order.

#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>

#include "app/ControlIds.h"
#include "app/Desktop.h"
#include "app/FileLayer.h"
#include "app/ProgrammerDlg.h"
#include "chip/ChipTable.h"
#include "chip/Interruption.h"
#include "image/DataFile.h"

namespace {

const QString AboutItemText = QStringLiteral("Info about Chipsmith...");

}  // namespace

void CProgrammerDlg::OnInitDialog() {
    UpdateData(false);
    HexText[0] = 0;
    HexTextLength = 0;
    SetBarPosition(ProgressBar, 0);
    SetBarPosition(MemoryFillBar, 0);
    FileImage.fill(0xFFFF);

    if (!AboutItemText.isEmpty()) {
        windowMenu_->addSeparator();
        windowMenu_->addAction(AboutItemText, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
    }
    setWindowIcon(AppIcon);

    for (const ChipInfo& chip : ChipTable) {
        auto* item = new QListWidgetItem(QString::fromLatin1(chip.name));
        // The chips the maker programs the same way are served by this entry.
        const std::string siblings = SiblingNames(chip.chipType);
        if (!siblings.empty()) {
            item->setToolTip(
                QStringLiteral("Also for the %1").arg(QString::fromStdString(siblings)));
        }
        ChipList->addItem(item);
    }
    SetDlgItemText(Ctl::ChipName, QString::fromLatin1(NoChipName));

    DataReadFromChip = false;
    ChipType = 0;
    VerifyAllowed = true;
    PortNumber = 0xFFFF;
    FindProgrammer();
    // Told to stop while the ports were probed: the program ends before anything is asked.
    if (StopRequested()) {
        return;
    }

    ReadSettingsFile();
}

void CProgrammerDlg::ReadSettingsFile() {
    const FileReadResult file = Files().ReadHead(settingsPath_, MaxSettingsBytes);
    if (file.error) {
        desktop_.Tell(FileErrorMessage(*file.error), Desktop::Icon::Stop);
        return;
    }
    const SettingsContent settings = ParseSettings(file.bytes, RecentRecord);
    ChipType = settings.chipType;
    SetDlgItemText(Ctl::ChipName, ChipType != 0 ? ChipList->item(ChipType - 1)->text()
                                                : QString::fromLatin1(NoChipName));
    FileCombo->addItems(settings.files);
    // A selection that names no entry shows none and reloads nothing.
    FileCombo->setCurrentIndex(settings.selection < FileCombo->count() ? settings.selection : -1);
    FileSelection = settings.selection;
    if (FileCombo->currentIndex() >= 0) {
        ReloadSelectedFile();
    }
}

void CProgrammerDlg::ReloadSelectedFile() {
    FileName = FileCombo->currentText();
    if (ReadDataFile(FileName)) {
        LoadDataText();
    }
}
