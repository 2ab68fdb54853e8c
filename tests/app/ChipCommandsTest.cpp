#include <QAbstractButton>
#include <QComboBox>
#include <QListWidget>
#include <QProgressBar>
#include <algorithm>

#include "app/ControlIds.h"
#include "chip/Interruption.h"
#include "tests/app/DialogFixture.h"

namespace {

QString DataFile(const char* name) {
    return QStringLiteral(CHIPSMITH_TEST_DATA "/") + QString::fromLatin1(name);
}

const char* const BlinkFiles[] = {"", "blink508.hex", "blink509.hex", "blink671.hex",
                                  "blink672.hex"};
const int MemoryWords[] = {0, 512, 1024, 1024, 2048};

class ChipCommandsTest : public DialogFixture {
protected:
    void StartWith(std::optional<SimulatedChip> chip) {
        WriteFile(SettingsPath(), "000");
        PlugSimulatedBoard(std::move(chip));
        dialog = Start();
        ASSERT_EQ(dialog->PortNumber, 1);
        board.ClearRecords();  // detection powers every chip the 12-bit way
    }
    void Open(const QString& path) {
        desktop.files = {path};
        dialog->OnOpen();
    }
    void SelectChip(int chipType) {
        dialog->ChipList->setCurrentRow(chipType - 1);  // as the user: runs OnChipTypeChange
    }
    QString Status() { return dialog->DlgItemText(Ctl::StatusLine); }
    void ExpectBoardDownAndClean() {
        EXPECT_EQ(board.DataRegister() & 0x0C, 0) << "supplies off";
        EXPECT_FALSE(board.InProgramMode());
        EXPECT_TRUE(board.Errors().empty()) << board.Errors().front();
    }

    std::unique_ptr<CProgrammerDlg> dialog;
};

TEST_F(ChipCommandsTest, WithoutABoardEveryCommandSaysNoProgrammerAndNothingElse) {
    WriteFile(SettingsPath(), "100");
    dialog = Start();
    using Handler = void (CProgrammerDlg::*)();
    const Handler handlers[] = {&CProgrammerDlg::OnReadConfigWord, &CProgrammerDlg::OnErased,
                                &CProgrammerDlg::OnRead,           &CProgrammerDlg::OnCompare,
                                &CProgrammerDlg::OnAutomatic,      &CProgrammerDlg::OnProgramm,
                                &CProgrammerDlg::OnOscCal};
    for (Handler handler : handlers) {
        desktop.boxes.clear();
        const auto image = dialog->FileImage;
        (dialog.get()->*handler)();
        ASSERT_EQ(desktop.boxes.size(), 1u);
        EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("No Programmer !"));
        EXPECT_EQ(desktop.boxes[0].icon, Desktop::Icon::Stop);
        EXPECT_EQ(dialog->FileImage, image);
        EXPECT_FALSE(dialog->DataReadFromChip);
    }
    EXPECT_EQ(ports.Log().size(), 6u) << "only detection touched the ports";
}

TEST_F(ChipCommandsTest, WithNoChipSelectedEachCommandRefusesItsOwnWay) {
    StartWith(SimulatedChip::Factory(1, 0x5A));
    Open(DataFile("blink508.hex"));
    dialog->ChipType = 0;
    const struct {
        void (CProgrammerDlg::*handler)();
        Desktop::Icon icon;
        bool asks;
    } rows[] = {
        {&CProgrammerDlg::OnReadConfigWord, Desktop::Icon::None, false},
        {&CProgrammerDlg::OnOscCal, Desktop::Icon::None, false},
        {&CProgrammerDlg::OnErased, Desktop::Icon::Stop, false},
        {&CProgrammerDlg::OnProgramm, Desktop::Icon::Stop, true},
        {&CProgrammerDlg::OnCompare, Desktop::Icon::None, false},
    };
    for (const auto& row : rows) {
        desktop.boxes.clear();
        desktop.answers = {true};
        (dialog.get()->*row.handler)();
        ASSERT_EQ(desktop.boxes.size(), row.asks ? 2u : 1u);
        EXPECT_EQ(desktop.boxes.back().text, QStringLiteral("No PIC selected !"));
        EXPECT_EQ(desktop.boxes.back().icon, row.icon);
    }
    EXPECT_EQ(board.PortWrites(), 0) << "the board was never touched";
    EXPECT_EQ(Status(), QStringLiteral(" "));

    // Read goes on: the image is gone and the text describes an empty image.
    desktop.boxes.clear();
    dialog->OnRead();
    EXPECT_EQ(desktop.Texts(), QStringList{QStringLiteral("No PIC selected !")});
    EXPECT_EQ(dialog->FileImage[0], 0xFFFFu);
    EXPECT_EQ(dialog->FileCombo->currentIndex(), -1);
    EXPECT_TRUE(dialog->DataReadFromChip);
    EXPECT_EQ(dialog->HexTextLength, 13);
    EXPECT_EQ(dialog->DlgItemText(Ctl::Size), QStringLiteral("499")) << "displays untouched";
}

