#pragma once

// The main dialog: the program's whole working state and one handler per control notification.

#include <QDialog>
#include <QIcon>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "app/Desktop.h"
#include "app/SettingsFile.h"
#include "chip/ChipOperations.h"
#include "chip/ProgrammingAlgorithm.h"
#include "image/IntelHex.h"

struct ChipInfo;
class BoardPorts;
class PressedLook;
class QCheckBox;
class QAction;
class QActionGroup;
class QComboBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QRadioButton;

class ProgrammerLink;

class CProgrammerDlg : public QDialog {
    Q_OBJECT

public:
    // The dialog's result when a stop signal ended it (as a shell reports a death by SIGINT).
    static constexpr int InterruptedResult = 130;

    // Builds the dialog from its template and runs OnInitDialog: detection of the board on
    // `board`, the settings file at settingsPath and the reload of the selected file. The board
    // is the front end's and outlives the dialog.
    CProgrammerDlg(ProgrammerLink& board, Desktop& desktop, const QString& settingsPath,
                   QWidget* parent = nullptr);
    ~CProgrammerDlg() override;

    // A chip command is running: every handler, the stop signals and the socket window wait for
    // it (its own message boxes stay answerable).
    bool OperationRunning() const { return operationRunning_; }
    // Asked before each chip command for what it needs to itself (chipsmith-sim: its virtual
    // socket), held until the command ends. Nothing refuses the command, and the user is told
    // `why`.
    using ChipCommandGate = std::function<std::shared_ptr<void>(QString& why)>;
    void SetChipCommandGate(ChipCommandGate gate) { chipCommandGate_ = std::move(gate); }

    // The control with this template id, or nullptr.
    QWidget* DlgItem(int id) const;
    QString DlgItemText(int id) const;
    void SetDlgItemText(int id, const QString& text);

    void UpdateData(bool fromControls);

    // Handlers, one per control notification.
    void OnExit();
    void OnCancel();
    void OnOpen();
    void OnFileSelChange();
    void OnChipTypeChange();
    void OnReadConfigWord();
    void OnErased();
    void OnRead();
    void OnCompare();
    void OnAutomatic();
    void OnProgramm();
    void OnOscCal();
    void OnPowerOnTimer();
    void OnMclr();
    void OnWatchdog();
    void OnCodeProtect0();
    void OnCodeProtect1();
    void OnOscHS();
    void OnOscIntRCOut();
    void OnOscIntRC();
    void OnOscLP();
    void OnOscXT();
    void OnOscExtRC();
    void OnOscExtRCOut();
    void OnOscCalChange();
    void OnHelp();
    // The window-menu item "Search for the programmer again": detection without a restart.
    void OnSearchProgrammer();
    // The window-menu item that chooses the chip maker's adaptive algorithm for Programm and
    // Automatic, or the classic one again; remembered where RememberAlgorithmAt says.
    void OnAdaptiveAlgorithm(bool chosen);
    void SetAlgorithm(Algorithm algorithm);
    Algorithm ProgrammingAlgorithm() const { return algorithm_; }
    // Where a choice made in the window menu is saved (AlgorithmSetting.h); empty: nowhere.
    void RememberAlgorithmAt(const QString& path) { algorithmPath_ = path; }
    // The window-menu submenu that moves the board to another port: the parallel ports (searched)
    // or an FTDI adapter attached, listed when the submenu opens without touching any. Hidden
    // until offered (chipsmith-sim's board is simulated); a choice is remembered at `path`
    // (BoardPortSetting.h; empty: nowhere).
    void OfferBoardPorts(BoardPorts* ports, const QString& path);
    // Moves the board to `port` (BoardPorts::Use), looks for it there and remembers the choice.
    void OnBoardPort(const QString& port);
    QMenu* PortMenu() const { return portMenu_; }
    // A window-menu command: the about item opens the about box, the rest are the window's own.
    void OnSysCommand(int command);
    // The window menu as it stands (Minimize, Close, and what OnInitDialog appended).
    QMenu* WindowMenu() const { return windowMenu_; }

