// Leaving the program: Exit offers to save what was read from a chip, then rewrites the settings
// file; any failure stops Exit there and keeps the dialog open.

#include <QComboBox>
#include <QDir>
#include <QFileInfo>

#include "app/Desktop.h"
#include "app/FileLayer.h"
#include "app/ProgrammerDlg.h"
#include "image/DataFile.h"

void CProgrammerDlg::OnExit() {
    ConfigAddress = 0x2007;
    HexTextLength = WriteIntelHex(0x2007, FileImage.data(), HexText.data());

    if (DataReadFromChip && desktop_.Ask(QStringLiteral("Save Data File ?"))) {
        const QString path =
            desktop_.ChooseFileToSave(QString::fromLatin1(DataFileFilter), QStringLiteral("hex"));
        if (path.isEmpty()) {
            return;  // the user changed their mind: keep the dialog and the chip's data
        }
        if (const auto error =
                Files().WriteWhole(path, QByteArray(HexText.data(), HexTextLength))) {
            desktop_.Tell(FileErrorMessage(*error), Desktop::Icon::Stop);
            return;
        }
    }

    QStringList files;
    for (int i = 0; i < FileCombo->count(); ++i) {
        files << FileCombo->itemText(i);
    }
    QDir().mkpath(QFileInfo(settingsPath_).absolutePath());
    if (const auto error = Files().WriteWhole(
            settingsPath_, EncodeSettings(ChipType, FileSelection, files, RecentRecord))) {
        desktop_.Tell(FileErrorMessage(*error), Desktop::Icon::Stop);
        return;
    }

    UpdateData(true);
    accept();
}
