// The choice of the port the board is on, in the window menu: the parallel ports (searched) or one
// of the FTDI adapters attached. An adapter may be the user's serial console, so listing them only
// reads the USB's descriptors; an adapter is claimed once it is chosen, and given back when
// another port is. The choice is remembered apart from the settings file, whose bytes are fixed,
// and a --port given at start holds for that run without changing it.

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <algorithm>
#include <optional>

#include "app/BoardPortSetting.h"
#include "app/BoardPorts.h"
#include "app/Desktop.h"
#include "app/ProgrammerDlg.h"
#include "app/WaitCursor.h"
#include "link/PortChoice.h"

namespace {

const QString PortMenuText = QStringLiteral("Programmer port");
const QString ParallelText = QStringLiteral("Parallel ports (search)");

QString UsbIds(const FtdiAdapter& adapter) {
    return QStringLiteral("%1:%2")
        .arg(adapter.vendor, 4, 16, QLatin1Char('0'))
        .arg(adapter.product, 4, 16, QLatin1Char('0'));
}

// The adapter in --port's words: by its serial number, or by its USB IDs when the serial could not
// be read (no permission).
QString AdapterPort(const FtdiAdapter& adapter) {
    return adapter.serial.empty()
               ? QStringLiteral("ftdi:") + UsbIds(adapter)
               : QStringLiteral("ftdi:") + QString::fromStdString(adapter.serial);
}

QString AdapterText(const FtdiAdapter& adapter) {
    return adapter.serial.empty()
               ? QStringLiteral("FTDI adapter %1 (serial number unreadable)").arg(UsbIds(adapter))
               : QStringLiteral("FTDI adapter %1 (%2)")
                     .arg(QString::fromStdString(adapter.serial), UsbIds(adapter));
}

// The port in use when it is none of the items: an adapter remembered but not attached, or what
// --port named ("--port lpt1").
QString InUseText(const QString& port, const std::vector<FtdiAdapter>& adapters) {
    const std::optional<PortChoice> choice = ParsePortChoice(port.toStdString());
    if (!choice || choice->kind != PortChoice::Kind::Ftdi) {
        return QStringLiteral("--port ") + port;
    }
    if (choice->ftdi.vendor != 0) {
        return QStringLiteral("FTDI adapter ") +
               UsbIds({choice->ftdi.vendor, choice->ftdi.product, {}});
    }
    if (choice->ftdi.serial.empty()) {
        return QStringLiteral("FTDI adapter (the first attached)");
    }
    // One whose serial could not be read may be it.
    const bool mayBeAttached = std::any_of(adapters.begin(), adapters.end(),
                                           [](const FtdiAdapter& a) { return a.serial.empty(); });
    return QStringLiteral("FTDI adapter %1%2")
        .arg(QString::fromStdString(choice->ftdi.serial),
             mayBeAttached ? QString() : QStringLiteral(" (not attached)"));
}

}  // namespace

void CProgrammerDlg::AddPortMenu() {
    portMenu_ = new QMenu(PortMenuText, this);
    windowMenu_->addMenu(portMenu_)->setVisible(false);
    connect(portMenu_, &QMenu::aboutToShow, this, [this] { FillPortMenu(); });
}

void CProgrammerDlg::OfferBoardPorts(BoardPorts* ports, const QString& path) {
    boardPorts_ = ports;
    portPath_ = path;
    portMenu_->menuAction()->setVisible(ports != nullptr);
}

void CProgrammerDlg::FillPortMenu() {
    portMenu_->clear();
    delete portGroup_;
    portGroup_ = new QActionGroup(portMenu_);
    if (boardPorts_ == nullptr) {
        return;
    }
    const QString inUse = boardPorts_->InUse();
    bool listed = false;
    const auto add = [this, &inUse, &listed](const QString& text, const QString& port) {
        QAction* item = portMenu_->addAction(text);
        item->setCheckable(true);
        item->setChecked(port == inUse);
        portGroup_->addAction(item);
        listed = listed || port == inUse;
        connect(item, &QAction::triggered, this, [this, port] { OnBoardPort(port); });
    };
    add(ParallelText, QString());
    const std::vector<FtdiAdapter> adapters = boardPorts_->Adapters();
    for (const FtdiAdapter& adapter : adapters) {
        add(AdapterText(adapter), AdapterPort(adapter));
    }
    if (!listed) {
        // Shown, checked and not to be chosen, so that the menu says which port is in use.
        QAction* item = portMenu_->addAction(InUseText(inUse, adapters));
        item->setCheckable(true);
        item->setChecked(true);
        item->setEnabled(false);
        portGroup_->addAction(item);
    }
}

void CProgrammerDlg::OnBoardPort(const QString& port) {
    // Not in the middle of a run: it holds the board.
    if (operationRunning_ || boardPorts_ == nullptr) {
        return;
    }
    {
        WaitCursor wait;
        try {
            boardPorts_->Use(port);
        } catch (const PortFailure& failure) {
            ReportPortFailure(failure.what());
            return;
        }
    }
    OnSearchProgrammer();
    if (!portPath_.isEmpty() && !SaveBoardPort(portPath_, port)) {
        desktop_.Tell(QStringLiteral("The choice of port could not be saved in %1; it holds until "
                                     "the program ends.")
                          .arg(portPath_),
                      Desktop::Icon::Stop);
    }
}
