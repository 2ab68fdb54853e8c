#include "app/ControlIds.h"
#include "tests/app/DialogFixture.h"

namespace {

const char* const BlinkFiles[] = {"", "blink508.hex", "blink509.hex", "blink671.hex",
                                  "blink672.hex"};

class AutomaticConfigTest : public DialogFixture {};

// Automatic reads the chip's configuration word at its end, but never copies it into the image:
// a chip that differs from the file is reported, and the next chip still gets the file's word.
TEST_F(AutomaticConfigTest, TheFilesWordStaysAndADifferentChipIsReported) {
    const QString error = QStringLiteral("Configuration Word ERROR !");
    const struct {
        int chipType;
        bool chipInSocket;
        bool programm;
        bool reported;
    } rows[] = {
        {1, true, true, false},  {4, true, true, false},   // programmed: the chip holds the file's
        {1, true, false, true},  {3, true, false, true},   // programming cancelled: erased word
        {2, false, false, true}, {4, false, false, true},  // empty socket
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << "chip " << row.chipType << (row.chipInSocket ? "" : " absent")
                     << (row.programm ? " programmed" : " cancelled"));
        board.Remove();
        WriteFile(SettingsPath(), "000");
        PlugSimulatedBoard(row.chipInSocket
                               ? std::optional(SimulatedChip::Factory(row.chipType, 0x5A))
                               : std::nullopt);
        auto dialog = Start();
        board.ClearRecords();  // detection powers every chip the 12-bit way
        desktop.files = {QStringLiteral(CHIPSMITH_TEST_DATA "/") + BlinkFiles[row.chipType]};
        dialog->OnOpen();
        const int slot = row.chipType >= 3 ? 0x2007 : 0xFFF;
        const auto fileWord = static_cast<std::uint16_t>(dialog->FileImage[slot]);
        const int watchdog = dialog->WatchdogChecked;
        desktop.boxes.clear();
        desktop.answers = {row.programm};

        dialog->OnAutomatic();

        int reports = 0;
        for (const auto& box : desktop.boxes) {
            reports += box.text == error && box.icon == Desktop::Icon::None ? 1 : 0;
        }
        EXPECT_EQ(reports, row.reported ? 1 : 0) << desktop.Texts().join('|').toStdString();
        if (row.reported) {
            // Beside the count of words that differ, when the comparison found any.
            EXPECT_TRUE(dialog->DlgItemText(Ctl::StatusLine).endsWith(error))
                << "the status line agrees";
        }
        EXPECT_EQ(dialog->FileImage[slot], fileWord);
        EXPECT_EQ(dialog->ConfigWord, fileWord) << "the panel shows the file's word";
        EXPECT_EQ(dialog->WatchdogChecked, watchdog);
        EXPECT_TRUE(board.Errors().empty()) << board.Errors().front();

        // The button itself still takes the chip's word: there the user asked for it.
        dialog->OnReadConfigWord();
        const std::uint16_t mask = row.chipType >= 3 ? 0x3FFF : 0x0FFF;
        EXPECT_EQ(dialog->FileImage[slot], dialog->ConfigWord);
        EXPECT_EQ(dialog->ConfigWord & mask, row.reported ? mask : fileWord & mask);
    }
}

}  // namespace
