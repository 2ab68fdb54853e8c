#include "app/ProgrammerDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStyle>
#include <algorithm>
#include <iterator>

#include "app/AboutDlg.h"
#include "app/AppIcon.h"
#include "app/ControlIds.h"
#include "app/Desktop.h"
#include "app/DialogTemplate.h"
#include "app/HelpFile.h"
#include "app/NotificationGuard.h"
#include "app/WaitCursor.h"
#include "chip/AgreedRead.h"
#include "chip/Interruption.h"
#include "link/PortIo.h"
#include "link/ProgrammerPort.h"

namespace {

// The oscillator group: from its first radio button in template order up to the next control
// that starts a group; OscillatorChoice counts its radio buttons in this order.
std::vector<int> OscillatorGroup() {
    std::vector<int> ids;
    bool inGroup = false;
    for (const ControlTemplate& control : MainDialogTemplate.controls) {
        if (control.id == Ctl::OscLP) {
            inGroup = true;
        } else if (inGroup && (control.style & Style::StartsGroup)) {
            break;
        }
        if (inGroup && control.kind == ControlKind::RadioButton) {
            ids.push_back(control.id);
        }
    }
    return ids;
}

void ExchangeCheck(QCheckBox* box, int& value, bool fromControls) {
    if (fromControls) {
        const Qt::CheckState state = box->checkState();
        value = state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
        return;
    }
    if (value < 0 || value > 2) {
        value = 0;
    }
    box->setCheckState(value == 1   ? Qt::Checked
                       : value == 2 ? Qt::PartiallyChecked
                                    : Qt::Unchecked);
    box->setTristate(value == 2);
}

}  // namespace

void SetBarPosition(QProgressBar* bar, int position) {
    // Both draw the bar at once when what it shows changes, and only then.
    if (position < bar->minimum()) {
        bar->reset();  // shows the bar empty
    } else {
        bar->setValue(std::min(position, bar->maximum()));
    }
}

