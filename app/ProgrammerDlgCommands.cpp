// The chip commands: every handler first checks that a board was found, shows the wait cursor,
// checks that a chip is selected and runs the operation, which powers the chip up the family's way
// and reads what it reports twice (chip/ChipReads.h); what it found becomes fields, texts and
// message boxes here. Nothing in the image changes before the chip has been read in full, so a
// board that stops answering part-way leaves the user's file as it was.

#include <QComboBox>
#include <QListWidget>
#include <QProgressBar>
#include <algorithm>
#include <vector>

#include "app/CalibrationLabels.h"
#include "app/ControlIds.h"
#include "app/Desktop.h"
#include "app/FramedProgress.h"
#include "app/Messages.h"
#include "app/NotificationGuard.h"
#include "app/ProgrammerDlg.h"
#include "app/WaitCursor.h"
#include "chip/ChipOperations.h"
#include "chip/ChipReads.h"
#include "chip/ChipSession.h"
#include "chip/ChipTable.h"
#include "chip/ConfigReadout.h"
#include "chip/IdWords.h"
#include "chip/ProgramCheck.h"
#include "chip/ProgrammingAlgorithm.h"
#include "image/Calibration.h"
#include "image/ChipInference.h"
#include "image/ConfigWordPanel.h"
#include "image/ImageFit.h"
#include "link/ProgrammerPort.h"

namespace {

const QString NoProgrammer = QStringLiteral("No Programmer !");
const QString NoPicSelected = QStringLiteral("No PIC selected !");
// Between the steps of Automatic.
constexpr int StepPauseMilliseconds = 100;

}  // namespace

bool CProgrammerDlg::ProgrammerFound() {
    if (PortNumber > 2) {
        desktop_.Tell(NoProgrammer, Desktop::Icon::Stop);
        return false;
    }
    return true;
}

const ChipInfo* CProgrammerDlg::SelectedChip(Desktop::Icon icon) {
    const ChipInfo* chip = FindChip(ChipType);
    if (chip == nullptr) {
        desktop_.Tell(NoPicSelected, icon);
    }
    return chip;
}

bool CProgrammerDlg::ShowUnreadableCalibration(std::uint16_t word) {
    if (TellsCalibration(ChipType, word)) {
        return false;
    }
    SetDlgItemText(Ctl::CalibrationLabel, CalibrationLabels::Unreadable);
    CalibrationText = QStringLiteral(" ");
    UpdateData(false);
    return true;
}

void CProgrammerDlg::ShowCalibration(int value, const QString& labelWithValue,
                                     const QString& labelWithout, const QString& textWithout) {
    if (value == 0xFF) {
        SetDlgItemText(Ctl::CalibrationLabel, labelWithout);
        CalibrationText = textWithout;
    } else {
        SetDlgItemText(Ctl::CalibrationLabel, labelWithValue);
        CalibrationText = QString::fromStdString(CalibrationValueText(value));
    }
    UpdateData(false);
}

Progress CProgrammerDlg::ProgressBarUpdater() {
    return FramedProgress(ProgressBar, [this] { return board_.Now(); });
}

void CProgrammerDlg::OnRead() {
    if (!ProgrammerFound()) {
        return;
    }
    WaitCursor wait;
    if (const ChipInfo* chip = SelectedChip(Desktop::Icon::None)) {
        ReadChip(*chip);
    } else {
        ForgetFileImage();
    }
    DataReadFromChip = true;
    HexTextLength = WriteIntelHex(ConfigAddress, FileImage.data(), HexText.data());
}

void CProgrammerDlg::ForgetFileImage() {
    FileImage.fill(0xFFFF);
    NotificationGuard quiet(*this);
    FileCombo->setCurrentIndex(-1);  // the image no longer belongs to a listed file
}

