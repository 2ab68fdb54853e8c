// Enter presses Exit, as in any dialog, except where it finishes an entry: in the calibration
// field it ends the edit, in the chip list it confirms the choice. A user who types a calibration
// value and presses Enter must not end the program.

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>

#include "app/ProgrammerDlg.h"

void CProgrammerDlg::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && focusWidget() == CalibrationEdit) {
        // The value took effect as it was typed; the selection shows it was taken.
        CalibrationEdit->selectAll();
        event->accept();
        return;
    }
    if (enter && focusWidget() == ChipList) {
        ConfirmChipChoice();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CProgrammerDlg::ConfirmChipChoice() {
    const int row = ChipList->currentRow();
    if (row < 0) {
        return;
    }
    // The keyboard can leave the current entry unselected.
    ChipList->item(row)->setSelected(true);
    if (ChipType != row + 1) {
        OnChipTypeChange();
    }
}