CProgrammerDlg::CProgrammerDlg(ProgrammerLink& board, Desktop& desktop, const QString& settingsPath,
                               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      board_(board),
      desktop_(desktop),
      settingsPath_(settingsPath) {
    AppIcon = ChipsmithIcon();
    controls_ = BuildDialog(*this, MainDialogTemplate).byId;
    windowMenu_ = new QMenu(this);
    windowMenu_->addAction(QStringLiteral("Minimize"), this, [this] { OnSysCommand(SC_MINIMIZE); });
    windowMenu_->addAction(QStringLiteral("Close"), this, [this] { OnSysCommand(SC_CLOSE); });
    windowMenu_->addAction(QStringLiteral("Search for the programmer again"), this,
                           [this] { OnSearchProgrammer(); });
    AddPortMenu();
    AddAlgorithmMenuItem();
    auto* menuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(menuKey, &QShortcut::activated, this,
            [this] { ShowWindowMenu(mapToGlobal(QPoint(0, 0))); });
    // F1 asks for help wherever the focus is, like the Help button.
    auto* helpKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(helpKey, &QShortcut::activated, this, [this] { OnHelp(); });
    ConnectHandlers();
    OnInitDialog();
}

CProgrammerDlg::~CProgrammerDlg() = default;

QWidget* CProgrammerDlg::DlgItem(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

QString CProgrammerDlg::DlgItemText(int id) const {
    QWidget* item = DlgItem(id);
    if (auto* label = qobject_cast<QLabel*>(item)) {
        return label->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(item)) {
        return button->text();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(item)) {
        return edit->text();
    }
    return {};
}

void CProgrammerDlg::SetDlgItemText(int id, const QString& text) {
    QWidget* item = DlgItem(id);
    if (auto* label = qobject_cast<QLabel*>(item)) {
        label->setText(text);
        label->repaint();
    } else if (auto* edit = qobject_cast<QLineEdit*>(item)) {
        edit->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(item)) {
        button->setText(text);
    }
}

void CProgrammerDlg::AttachControls() {
    MemoryFillBar = qobject_cast<QProgressBar*>(DlgItem(Ctl::MemoryFillBar));
    ChipList = qobject_cast<QListWidget*>(DlgItem(Ctl::ChipList));
    CalibrationEdit = qobject_cast<QLineEdit*>(DlgItem(Ctl::CalibrationEdit));
    WatchdogBox = qobject_cast<QCheckBox*>(DlgItem(Ctl::Watchdog));
    MclrBox = qobject_cast<QCheckBox*>(DlgItem(Ctl::Mclr));
    Cp0Box = qobject_cast<QCheckBox*>(DlgItem(Ctl::CodeProtect0));
    ExtRcClkoutRadio = qobject_cast<QRadioButton*>(DlgItem(Ctl::OscExtRCOut));
    IntRcClkoutRadio = qobject_cast<QRadioButton*>(DlgItem(Ctl::OscIntRCOut));
    HsRadio = qobject_cast<QRadioButton*>(DlgItem(Ctl::OscHS));
    LpRadio = qobject_cast<QRadioButton*>(DlgItem(Ctl::OscLP));
    Cp1Box = qobject_cast<QCheckBox*>(DlgItem(Ctl::CodeProtect1));
    PowerUpTimerBox = qobject_cast<QCheckBox*>(DlgItem(Ctl::PowerOnTimer));
    FileCombo = qobject_cast<QComboBox*>(DlgItem(Ctl::FileCombo));
    ProgressBar = qobject_cast<QProgressBar*>(DlgItem(Ctl::ProgressBar));
    attached_ = true;
}

void CProgrammerDlg::UpdateData(bool fromControls) {
    NotificationGuard quiet(*this);
    if (!attached_) {
        AttachControls();
    }
    ExchangeCheck(WatchdogBox, WatchdogChecked, fromControls);
    ExchangeCheck(MclrBox, MclrChecked, fromControls);
    ExchangeCheck(Cp0Box, Cp0Checked, fromControls);

    const std::vector<int> oscillators = OscillatorGroup();
    if (fromControls) {
        OscillatorChoice = -1;
        for (std::size_t i = 0; i < oscillators.size(); ++i) {
            if (qobject_cast<QRadioButton*>(DlgItem(oscillators[i]))->isChecked()) {
                OscillatorChoice = static_cast<int>(i);
                break;
            }
        }
    } else {
        for (std::size_t i = 0; i < oscillators.size(); ++i) {
            auto* radio = qobject_cast<QRadioButton*>(DlgItem(oscillators[i]));
            // An exclusive button refuses to be cleared; lift that for a moment.
            radio->setAutoExclusive(false);
            radio->setChecked(static_cast<int>(i) == OscillatorChoice);
            radio->setAutoExclusive(true);
        }
    }

    ExchangeCheck(PowerUpTimerBox, PowerUpTimerChecked, fromControls);
    ExchangeCheck(Cp1Box, Cp1Checked, fromControls);

    if (fromControls) {
        const QListWidgetItem* selected = ChipList->currentItem();
        ChipListText = selected != nullptr && selected->isSelected() ? selected->text() : QString();
    } else if (!ChipListText.isEmpty()) {
        for (int row = 0; row < ChipList->count(); ++row) {
            if (ChipList->item(row)->text().startsWith(ChipListText, Qt::CaseInsensitive)) {
                ChipList->setCurrentRow(row);
                break;
            }
        }
    }

    if (fromControls) {
        CalibrationText = CalibrationEdit->text();
    } else {
        CalibrationEdit->setText(CalibrationText);
    }
}

template <typename Handler>
auto CProgrammerDlg::Notified(Handler handler, bool chipCommand) {
    return [this, handler, chipCommand] {
        // A press that reaches a button during a run (an accessibility action, a queued event)
        // must not start a second operation inside the first.
        if (ignoreNotifications_ || operationRunning_) {
            return;
        }
        std::shared_ptr<void> reserved;
        if (chipCommand && chipCommandGate_) {
            QString why;
            reserved = chipCommandGate_(why);
            if (!reserved) {
                desktop_.Tell(why, Desktop::Icon::Stop);
                return;
            }
        }
        struct Running {
            bool& flag;
            ~Running() { flag = false; }
        } running{operationRunning_};
        operationRunning_ = chipCommand;
        const std::int64_t pulsesBefore = board_.ProgrammingPulses();
        try {
            (this->*handler)();
        } catch (const OperationInterrupted&) {
            // The chip is powered down already; the user asked the program to end.
            done(InterruptedResult);
            return;
        } catch (const InconsistentReads&) {
            ReportInconsistentChip();
        } catch (const SupplyGapMissed& late) {
            ReportBusyMachine(late.what(), board_.ProgrammingPulses() > pulsesBefore);
        } catch (const PortFailure& failure) {
            ReportPortFailure(failure.what());
        }
        // A stop that came while the run had no word loop to end it.
        if (chipCommand && StopRequested()) {
            done(InterruptedResult);
        }
    };
}

void CProgrammerDlg::ConnectHandlers() {
    const int chipCommands[] = {Ctl::Read,     Ctl::Erased, Ctl::Compare,       Ctl::Automatic,
                                Ctl::Programm, Ctl::OscCal, Ctl::ReadConfigWord};
    const std::pair<int, void (CProgrammerDlg::*)()> clicks[] = {
        {Ctl::Exit, &CProgrammerDlg::OnExit},
        {Ctl::Open, &CProgrammerDlg::OnOpen},
        {Ctl::ReadConfigWord, &CProgrammerDlg::OnReadConfigWord},
        {Ctl::Erased, &CProgrammerDlg::OnErased},
        {Ctl::Read, &CProgrammerDlg::OnRead},
        {Ctl::Compare, &CProgrammerDlg::OnCompare},
        {Ctl::Automatic, &CProgrammerDlg::OnAutomatic},
        {Ctl::Programm, &CProgrammerDlg::OnProgramm},
        {Ctl::OscCal, &CProgrammerDlg::OnOscCal},
        {Ctl::PowerOnTimer, &CProgrammerDlg::OnPowerOnTimer},
        {Ctl::Mclr, &CProgrammerDlg::OnMclr},
        {Ctl::Watchdog, &CProgrammerDlg::OnWatchdog},
        {Ctl::CodeProtect0, &CProgrammerDlg::OnCodeProtect0},
        {Ctl::CodeProtect1, &CProgrammerDlg::OnCodeProtect1},
        {Ctl::OscHS, &CProgrammerDlg::OnOscHS},
        {Ctl::OscIntRCOut, &CProgrammerDlg::OnOscIntRCOut},
        {Ctl::OscIntRC, &CProgrammerDlg::OnOscIntRC},
        {Ctl::OscLP, &CProgrammerDlg::OnOscLP},
        {Ctl::OscXT, &CProgrammerDlg::OnOscXT},
        {Ctl::OscExtRC, &CProgrammerDlg::OnOscExtRC},
        {Ctl::OscExtRCOut, &CProgrammerDlg::OnOscExtRCOut},
        {Ctl::Help, &CProgrammerDlg::OnHelp},
    };
    for (const auto& [id, handler] : clicks) {
        const bool chipCommand = std::find(std::begin(chipCommands), std::end(chipCommands), id) !=
                                 std::end(chipCommands);
        connect(qobject_cast<QAbstractButton*>(DlgItem(id)), &QAbstractButton::clicked, this,
                Notified(handler, chipCommand));
    }
    connect(qobject_cast<QComboBox*>(DlgItem(Ctl::FileCombo)), &QComboBox::activated, this,
            Notified(&CProgrammerDlg::OnFileSelChange));
    connect(qobject_cast<QListWidget*>(DlgItem(Ctl::ChipList)), &QListWidget::currentRowChanged,
            this, Notified(&CProgrammerDlg::OnChipTypeChange));
    connect(qobject_cast<QLineEdit*>(DlgItem(Ctl::CalibrationEdit)), &QLineEdit::textChanged, this,
            Notified(&CProgrammerDlg::OnOscCalChange));
}

void CProgrammerDlg::reject() {
    OnCancel();
}

void CProgrammerDlg::OnCancel() {
    QDialog::reject();
}

void CProgrammerDlg::contextMenuEvent(QContextMenuEvent* event) {
    ShowWindowMenu(event->globalPos());
}

void CProgrammerDlg::ShowWindowMenu(const QPoint& globalPosition) {
    windowMenu_->popup(globalPosition);
}

void CProgrammerDlg::OnSysCommand(int command) {
    if ((command & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(AppIcon, this);
        about.exec();
        return;
    }
    switch (command & 0xFFF0) {
        case SC_MINIMIZE:
            showMinimized();
            break;
        case SC_CLOSE:
            reject();
            break;
        default:
            break;
    }
}

void CProgrammerDlg::OnHelp() {
    bool started = false;
    {
        WaitCursor wait;
        started = desktop_.ShowHelp(HelpFilePath(), HelpTopic);
    }
    if (!started) {
        desktop_.Tell(QStringLiteral("Failed to launch help."), Desktop::Icon::None);
    }
}

void CProgrammerDlg::paintEvent(QPaintEvent* event) {
    if (!isMinimized()) {
        QDialog::paintEvent(event);
        return;
    }
    const int extent = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
    const QSize iconSize(extent, extent);
    QPainter painter(this);
    painter.drawPixmap(MinimisedIconOrigin(rect().size(), iconSize), AppIcon.pixmap(iconSize));
}