class EachChipTest : public ChipCommandsTest, public ::testing::WithParamInterface<int> {
protected:
    int Type() const { return GetParam(); }
    bool Is14Bit() const { return Type() >= 3; }
    int Words() const { return MemoryWords[Type()]; }
};

TEST_P(EachChipTest, ABlankChipIsEmptyAndReadsBlank) {
    StartWith(SimulatedChip::Factory(Type(), 0x5A));
    SelectChip(Type());
    dialog->OnErased();
    ExpectBoardDownAndClean();
    EXPECT_EQ(Status(), QStringLiteral("PIC is empty ."));
    EXPECT_FALSE(dialog->ChipNotEmpty);
    EXPECT_EQ(dialog->DlgItemText(Ctl::CalibrationLabel),
              QStringLiteral("Oscillator Calibration in EPROM:"));
    EXPECT_EQ(dialog->CalibrationEdit->text(), QStringLiteral("5A"));
    EXPECT_EQ(dialog->ProgressBar->value(), -1);

    dialog->OnRead();
    ExpectBoardDownAndClean();
    for (int k = 0; k < Words() - 1; ++k) {
        ASSERT_EQ(dialog->FileImage[k], 0xFFFFu) << k;
    }
    EXPECT_EQ(dialog->FileImage[Words() - 1], Is14Bit() ? 0xF45Au : 0xFC5Au) << "forced";
    EXPECT_EQ(dialog->FileImage[Is14Bit() ? 0x2007 : 0xFFF], 0xFFFFu);
    EXPECT_EQ(dialog->DlgItemText(Ctl::CalibrationLabel),
              QStringLiteral("Oscillator Calibration:"));
    EXPECT_FALSE(dialog->KeepChipCalibration);
    EXPECT_EQ(dialog->DlgItemText(Ctl::Size), QStringLiteral("1"));
    EXPECT_EQ(dialog->MemoryFillBar->value(), 0);
    EXPECT_TRUE(dialog->DataReadFromChip);
    EXPECT_EQ(QByteArray(dialog->HexText.data(), dialog->HexTextLength).count(':'),
              2 + (Words() - 1) / 8 * 0)
        << "the calibration record and the end record";
}

TEST_P(EachChipTest, AutomaticProgramsAnErasedChipKeepingItsCalibration) {
    StartWith(SimulatedChip::Factory(Type(), 0x5A));
    Open(DataFile(BlinkFiles[Type()]));
    const auto file = dialog->FileImage;
    desktop.boxes.clear();
    desktop.answers = {true};
    dialog->OnAutomatic();

    EXPECT_EQ(desktop.Texts(), QStringList{QStringLiteral("Programm Data File now ?")});
    EXPECT_EQ(Status(), QStringLiteral("EPROM and File equal !"));
    ExpectBoardDownAndClean();
    const SimulatedChip& chip = *board.Chip();
    for (int k = 0; k < Words() - 1; ++k) {
        const std::uint16_t mask = Is14Bit() ? 0x3FFF : 0x0FFF;
        ASSERT_EQ(chip.Word(k), file[k] & mask) << k;
    }
    EXPECT_EQ(chip.CalibrationWord() & 0xFF, 0x5A) << "the factory value stays";
    EXPECT_EQ(chip.ConfigWord(), file[Is14Bit() ? 0x2007 : 0xFFF] & (Is14Bit() ? 0x3FFF : 0xFFF));
    EXPECT_TRUE(dialog->KeepChipCalibration);
    EXPECT_EQ(dialog->CalibrationEdit->text(), QStringLiteral("5A"));
    EXPECT_EQ(dialog->ConfigWord, file[Is14Bit() ? 0x2007 : 0xFFF])
        << "the chip holds the file's word, and the file's word stays";
    EXPECT_TRUE(dialog->FileImage == file);
    // The calibration word was never pulsed.
    for (const auto& pulse : chip.Pulses()) {
        ASSERT_NE(pulse.address, Words() - 1);
    }
}

