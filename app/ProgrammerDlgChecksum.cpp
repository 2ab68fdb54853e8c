// The checksum people hold against their assembler's or the maker's programmer's: the image's, in
// the status line's tooltip after Open, Read and Compare (the chip's image after Read, the file
// compared with after Compare).

#include "app/ControlIds.h"
#include "app/ProgrammerDlg.h"
#include "chip/ChipTable.h"
#include "image/Checksum.h"

void CProgrammerDlg::ShowChecksumTip() {
    const ChipInfo* chip = FindChip(ChipType);
    QWidget* status = DlgItem(Ctl::StatusLine);
    status->setToolTip(
        chip == nullptr
            ? QString()
            : QStringLiteral("Checksum %1 (%2)")
                  .arg(QString::fromStdString(ChecksumText(ImageChecksum(*chip, FileImage.data()))),
                       QString::fromLatin1(chip->name)));
}