void CProgrammerDlg::ReadChip(const ChipInfo& chip) {
    const int n = chip.memoryWords;
    const std::vector<std::uint16_t> words =
        ReadProgramWords(board_, chip.family, n, ProgressBarUpdater());
    std::vector<std::uint32_t> read(FileImage.size(), 0xFFFF);
    std::copy(words.begin(), words.end(), read.begin());
    // The ID words at their slots, so that a file saved from the image keeps them, and a chip
    // programmed from it gets them.
    ReadIdWords(board_, chip, read.data());
    const std::uint16_t config = ReadConfigWordFromChip(board_, chip.family);
    ForgetFileImage();
    std::copy(read.begin(), read.end(), FileImage.begin());
    // The panel and the image's slot take the word read, as Read Config. Word does.
    ConfigFromChip = 0;
    CalibrationWord = config;
    ReadConfigWord();

    const auto calibrationWord =
        static_cast<std::uint16_t>(FileImage[static_cast<std::size_t>(n - 1)]);
    const int calibration = calibrationWord & 0xFF;
    if (!ShowUnreadableCalibration(calibrationWord)) {
        ShowCalibration(calibration, CalibrationLabels::Value, CalibrationLabels::NoneInEpromOnRead,
                        QStringLiteral(" "));
    }
    KeepChipCalibration = calibration == 0xFF;

    // From the highest usable address down, as after a load, so a chip programmed up to its last
    // usable word shows that word and the next Compare includes it.
    LastUsedAddress = LastUsedFrom(FileImage.data(), n - 2);
    SetDlgItemText(Ctl::Size, QString::number(LastUsedAddress + 1));
    SetDlgItemText(Ctl::StatusLine, QStringLiteral(" "));
    SetBarPosition(ProgressBar, -1);
    SetBarPosition(MemoryFillBar, LastUsedAddress * 100 / n);
    ShowChecksumTip();
}

void CProgrammerDlg::RunOnSelectedChip(Desktop::Icon noChipIcon,
                                       const std::function<void(const ChipInfo&)>& operation) {
    if (!ProgrammerFound()) {
        return;
    }
    WaitCursor wait;
    if (const ChipInfo* chip = SelectedChip(noChipIcon)) {
        operation(*chip);
    }
}

void CProgrammerDlg::OnErased() {
    RunOnSelectedChip(Desktop::Icon::Stop,
                      [this](const ChipInfo& chip) { BlankCheck(chip.calibrationAddress); });
}

void CProgrammerDlg::BlankCheck(int n) {
    ChipNotEmpty = false;
    const BlankCheckResult result =
        BlankCheckChip(board_, FamilyOf(ChipType), n, ProgressBarUpdater());
    if (result.nonBlankWords > 0) {
        SetDlgItemText(Ctl::StatusLine, QStringLiteral("PIC NOT EMPTY !"));
        ChipNotEmpty = true;
    } else {
        SetDlgItemText(Ctl::StatusLine, QStringLiteral("PIC is empty ."));
    }
    if (!ShowUnreadableCalibration(result.calibrationWord)) {
        ShowCalibration(result.calibrationWord & 0xFF, CalibrationLabels::ValueInEprom,
                        CalibrationLabels::NoneInEpromOnCheck, QStringLiteral(" "));
    }
    SetBarPosition(ProgressBar, -1);
}

void CProgrammerDlg::OnCompare() {
    RunOnSelectedChip(Desktop::Icon::None, [this](const ChipInfo& chip) { VerifyChip(chip); });
}

void CProgrammerDlg::VerifyChip(const ChipInfo& chip) {
    // Up to and including the last used word.
    const VerifyResult result =
        ::VerifyChip(board_, chip.family, FileImage.data(), LastUsedAddress + 1, VerifyAllowed,
                     ProgressBarUpdater());
    if (result.refused) {
        desktop_.Tell(QStringLiteral("Code Protection ."), Desktop::Icon::None);
        return;
    }
    int differences = result.differences;
    // The file's ID words too, when it has any.
    if (HasIdWords(chip, FileImage.data())) {
        differences += static_cast<int>(IdWordDifferences(board_, chip, FileImage.data()).size());
    }
    compareDifferences_ = differences;
    SetDlgItemText(Ctl::StatusLine, differences > 0
                                        ? QStringLiteral("%1 Bytes NOT equal !").arg(differences)
                                        : QStringLiteral("EPROM and File equal !"));
    ShowChecksumTip();
}