TEST_P(EachChipTest, AutomaticOnAProgrammedChipAsksFirstAndCancelProgramsNothing) {
    SimulatedChip chip = SimulatedChip::Factory(Type(), 0x5A);
    chip.SetWord(3, 0);
    StartWith(chip);
    Open(DataFile(BlinkFiles[Type()]));
    desktop.boxes.clear();
    desktop.answers = {false};
    dialog->OnAutomatic();
    EXPECT_EQ(desktop.Texts(), QStringList{QStringLiteral("PIC not empty. Continue ?")});
    EXPECT_EQ(Status(), QStringLiteral("PIC NOT EMPTY !"));
    EXPECT_TRUE(board.Chip()->Pulses().empty());
    ExpectBoardDownAndClean();
}

TEST_P(EachChipTest, CodeProtectionChosenInThePanelSkipsVerification) {
    StartWith(SimulatedChip::Factory(Type(), 0x5A));
    Open(DataFile(BlinkFiles[Type()]));
    qobject_cast<QAbstractButton*>(dialog->DlgItem(Ctl::CodeProtect0))->click();
    ASSERT_FALSE(dialog->VerifyAllowed);
    desktop.boxes.clear();
    desktop.answers = {true};
    dialog->OnAutomatic();
    EXPECT_EQ(desktop.Texts(), QStringList{QStringLiteral("Programm Data File now ?")});
    EXPECT_EQ(Status(), QStringLiteral("Code Protection! No Verification."));
    EXPECT_TRUE(board.Chip()->CodeProtected());
    ExpectBoardDownAndClean();

    desktop.boxes.clear();
    dialog->SetDlgItemText(Ctl::StatusLine, QStringLiteral("kept"));
    const std::size_t reads = board.Chip()->ReadAddresses().size();
    dialog->OnCompare();
    EXPECT_EQ(desktop.Texts(), QStringList{QStringLiteral("Code Protection .")});
    EXPECT_EQ(Status(), QStringLiteral("kept"));
    EXPECT_EQ(board.Chip()->ReadAddresses().size(), reads) << "nothing was read";
    ExpectBoardDownAndClean();
}

// Programm and Automatic take the same path: a chip that is not the file is not protected, and
// the window says so; Automatic then does not call the blank configuration word an error.
TEST_P(EachChipTest, AProtectingFileLeavesAChipThatIsNotTheFileReadable) {
    const QString withheld =
        QStringLiteral("EPROM and File NOT equal !\nCode Protection NOT programmed .");
    const struct {
        const char* press;
        void (CProgrammerDlg::*handler)();
    } presses[] = {{"Programm", &CProgrammerDlg::OnProgramm},
                   {"Automatic", &CProgrammerDlg::OnAutomatic}};
    for (const auto& press : presses) {
        SCOPED_TRACE(press.press);
        StartWith(SimulatedChip::Factory(Type(), 0x5A));
        Open(DataFile(BlinkFiles[Type()]));
        const auto used = std::find_if(dialog->FileImage.begin(), dialog->FileImage.end(),
                                       [](std::uint32_t word) { return word != 0xFFFF; });
        board.Chip()->SetNeverPrograms(static_cast<int>(used - dialog->FileImage.begin()));
        qobject_cast<QAbstractButton*>(dialog->DlgItem(Ctl::CodeProtect0))->click();
        desktop.boxes.clear();
        desktop.answers = {true};
        (dialog.get()->*press.handler)();
        EXPECT_EQ(desktop.Texts(), (QStringList{QStringLiteral("Programm Data File now ?"),
                                                QStringLiteral("1 Programm ERRORS !"), withheld}));
        EXPECT_EQ(Status(), QStringLiteral("Code Protection NOT programmed !"));
        EXPECT_FALSE(board.Chip()->CodeProtected());
        EXPECT_EQ(board.Chip()->ConfigWord(), Is14Bit() ? 0x3FFF : 0x0FFF);
        ExpectBoardDownAndClean();
    }
}

