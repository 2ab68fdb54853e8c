#pragma once

// The progress bar on standard error: the operation, the percentage and the time left, redrawn in
// place. Drawn only when standard error is a terminal, so that logs stay clean. With --verbose it
// also writes one line per phase when the phase ends: each power-up and each word loop, with the
// time it took.

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "chip/ChipOperations.h"

class PowerUpWatch;

class TerminalProgress {
public:
    // enabled false: no bar. verbose: the phase lines. now: a steady clock in nanoseconds.
    TerminalProgress(std::ostream& err, bool enabled, std::function<std::int64_t()> now,
                     bool verbose = false);
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    // A Progress callback for one operation ("Reading", "Programming", ...).
    Progress For(const std::string& operation);
    // Clears the bar's line, so that the next message starts on a clean line.
    void Clear();

private:
    void Draw(const std::string& operation, int position);
    void ClearBar();
    void PowerUp(bool ready);
    void EndPhase();
    void PhaseLine(const std::string& phase, std::int64_t started);

    std::ostream& err_;
    bool enabled_;
    std::function<std::int64_t()> now_;
    std::int64_t started_ = 0;
    std::string operation_;
    int lastPosition_ = -1;
    bool drawn_ = false;
    // --verbose: the word loop under way (empty when none) and when it began.
    std::unique_ptr<PowerUpWatch> watch_;
    std::string phase_;
    std::int64_t phaseStarted_ = 0;
    std::int64_t powerUpStarted_ = 0;
};
