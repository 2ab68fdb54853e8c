#pragma once

// The progress bar on standard error: the operation, the percentage and the time left, redrawn in
// place. Drawn only when standard error is a terminal, so that logs stay clean.

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "chip/ChipOperations.h"

class TerminalProgress {
public:
    // enabled false: every call does nothing. now: a steady clock in nanoseconds.
    TerminalProgress(std::ostream& err, bool enabled, std::function<std::int64_t()> now);
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    // A Progress callback for one operation ("Reading", "Programming", ...).
    Progress For(const std::string& operation);
    // Clears the bar's line, so that the next message starts on a clean line.
    void Clear();

private:
    void Draw(const std::string& operation, int position);

    std::ostream& err_;
    bool enabled_;
    std::function<std::int64_t()> now_;
    std::int64_t started_ = 0;
    std::string operation_;
    int lastPosition_ = -1;
    bool drawn_ = false;
};