bool CProgrammerDlg::ImageFitsOrUserGoesOn() {
    const ChipInfo* chip = FindChip(ChipType);
    if (chip == nullptr || fitConfirmed_) {
        return true;
    }
    const ImageFit fit = CheckImageFit(*chip, FileImage.data());
    if (fit.Fits()) {
        return true;
    }
    return desktop_.AskYesNo(
        QString::fromStdString(DescribeImageFit(*chip, fit)) +
        QStringLiteral("\nThose words would be cut to fit, and the chip cannot be programmed "
                       "again. Programm it anyway?"));
}

void CProgrammerDlg::OnProgramm() {
    protectionWithheld_ = false;
    if (!ProgrammerFound() || !ImageFitsOrUserGoesOn()) {
        return;
    }
    if (!ChipNotEmpty && !desktop_.Ask(QStringLiteral("Programm Data File now ?"))) {
        return;
    }
    WaitCursor wait;
    const ChipInfo* chip = SelectedChip(Desktop::Icon::Stop);
    if (chip == nullptr) {
        return;
    }
    const bool core12 = !chip->family.Is14Bit();
    const Algorithm algorithm = algorithm_;
    ProgramResult result = ProgramChip(board_, *chip, algorithm, FileImage.data(),
                                       KeepChipCalibration, true, ProgressBarUpdater());
    programmedWith_ = algorithm;
    if (result.errors == 0) {
        result.errors = DifferencesAfterProgramming(*chip, &result.configurationFailed);
    }
    if (result.errors == 0) {
        SetDlgItemText(Ctl::StatusLine, (core12 ? QStringLiteral("Programming successful .")
                                                : QStringLiteral("Programming successful.")) +
                                            AlgorithmNote(algorithm));
    } else {
        if (algorithm == Algorithm::Fast) {
            SetDlgItemText(Ctl::StatusLine,
                           QStringLiteral("%1 Programm ERRORS !").arg(result.errors) +
                               AlgorithmNote(algorithm));
        } else if (core12) {
            SetDlgItemText(Ctl::StatusLine, QStringLiteral(" "));
        }
        if (result.configurationFailed) {
            desktop_.Tell(Messages::ConfigurationWordError, Desktop::Icon::None);
        }
        desktop_.Tell(QStringLiteral("%1 Programm ERRORS !").arg(result.errors),
                      Desktop::Icon::None);
        // The file protects the chip, which is not the file: the chip stays readable.
        protectionWithheld_ = result.protectionWithheld;
        if (protectionWithheld_) {
            SetDlgItemText(Ctl::StatusLine, Messages::ProtectionWithheldStatus);
            desktop_.Tell(Messages::ProtectionWithheld, Desktop::Icon::Stop);
        }
    }
    SetBarPosition(ProgressBar, -1);
}

int CProgrammerDlg::DifferencesAfterProgramming(const ChipInfo& chip, bool* configurationFailed) {
    const ChipFamily& family = chip.family;
    const auto fileConfig =
        static_cast<std::uint16_t>(FileImage[static_cast<std::size_t>(family.configAddress)]);
    // A protected chip hides its program words; its configuration word is all there is to see.
    const ProgramCheck check =
        CheckProgrammed(board_, family, FileImage.data(),
                        KeepChipCalibration ? chip.memoryWords - 1 : chip.memoryWords,
                        !IsCodeProtected(family.Is14Bit(), fileConfig), ProgressBarUpdater());
    *configurationFailed = check.configurationDiffers;
    // The ID words lie outside program memory, where code protection does not hide them.
    int idDifferences = 0;
    if (HasIdWords(chip, FileImage.data())) {
        idDifferences = static_cast<int>(IdWordDifferences(board_, chip, FileImage.data()).size());
    }
    return check.differences + idDifferences;
}