// Three readings, three answers, the board answering: the chip's fault; the board stays found.
TEST_P(EachChipTest, AChipThatReadsDifferentlyEachTimeIsNotABoardThatStopped) {
    SimulatedChip chip = SimulatedChip::Factory(Type(), 0x5A);
    chip.SetReadsUnsteadily(2);
    StartWith(chip);
    Open(DataFile(BlinkFiles[Type()]));
    for (const int button : {Ctl::Erased, Ctl::Compare, Ctl::Read}) {
        desktop.boxes.clear();
        qobject_cast<QAbstractButton*>(dialog->DlgItem(button))->click();
        ASSERT_EQ(desktop.boxes.size(), 1u) << button;
        EXPECT_TRUE(desktop.boxes[0].text.startsWith(QStringLiteral("PIC reads inconsistent !")));
        EXPECT_EQ(Status(), QStringLiteral("PIC reads inconsistent !"));
        EXPECT_EQ(dialog->PortNumber, 1) << "the board is still there";
        ExpectBoardDownAndClean();
    }
}

TEST_P(EachChipTest, FailedWordsAreCountedAndReported) {
    SimulatedChip chip = SimulatedChip::Factory(Type(), 0x5A);
    chip.SetNeverPrograms(0);
    chip.SetNeverPrograms(chip.ConfigAddress());
    StartWith(chip);
    Open(DataFile(BlinkFiles[Type()]));
    desktop.boxes.clear();
    desktop.answers = {true};
    dialog->SetDlgItemText(Ctl::StatusLine, QStringLiteral("before"));
    dialog->OnProgramm();
    EXPECT_EQ(desktop.Texts(), (QStringList{QStringLiteral("Programm Data File now ?"),
                                            QStringLiteral("Configuration Word ERROR !"),
                                            QStringLiteral("2 Programm ERRORS !")}));
    EXPECT_EQ(Status(), Is14Bit() ? QStringLiteral("before") : QStringLiteral(" "));
    EXPECT_EQ(dialog->ProgressBar->value(), -1);
    ExpectBoardDownAndClean();

    // The word that did not take shows in a comparison.
    desktop.boxes.clear();
    dialog->OnCompare();
    EXPECT_EQ(Status(), QStringLiteral("1 Bytes NOT equal !"));
    EXPECT_EQ(dialog->ProgressBar->value(), 100) << "kept full after a comparison";
}

TEST_P(EachChipTest, ProgrammingSucceedsWithTheFamilysText) {
    StartWith(SimulatedChip::Factory(Type(), 0x5A));
    Open(DataFile(BlinkFiles[Type()]));
    desktop.answers = {true};
    dialog->OnProgramm();
    EXPECT_EQ(Status(), Is14Bit() ? QStringLiteral("Programming successful.")
                                  : QStringLiteral("Programming successful ."));
    ExpectBoardDownAndClean();
}

TEST_P(EachChipTest, CompareIncludesTheLastUsedWord) {
    StartWith(SimulatedChip::Factory(Type(), 0x5A));
    Open(DataFile(BlinkFiles[Type()]));
    desktop.answers = {true};
    dialog->OnProgramm();
    const int last = dialog->LastUsedAddress;
    board.Chip()->SetWord(last, 0);
    dialog->OnCompare();
    EXPECT_EQ(Status(), QStringLiteral("1 Bytes NOT equal !"));
    // Word `last` was the last program word read (the ID words may follow).
    int lastProgramWord = -1;
    for (const int address : board.Chip()->ReadAddresses()) {
        if (address < Words()) {
            lastProgramWord = address;
        }
    }
    EXPECT_EQ(lastProgramWord, last);
}

TEST_P(EachChipTest, AReadChipProgrammedToItsLastUsableWordShowsItsFullSize) {
    SimulatedChip chip = SimulatedChip::Factory(Type(), 0x5A);
    chip.SetWord(Words() - 2, 0x0123);
    chip.SetWord(0, 0x0456);
    StartWith(chip);
    SelectChip(Type());
    dialog->OnRead();
    EXPECT_EQ(dialog->LastUsedAddress, Words() - 2);
    EXPECT_EQ(dialog->DlgItemText(Ctl::Size), QString::number(Words() - 1));
    EXPECT_EQ(dialog->MemoryFillBar->value(), (Words() - 2) * 100 / Words());
    dialog->OnCompare();
    EXPECT_EQ(Status(), QStringLiteral("EPROM and File equal !"));
    EXPECT_EQ(board.Chip()->ReadAddresses().back(), Words() - 2);
}

