#pragma once

// The one way to run an operation on a chip: power it up the family's way, step it to the word the
// operation starts at, run the operation's word loop, and power the board down on every path,
// exceptions (an interrupted loop, a port that stopped answering) included. The window's handlers,
// the command-line program and the benchmark all go through it.

#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

#include "chip/ChipTable.h"
#include "link/ProgrammerPort.h"

enum class StartAt {
    PowerUp,      // where power-up leaves the chip (a 12-bit chip at its configuration word)
    AddressZero,  // program address 0
};

// Powers the chip up on construction, after checking the board's loop-back, with the supplies read
// back and timed (BoardChecks.h); a failure part-way powers down again before it is thrown.
// PowerDown ends the run, reads the supplies back and checks the loop-back again, and lets its own
// failure be seen; the destructor powers down on the
// paths that never reach it, and can only try.
class PoweredChip {
public:
    PoweredChip(ProgrammerLink& board, const ChipFamily& family, StartAt start);
    ~PoweredChip();
    PoweredChip(const PoweredChip&) = delete;
    PoweredChip& operator=(const PoweredChip&) = delete;

    void PowerDown();

private:
    // Set once PowerDown has seen both supplies off; until then the destructor switches them off
    // straight at the port, whatever the shadow says (a write the port lost leaves them on).
    bool poweredDown_ = false;
    ProgrammerLink& board_;
};

// While one exists, told as every bracket's power-up begins (false) and once the chip stands where
// the operation starts (true): for a front end that times its phases (chipsmith-cli --verbose).
// One at a time.
class PowerUpWatch {
public:
    explicit PowerUpWatch(std::function<void(bool ready)> watcher);
    ~PowerUpWatch();
    PowerUpWatch(const PowerUpWatch&) = delete;
    PowerUpWatch& operator=(const PowerUpWatch&) = delete;
};

template <typename Operation>
auto RunOnChip(ProgrammerLink& board, const ChipFamily& family, StartAt start,
               Operation&& operation) -> decltype(operation()) {
    PoweredChip powered(board, family, start);
    if constexpr (std::is_void_v<decltype(operation())>) {
        std::forward<Operation>(operation)();
        powered.PowerDown();
    } else {
        auto result = std::forward<Operation>(operation)();
        powered.PowerDown();
        return result;
    }
}

// Switches both supplies off whatever the link believes, swallowing every error: for the last
// resorts (a destructor during unwinding, the terminate handler), where nothing can be reported.
void PowerDownBestEffort(ProgrammerLink& board) noexcept;

// From now on an unforeseen end (std::terminate) first switches this board's supplies off, until
// the board's owner says it is going (ForgetOnTerminate). Any number of boards, from any thread.
void PowerDownOnTerminate(ProgrammerLink& board);
void ForgetOnTerminate(const ProgrammerLink& board);