    // Loads HexText into the image and shows what it holds.
    void LoadDataText();
    // Decodes the configuration word into the panel: the chip's own when ConfigFromChip is 1,
    // else CalibrationWord; stores it in the family's configuration slot.
    void ReadConfigWord();
    // Steps `count` words to the chip's calibration word and shows its value.
    void ReadOscCalibration(int count);

    // State. The names are the ones the help document and every handler use for these values.
    int MaxUsableAddress = 2046;
    bool ChipNotEmpty = false;
    int PortNumber = 0xFFFF;
    int LastUsedAddress = 0;
    int ConfigAddress = 0;
    std::array<std::uint32_t, ImageSlots> FileImage{};
    std::uint16_t ConfigWord = 0xFFFF;
    std::uint16_t DataWord = 0xFFFF;
    std::uint16_t CalibrationWord = 0xFFFF;
    std::array<char, HexTextCapacity> HexText{};
    int HexTextLength = 0;
    QProgressBar* MemoryFillBar = nullptr;
    QListWidget* ChipList = nullptr;
    QLineEdit* CalibrationEdit = nullptr;
    QCheckBox* WatchdogBox = nullptr;
    QCheckBox* MclrBox = nullptr;
    QCheckBox* Cp0Box = nullptr;
    QRadioButton* ExtRcClkoutRadio = nullptr;
    QRadioButton* IntRcClkoutRadio = nullptr;
    QRadioButton* HsRadio = nullptr;
    QRadioButton* LpRadio = nullptr;
    QCheckBox* Cp1Box = nullptr;
    QCheckBox* PowerUpTimerBox = nullptr;
    QComboBox* FileCombo = nullptr;
    QProgressBar* ProgressBar = nullptr;
    int WatchdogChecked = 0;
    int MclrChecked = 0;
    int Cp0Checked = 0;
    int OscillatorChoice = -1;
    int PowerUpTimerChecked = 0;
    int Cp1Checked = 0;
    QString ChipListText;
    QString CalibrationText;
    bool VerifyAllowed = true;
    int FileSelection = 0;
    bool KeepChipCalibration = true;
    int ConfigFromChip = 0;
    RecentRecordBuffer RecentRecord{};
    int ChipType = 0;
    QString FileName;
    QIcon AppIcon;
    bool DataReadFromChip = false;

protected:
    void reject() override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnInitDialog();
    // Detection: PortNumber, the status text, and why each port was passed over.
    void FindProgrammer();
    void ReadSettingsFile();
    void ReloadSelectedFile();
    void AttachControls();
    void ConnectHandlers();
    void ShowWindowMenu(const QPoint& globalPosition);
    void AddAlgorithmMenuItem();
    void AddPortMenu();
    // The port submenu as the machine stands when it opens.
    void FillPortMenu();
    // What the status line adds to a result of programming with this algorithm.
    static QString AlgorithmNote(Algorithm algorithm);
    // Reads the first bytes of a data file into HexText; reports a failure and returns false.
    bool ReadDataFile(const QString& path);
    // Selects a chip-list row (-1: none) as the program, not as the user.
    void SelectChip(int row);
    // The pushed look of the five controls that only the 14-bit chips have.
    void SetFourteenBitOnlyHighlight(bool on);
    // Enter in the chip list: the current entry becomes the chosen chip.
    void ConfirmChipChoice();
    void OnPanelControl(int id, int oscillator = -1);
    // The chip commands' common guards: "No Programmer !" when no board answers on LPT1 or
    // LPT2; "No PIC selected !" (with the given icon) when no chip is chosen.
    bool ProgrammerFound();
    const ChipInfo* SelectedChip(Desktop::Icon icon);
    // The progress callback of a word loop: it moves the progress bar and, for as long as it
    // lives, keeps the windows painted while the user's input is dropped. Pass it straight to the
    // loop, so that it ends with the loop.
    Progress ProgressBarUpdater();
    // Before Programm and Automatic touch the chip: an image with words the chosen chip cannot
    // hold (another family's, or beyond its memory) is programmed only if the user says Yes.
    bool ImageFitsOrUserGoesOn();
    // Automatic's read-out of the configuration word: the image and the panel keep the file's
    // word; a chip whose word differs is reported.
    void CheckConfigWordOnChip();
    // A word read from the calibration slot that tells no value (a code-protected chip's zeros):
    // says so in the label and returns true; false, and nothing shown, for any other.
    bool ShowUnreadableCalibration(std::uint16_t word);
    void ShowCalibration(int value, const QString& labelWithValue, const QString& labelWithout,
                         const QString& textWithout);
    // The common shape of Erased ?, Compare and Osc.Cal.: the guards, the wait cursor, then the
    // operation, which powers the chip up and down itself.
    void RunOnSelectedChip(Desktop::Icon noChipIcon,
                           const std::function<void(const ChipInfo&)>& operation);
    // The operations behind Read, Erased ? and Compare; each reads the chip twice.
    void ReadChip(const ChipInfo& chip);
    // The image no longer belongs to a listed file: blank, and no file chosen.
    void ForgetFileImage();
    void BlankCheck(int n);
    // The image's checksum, as the chip maker's tools show it, in the status line's tooltip.
    void ShowChecksumTip();
    // Compare: the image's words up to the last used one, and its ID words when it has any.
    void VerifyChip(const ChipInfo& chip);
    // Programm's last step: the programmed words, the ID words and the configuration word read
    // again from a fresh power-up, as the per-word read-back cannot see an address counter that
    // slipped. Returns the words that differ; sets *configurationFailed when the configuration word
    // does.
    int DifferencesAfterProgramming(const ChipInfo& chip, bool* configurationFailed);
    // Runs a handler for a control's notification unless the program itself changed the control.
    template <typename Handler>
    auto Notified(Handler handler, bool chipCommand = false);
    // The board stopped answering part-way: it is powered down already; say so, and count it as
    // gone until the user searches again.
    void ReportPortFailure(const std::string& why);
    // Three reads of the chip gave three answers, the board answering: the chip's fault, not the
    // board's, which stays found.
    void ReportInconsistentChip();
    // The 12-bit power-up could not be timed, even after a few tries: the machine's fault, not the
    // board's, which stays found; `changed` says whether the run had begun to program the chip.
    void ReportBusyMachine(const std::string& why, bool changed);