TEST_P(EachChipTest, OscCalDecidesWhetherProgrammingWritesTheCalibrationWord) {
    // A chip without a factory value takes the file's; one with keeps its own.
    const char* files[] = {"", "calib508.hex", "calib508.hex", "calib672.hex", "calib672.hex"};
    for (bool factory : {false, true}) {
        board.Remove();
        StartWith(factory ? SimulatedChip::Factory(Type(), 0x5A) : SimulatedChip(Type()));
        Open(DataFile(files[Type()]));
        SelectChip(Type());
        dialog->CalibrationEdit->setText(QStringLiteral("66"));  // the user's own value
        ASSERT_FALSE(dialog->KeepChipCalibration);
        dialog->OnOscCal();
        EXPECT_EQ(dialog->KeepChipCalibration, factory);
        // calib672.hex's calibration word at 0x7FF is beyond a 12C671: the user goes on.
        desktop.answers = {true};
        if (Type() == 3) {
            desktop.answers.push_front(true);
        }
        dialog->OnProgramm();
        const std::uint16_t calibration = board.Chip()->CalibrationWord();
        if (factory) {
            EXPECT_EQ(calibration, Is14Bit() ? 0x345A : 0xC5A);
        } else {
            EXPECT_EQ(calibration, Is14Bit() ? 0x3466 : 0xC66);
        }
        ExpectBoardDownAndClean();
    }
}

INSTANTIATE_TEST_SUITE_P(AllChips, EachChipTest, ::testing::Values(1, 2, 3, 4));

// A file for another chip, with that chip chosen in the list: Programm and Automatic ask before
// the port is touched; No (the default) leaves the chip as it was, Yes goes on.
TEST_F(ChipCommandsTest, AFileThatDoesNotFitTheChosenChipIsProgrammedOnlyAfterYes) {
    const struct {
        const char* file;
        int chipType;
        bool automatic;
        bool goOn;
        const char* sentence;  // the start of the question; empty: no question
    } rows[] = {
        {"blink672.hex", 1, false, false, "The data does not fit the 12c508: "},
        {"blink672.hex", 1, true, false, "The data does not fit the 12c508: "},
        {"blink509.hex", 1, true, false, "The data does not fit the 12c508: "},
        {"blink508.hex", 3, false, false, "The data does not fit the 12c671: "},
        {"blink508.hex", 3, false, true, "The data does not fit the 12c671: "},
        {"blink672.hex", 1, true, true, "The data does not fit the 12c508: "},
        {"ids508.hex", 1, true, true, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.file << " on type " << row.chipType
                                        << (row.automatic ? " Automatic" : " Programm"));
        board.Remove();
        StartWith(SimulatedChip::Factory(row.chipType, 0x5A));
        Open(DataFile(row.file));
        SelectChip(row.chipType);
        desktop.boxes.clear();
        board.ClearRecords();
        const bool asks = row.sentence[0] != '\0';
        desktop.answers = {true};  // "Programm Data File now ?"
        if (asks) {
            desktop.answers.push_front(row.goOn);
        }
        row.automatic ? dialog->OnAutomatic() : dialog->OnProgramm();

        const QStringList texts = desktop.Texts();
        ASSERT_FALSE(texts.isEmpty());
        if (asks) {
            EXPECT_TRUE(texts.front().startsWith(QString::fromLatin1(row.sentence)))
                << texts.front().toStdString();
            EXPECT_EQ(texts.filter(QStringLiteral("does not fit")).size(), 1) << "asked once";
        }
        if (asks && !row.goOn) {
            EXPECT_EQ(texts.size(), 1);
            EXPECT_EQ(board.PortWrites(), 0) << "the port is not touched";
        } else {
            EXPECT_FALSE(board.Chip()->Pulses().empty());
        }
        desktop.answers.clear();
        ExpectBoardDownAndClean();
    }
}

TEST_F(ChipCommandsTest, ChoosingAChipRecomputesTheFillAndShowsItsConfiguration) {
    StartWith(std::nullopt);
    Open(DataFile("blink509.hex"));
    const struct {
        int lastUsed;
        int chipType;
        int fill;
        const char* status;
    } rows[] = {
        {600, 1, 100, "MEMORY FAILED !"}, {510, 1, 100, " "}, {255, 1, 50, " "}, {600, 2, 58, " "}};
    for (const auto& row : rows) {
        dialog->LastUsedAddress = row.lastUsed;
        dialog->ChipList->setCurrentRow(-1);
        SelectChip(row.chipType);
        EXPECT_EQ(dialog->MemoryFillBar->value(), row.fill);
        EXPECT_EQ(Status(), QString::fromLatin1(row.status));
    }
    SelectChip(3);
    EXPECT_EQ(dialog->ChipType, 3);
    EXPECT_EQ(dialog->ConfigAddress, 0x2007);
    EXPECT_EQ(dialog->ConfigWord, 0xFFFF) << "slot 0x2007 was never written";
    EXPECT_EQ(dialog->OscillatorChoice, 6);
    EXPECT_FALSE(dialog->HsRadio->isDown());
    EXPECT_EQ(dialog->DlgItemText(Ctl::ChipName), QStringLiteral("12c671"));
    EXPECT_EQ(dialog->DlgItemText(Ctl::CalibrationLabel),
              QStringLiteral(" No Oscillator Calibration in File."));
    EXPECT_TRUE(dialog->KeepChipCalibration);
    EXPECT_EQ(dialog->ChipList->currentRow(), 2) << "the user's choice stays selected";
}

