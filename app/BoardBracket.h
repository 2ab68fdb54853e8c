#pragma once

#include <exception>

#include "link/ProgrammerPort.h"

// One chip operation's bracket on the board. The operations power the board down themselves;
// this makes sure it also happens when something throws on the way, so a chip is never left
// with its programming voltage on.
class BoardBracket {
public:
    BoardBracket() : exceptions_(std::uncaught_exceptions()) {}
    ~BoardBracket() {
        if (std::uncaught_exceptions() > exceptions_) {
            ExitProgramMode();
        }
    }
    BoardBracket(const BoardBracket&) = delete;
    BoardBracket& operator=(const BoardBracket&) = delete;

private:
    int exceptions_;
};
