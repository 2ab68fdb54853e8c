// Automatic's last look at the configuration word. After a run on an empty socket, on a chip of
// the wrong type or with programming skipped, the chip's word is not the file's; copying it into
// the image, as Read Config. Word does, would burn the next chip with the wrong oscillator and
// watchdog bits. So the file's word stays, and a chip that differs from it is reported.

#include "app/ControlIds.h"
#include "app/Desktop.h"
#include "app/Messages.h"
#include "app/ProgrammerDlg.h"
#include "chip/ChipTable.h"
#include "chip/ConfigReadout.h"

void CProgrammerDlg::CheckConfigWordOnChip() {
    if (!ProgrammerFound() || SelectedChip(Desktop::Icon::None) == nullptr) {
        return;
    }
    const ChipFamily& family = FamilyOf(ChipType);
    const auto fileWord =
        static_cast<std::uint16_t>(FileImage[static_cast<std::size_t>(family.configAddress)]);
    const std::uint16_t chipWord = ReadConfigWordFromChip(board_, family);
    // The panel shows the word the next chip will get.
    ConfigFromChip = 0;
    CalibrationWord = fileWord;
    ReadConfigWord();
    // Only the bits the chip has count: a read forces the others to 1.
    if (((chipWord ^ fileWord) & family.wordMask) != 0) {
        // The compare before may have said "EPROM and File equal !"; the chip is not the file.
        // Words it found different stay in view beside the configuration word.
        SetDlgItemText(Ctl::StatusLine, compareDifferences_ > 0
                                            ? QStringLiteral("%1 Bytes NOT equal !  %2")
                                                  .arg(compareDifferences_)
                                                  .arg(Messages::ConfigurationWordError)
                                            : Messages::ConfigurationWordError);
        desktop_.Tell(Messages::ConfigurationWordError, Desktop::Icon::None);
    }
}