TEST_F(ChipCommandsTest, OpenAutomaticReadExitSaveGivesBackTheFilesWords) {
    StartWith(SimulatedChip::Factory(4, 0x3C));
    Open(DataFile("blink672.hex"));
    desktop.answers = {true};
    dialog->OnAutomatic();
    ASSERT_EQ(Status(), QStringLiteral("EPROM and File equal !"));
    dialog->OnRead();
    desktop.answers = {true};
    desktop.files = {PathOf("read-back.hex")};
    dialog->OnExit();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);

    // The saved file holds the chip: the file's words (with the read's mask in their top
    // bits), the factory calibration word and the configuration word.
    auto parse = [](const QByteArray& text) {
        std::vector<std::uint32_t> image(ImageSlots, 0xFFFF);
        ParseIntelHex(text.constData(), static_cast<int>(text.size()), image.data(), 0,
                      [](const char* message) { ADD_FAILURE() << message; });
        return image;
    };
    const auto original = parse(ReadFile(DataFile("blink672.hex")));
    const auto saved = parse(ReadFile(PathOf("read-back.hex")));
    for (int k = 0; k < 0x7FF; ++k) {
        ASSERT_EQ(saved[k] & 0x3FFF, original[k] & 0x3FFF) << k;
    }
    EXPECT_EQ(saved[0x7FF], 0xF43Cu);
    EXPECT_EQ(saved[0x2007] & 0x3FFF, original[0x2007]);
}

}  // namespace

namespace {

// A stop signal during Programm: the word in hand is finished, the chip is powered down and the
// window closes with the stop's result, which becomes the program's exit status.
TEST_F(ChipCommandsTest, AStopDuringProgrammPowersDownAndClosesTheWindow) {
    StartWith(SimulatedChip::Factory(1, 0x5A));
    Open(DataFile("blink508.hex"));
    dialog->show();
    QObject::connect(dialog->ProgressBar, &QProgressBar::valueChanged, [](int value) {
        if (value >= 50) {
            RequestStop();
        }
    });
    desktop.answers = {true};
    qobject_cast<QAbstractButton*>(dialog->DlgItem(Ctl::Programm))->click();
    ClearStopRequest();

    EXPECT_EQ(dialog->result(), CProgrammerDlg::InterruptedResult);
    EXPECT_FALSE(dialog->isVisible());
    ExpectBoardDownAndClean();
    EXPECT_NE(board.Chip()->Word(0), 0xFFF) << "the first words were programmed";
    EXPECT_EQ(board.Chip()->ConfigWord(), 0xFFF) << "nothing after the stop";
}

}  // namespace

namespace {

// A code-protected chip reads zeros where its calibration instruction is: every button that shows
// the chip's calibration says it cannot be read, rather than a value of 0, and Osc.Cal keeps none.
TEST_F(ChipCommandsTest, AProtectedChipsCalibrationIsNotReadableRatherThanZero) {
    for (int chipType : {1, 4}) {
        SCOPED_TRACE(chipType);
        SimulatedChip chip = SimulatedChip::Factory(chipType, 0x5A);
        chip.SetConfigWord(0);  // every protection bit programmed
        StartWith(chip);
        SelectChip(chipType);
        using Handler = void (CProgrammerDlg::*)();
        for (Handler handler : {&CProgrammerDlg::OnOscCal, &CProgrammerDlg::OnErased}) {
            dialog->CalibrationText = QStringLiteral("7");
            (dialog.get()->*handler)();
            EXPECT_EQ(dialog->DlgItemText(Ctl::CalibrationLabel),
                      QStringLiteral("Oscillator Calibration not readable !"));
            EXPECT_EQ(dialog->CalibrationText.trimmed(), QString());
        }
        dialog->OnOscCal();
        EXPECT_FALSE(dialog->KeepChipCalibration);
        ExpectBoardDownAndClean();
    }
}

}  // namespace
