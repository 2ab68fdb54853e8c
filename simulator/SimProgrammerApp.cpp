#include "simulator/SimProgrammerApp.h"

#include <QScreen>
#include <QTimer>

#include "app/ProgrammerDlg.h"
#include "app/WindowPlacement.h"
#include "link/SystemDelays.h"
#include "sim/SimulatedBoard.h"
#include "simulator/SocketFile.h"
#include "simulator/SocketLock.h"
#include "simulator/VirtualSocketWindow.h"

namespace {

constexpr std::uint16_t Lpt1 = 0x378;
constexpr int WindowGap = 8;

// The socket, the program's alone for one chip command: the chip another program left is taken in
// before the command, and what the command did is saved before another program may look.
class SocketReservation {
public:
    SocketReservation(const QString& socketPath, VirtualSocketWindow& window)
        : lock_(socketPath), window_(window) {}
    ~SocketReservation() {
        if (locked_) {
            window_.Refresh();
        }
    }
    SocketReservation(const SocketReservation&) = delete;
    SocketReservation& operator=(const SocketReservation&) = delete;

    bool Take(QString& why) {
        locked_ = lock_.TryLock(why);
        if (locked_) {
            window_.FileChanged();
        }
        return locked_;
    }

private:
    SocketLock lock_;
    VirtualSocketWindow& window_;
    bool locked_ = false;
};

}  // namespace

SimProgrammerApp::SimProgrammerApp(QString socketPath) : socketPath_(std::move(socketPath)) {}

SimProgrammerApp::~SimProgrammerApp() = default;

PortIo& SimProgrammerApp::Port() {
    if (board_ == nullptr) {
        board_ = std::make_unique<SimulatedBoard>(SteadyNanoseconds, Lpt1, Pins());
        start_ = LoadSocketFile(socketPath_);
        if (start_.outcome != SocketFileLoad::Outcome::Loaded) {
            start_.content.chip = NewFactoryChip(1);
        }
        if (start_.content.chip) {
            board_->Insert(std::move(*start_.content.chip));
            start_.content.chip.reset();
        }
    }
    return *board_;
}

void SimProgrammerApp::DialogCreated(CProgrammerDlg& dialog) {
    Port();
    // A window of the dialog's own, so that the running dialog does not block it; it goes with
    // the dialog, while the board stays until the program ends.
    auto* window = new VirtualSocketWindow(*board_, socketPath_, start_, &dialog);
    window->SetOperationCheck([&dialog] { return dialog.OperationRunning(); });
    dialog.SetChipCommandGate([this, window](QString& why) -> std::shared_ptr<void> {
        auto reservation = std::make_shared<SocketReservation>(socketPath_, *window);
        if (reservation->Take(why)) {
            return reservation;
        }
        // A box's sentence, where the command line's message follows its name.
        if (!why.isEmpty()) {
            why[0] = why[0].toUpper();
        }
        return nullptr;
    });
    // Placed once the dialog is on the screen and its frame is known; the window's own frame is
    // taken to be as thick as the dialog's.
    QTimer::singleShot(0, window, [window, &dialog] {
        const QSize frame = dialog.frameGeometry().size() - dialog.size();
        window->move(PlaceBeside(dialog.frameGeometry(), window->size() + frame,
                                 dialog.screen()->availableGeometry(), WindowGap));
        window->show();
    });
}
