#include "chip/ChipSession.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "chip/BoardChecks.h"

namespace {

std::terminate_handler previousTerminate = nullptr;
// The process-wide handles on the boards: a terminate handler takes no arguments, so it can only
// reach the boards it was installed for through here. Several boards (one a thread) may come and
// go at once.
std::mutex terminateBoardsLock;
std::vector<ProgrammerLink*> terminateBoards;
bool terminateInstalled = false;
std::function<void(bool)> powerUpWatcher;

void TellWatcher(bool ready) {
    if (powerUpWatcher) {
        powerUpWatcher(ready);
    }
}

}  // namespace

PowerUpWatch::PowerUpWatch(std::function<void(bool ready)> watcher) {
    powerUpWatcher = std::move(watcher);
}

PowerUpWatch::~PowerUpWatch() {
    powerUpWatcher = nullptr;
}

PoweredChip::PoweredChip(ProgrammerLink& board, const ChipFamily& family, StartAt start)
    : board_(board) {
    TellWatcher(false);
    try {
        // A board that does not loop its data line back would make up every word read.
        CheckLoopback(board);
        PowerUpChecked(board, family);
        if (start == StartAt::AddressZero) {
            for (int i = 0; i < family.incrementsToAddressZero; ++i) {
                SendCommand(board, IncrementAddress);
            }
        }
    } catch (...) {
        // The destructor of an object whose constructor threw never runs.
        PowerDownBestEffort(board);
        throw;
    }
    TellWatcher(true);
}

PoweredChip::~PoweredChip() {
    if (!poweredDown_) {
        PowerDownBestEffort(board_);
    }
}

void PoweredChip::PowerDown() {
    ProgrammerLink& board = board_;
    // What a batching backend holds of the operation goes out before anything is read back.
    board.Flush();
    if (board.Powered()) {
        ExitProgramMode(board);
    }
    // The outputs read back, not the shadow: a write the port lost would leave the chip powered
    // while the program reported success.
    if (SuppliesHeldOn(board)) {
        PowerDownBestEffort(board);
        throw PortFailure("the board's supplies did not switch off");
    }
    poweredDown_ = true;
    // A line that stuck during the run made up what the run read.
    CheckLoopback(board);
    board.Flush();
}

void PowerDownBestEffort(ProgrammerLink& board) noexcept {
    // Straight to the port, not trusting the shadow: a lost write may have left the supplies on
    // while the shadow says off. A port that failed is not claimed again for it (a claim would
    // drive the pins anew).
    board.SuppliesOffBestEffort();
}

void ForgetOnTerminate(const ProgrammerLink& board) {
    const std::lock_guard<std::mutex> hold(terminateBoardsLock);
    terminateBoards.erase(std::remove(terminateBoards.begin(), terminateBoards.end(), &board),
                          terminateBoards.end());
}

void PowerDownOnTerminate(ProgrammerLink& board) {
    const std::lock_guard<std::mutex> hold(terminateBoardsLock);
    terminateBoards.push_back(&board);
    if (terminateInstalled) {
        return;
    }
    terminateInstalled = true;
    previousTerminate = std::set_terminate([] {
        // A thread that ends the process while another registers a board still switches every
        // board off: the lock is taken if it can be, and the list read either way.
        const bool locked = terminateBoardsLock.try_lock();
        for (ProgrammerLink* board : terminateBoards) {
            PowerDownBestEffort(*board);
        }
        if (locked) {
            terminateBoardsLock.unlock();
        }
        if (previousTerminate != nullptr) {
            previousTerminate();
        }
        std::abort();
    });
}
