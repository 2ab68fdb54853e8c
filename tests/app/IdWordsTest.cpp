// The file's ID words in the window: programmed, compared and read as the command line does.

#include "app/ControlIds.h"
#include "chip/ChipTable.h"
#include "image/IntelHex.h"
#include "tests/app/DialogFixture.h"

namespace {

// gpasm-written files whose four ID words are not blank, one per chip.
struct IdFile {
    const char* name;
    int chipType;
};

const IdFile IdFiles[] = {
    {"serial508.hex", 1},
    {"serial509.hex", 2},
    {"blink671.hex", 3},
    {"blink672.hex", 4},
};

class IdWordsTest : public DialogFixture, public ::testing::WithParamInterface<IdFile> {
protected:
    const ChipInfo& Chip() const { return *FindChip(GetParam().chipType); }
    std::uint16_t Mask() const { return Chip().family.wordMask; }
    std::uint32_t FileId(int i) const {
        return dialog->FileImage[static_cast<std::size_t>(Chip().idAddress + i)];
    }

    void StartWithFile(SimulatedChip chip) {
        WriteFile(SettingsPath(), "000");
        PlugSimulatedBoard(std::move(chip));
        dialog = Start();
        board.ClearRecords();  // detection powers every chip the 12-bit way
        desktop.files = {QStringLiteral(CHIPSMITH_TEST_DATA "/") +
                         QString::fromLatin1(GetParam().name)};
        dialog->OnOpen();
        dialog->ChipList->setCurrentRow(GetParam().chipType - 1);
        for (int i = 0; i < IdWordCount; ++i) {
            ASSERT_FALSE(Chip().family.IsBlankForProgramming(FileId(i))) << "the file's ID word";
        }
    }
    QString Status() const { return dialog->DlgItemText(Ctl::StatusLine); }

    std::unique_ptr<CProgrammerDlg> dialog;
};

TEST_P(IdWordsTest, AutomaticProgramsTheIdWordsAndCompareSeesOneThatDiffers) {
    StartWithFile(SimulatedChip::Factory(GetParam().chipType, 0x5A));
    desktop.answers = {true};
    dialog->OnAutomatic();
    EXPECT_EQ(Status(), QStringLiteral("EPROM and File equal !"));
    for (int i = 0; i < IdWordCount; ++i) {
        EXPECT_EQ(board.Chip()->Word(Chip().idAddress + i), FileId(i) & Mask()) << i;
    }

    // An ID word that is not the file's is a difference, as the command line's verify counts it.
    board.Chip()->SetWord(Chip().idAddress + 2, 0);
    dialog->OnCompare();
    EXPECT_EQ(Status(), QStringLiteral("1 Bytes NOT equal !"));
    EXPECT_TRUE(board.Errors().empty()) << board.Errors().front();
}

TEST_P(IdWordsTest, ReadKeepsTheChipsIdWordsInWhatExitSaves) {
    SimulatedChip chip = SimulatedChip::Factory(GetParam().chipType, 0x5A);
    chip.SetWord(0, 0x0123);
    const std::uint16_t ids[IdWordCount] = {0x1, 0x2, 0x3, 0xF};
    for (int i = 0; i < IdWordCount; ++i) {
        chip.SetWord(Chip().idAddress + i, ids[i]);
    }
    StartWithFile(chip);
    dialog->OnRead();
    for (int i = 0; i < IdWordCount; ++i) {
        EXPECT_EQ(FileId(i), Chip().family.Forced(ids[i])) << "forced, as every word read";
    }
    std::vector<std::uint32_t> saved(ImageSlots, 0xFFFF);
    ParseIntelHex(dialog->HexText.data(), dialog->HexTextLength, saved.data(), 0,
                  [](const char* message) { ADD_FAILURE() << message; });
    for (int i = 0; i < IdWordCount; ++i) {
        EXPECT_EQ(saved[static_cast<std::size_t>(Chip().idAddress + i)] & Mask(), ids[i]) << i;
    }

    // The image read is the chip: compared with it, the chip is equal.
    dialog->OnCompare();
    EXPECT_EQ(Status(), QStringLiteral("EPROM and File equal !"));
}

INSTANTIATE_TEST_SUITE_P(EachChip, IdWordsTest, ::testing::ValuesIn(IdFiles),
                         [](const ::testing::TestParamInfo<IdFile>& info) {
                             return std::string("Chip") + std::to_string(info.param.chipType);
                         });

// Programm's last look compares the ID words too, before the protecting configuration word is
// programmed: a chip whose ID word went wrong is left unprotected, and readable.
TEST_F(DialogFixture, AnIdWordThatWentWrongKeepsTheChipUnprotected) {
    WriteFile(SettingsPath(), "000");
    SimulatedChip chip = SimulatedChip::Factory(1, 0x5A);
    PlugSimulatedBoard(chip);
    auto dialog = Start();
    desktop.files = {QStringLiteral(CHIPSMITH_TEST_DATA "/ids508.hex")};
    dialog->OnOpen();
    dialog->ChipList->setCurrentRow(0);
    ASSERT_FALSE(dialog->VerifyAllowed) << "the file protects the chip";
    // Once every word has been programmed and read back, an ID word changes: only the look
    // after programming can see it.
    QObject::connect(dialog->ProgressBar, &QProgressBar::valueChanged, [this](int value) {
        if (value == 100) {
            board.Chip()->SetWord(0x203, 0x000);
        }
    });
    desktop.boxes.clear();
    desktop.answers = {true};
    dialog->OnProgramm();
    EXPECT_EQ(desktop.Texts(),
              (QStringList{QStringLiteral("Programm Data File now ?"),
                           QStringLiteral("1 Programm ERRORS !"),
                           QStringLiteral("EPROM and File NOT equal !\nCode Protection NOT "
                                          "programmed .")}));
    EXPECT_FALSE(board.Chip()->CodeProtected());
}

}  // namespace