void CProgrammerDlg::OnReadConfigWord() {
    if (!ProgrammerFound() || SelectedChip(Desktop::Icon::None) == nullptr) {
        return;
    }
    ConfigFromChip = 1;
    ReadConfigWord();
    ConfigFromChip = 0;
}

void CProgrammerDlg::OnOscCal() {
    RunOnSelectedChip(Desktop::Icon::None, [this](const ChipInfo& chip) {
        ReadOscCalibration(chip.calibrationAddress);
    });
}

void CProgrammerDlg::OnChipTypeChange() {
    const int index = ChipList->currentRow();
    if (index < 0) {
        return;
    }
    const QString name = ChipList->item(index)->text();
    SetDlgItemText(Ctl::ChipName, name);
    ChipListText = name;
    ChipType = index + 1;
    const ChipInfo& chip = *FindChip(ChipType);
    SetFourteenBitOnlyHighlight(!chip.family.Is14Bit());
    ConfigAddress = chip.configAddress;
    CalibrationWord =
        static_cast<std::uint16_t>(FileImage[static_cast<std::size_t>(ConfigAddress)]);
    UpdateData(false);

    MaxUsableAddress = chip.maxUsableAddress;
    const int fill = LastUsedAddress * 100 / MaxUsableAddress;
    SetBarPosition(MemoryFillBar, fill);
    SetDlgItemText(Ctl::StatusLine,
                   fill > 100 ? QStringLiteral("MEMORY FAILED !") : QStringLiteral(" "));

    ConfigFromChip = 0;
    ReadConfigWord();

    const int calibration =
        static_cast<int>(FileImage[static_cast<std::size_t>(MaxUsableAddress + 1)] & 0xFF);
    ShowCalibration(calibration, CalibrationLabels::Value, CalibrationLabels::NoneInFileOnChoice,
                    QStringLiteral(" "));
    KeepChipCalibration = calibration == 0xFF;
}

void CProgrammerDlg::OnAutomatic() {
    if (!ProgrammerFound() || !ImageFitsOrUserGoesOn()) {
        return;
    }
    // Asked once, before the chip is touched; Programm inside the sequence does not ask again.
    struct AskAgainNextTime {
        bool& confirmed;
        ~AskAgainNextTime() { confirmed = false; }
    } askAgain{fitConfirmed_};
    fitConfirmed_ = true;
    OnOscCal();
    board_.Pause(StepPauseMilliseconds);
    OnErased();
    board_.Pause(StepPauseMilliseconds);
    if (ChipNotEmpty && !desktop_.Ask(QStringLiteral("PIC not empty. Continue ?"))) {
        return;
    }
    programmedWith_.reset();
    OnProgramm();
    board_.Pause(StepPauseMilliseconds);
    compareDifferences_ = 0;
    if (protectionWithheld_) {
        // Programm said why; the configuration word left blank on purpose is no error of its own.
        SetDlgItemText(Ctl::StatusLine, Messages::ProtectionWithheldStatus);
    } else {
        if (VerifyAllowed) {
            OnCompare();
            board_.Pause(StepPauseMilliseconds);
        } else {
            SetDlgItemText(Ctl::StatusLine, QStringLiteral("Code Protection! No Verification."));
        }
        // The line that ends the sequence also says how the chip was programmed.
        if (programmedWith_ == Algorithm::Fast) {
            SetDlgItemText(Ctl::StatusLine,
                           DlgItemText(Ctl::StatusLine) + AlgorithmNote(*programmedWith_));
        }
        CheckConfigWordOnChip();
        board_.Pause(StepPauseMilliseconds);
    }
    OnOscCal();
}