    ProgrammerLink& board_;
    Desktop& desktop_;
    QString settingsPath_;
    std::map<int, QWidget*> controls_;
    QMenu* windowMenu_ = nullptr;
    PressedLook* pressedLook_ = nullptr;
    bool attached_ = false;
    bool ignoreNotifications_ = false;
    bool fitConfirmed_ = false;  // during Automatic, once the user went on with a misfit
    bool operationRunning_ = false;
    bool protectionWithheld_ = false;  // the last Programm left the chip readable
    Algorithm algorithm_ = Algorithm::Classic;
    QString algorithmPath_;
    QAction* adaptiveAction_ = nullptr;
    BoardPorts* boardPorts_ = nullptr;
    QString portPath_;
    QMenu* portMenu_ = nullptr;
    QActionGroup* portGroup_ = nullptr;
    // The algorithm of the last Programm that ran, for Automatic's last line; empty when none ran.
    std::optional<Algorithm> programmedWith_;
    // What the last Compare found, for Automatic's report of the configuration word.
    int compareDifferences_ = 0;
    ChipCommandGate chipCommandGate_;

    friend class NotificationGuard;
};

// Sets a progress bar to a percentage; -1 shows it empty and positions above 100 show it full.
void SetBarPosition(QProgressBar* bar, int position);
