#include "cli/TerminalProgress.h"

#include <cstdio>
#include <utility>

#include "chip/ChipSession.h"

namespace {

constexpr int BarWidth = 30;
constexpr std::int64_t NanosecondsPerSecond = 1'000'000'000;

}  // namespace

TerminalProgress::TerminalProgress(std::ostream& err, bool enabled,
                                   std::function<std::int64_t()> now, bool verbose)
    : err_(err), enabled_(enabled), now_(std::move(now)) {
    if (verbose) {
        watch_ = std::make_unique<PowerUpWatch>([this](bool ready) { PowerUp(ready); });
    }
}

TerminalProgress::~TerminalProgress() {
    Clear();
}

Progress TerminalProgress::For(const std::string& operation) {
    if (watch_) {
        EndPhase();
        phase_ = operation;
        phaseStarted_ = now_();
    }
    if (!enabled_ && !watch_) {
        return {};
    }
    return [this, operation](int position) {
        if (enabled_) {
            Draw(operation, position);
        }
        // Every word loop reports 100 after its last word.
        if (position >= 100 && operation == phase_) {
            EndPhase();
        }
    };
}

void TerminalProgress::PowerUp(bool ready) {
    if (!ready) {
        powerUpStarted_ = now_();
        return;
    }
    PhaseLine("Power-up", powerUpStarted_);
    // A loop asked for before its bracket (programming) begins once the chip is up.
    if (!phase_.empty()) {
        phaseStarted_ = now_();
    }
}

void TerminalProgress::EndPhase() {
    if (!phase_.empty()) {
        PhaseLine(phase_, phaseStarted_);
        phase_.clear();
    }
}

void TerminalProgress::PhaseLine(const std::string& phase, std::int64_t started) {
    const std::int64_t microseconds = (now_() - started) / 1000;
    char line[96];
    std::snprintf(line, sizeof line, "%s: %lld.%03lld s", phase.c_str(),
                  static_cast<long long>(microseconds / 1'000'000),
                  static_cast<long long>(microseconds / 1000 % 1000));
    ClearBar();
    err_ << line << '\n' << std::flush;
}

void TerminalProgress::Draw(const std::string& operation, int position) {
    if (operation != operation_) {
        operation_ = operation;
        started_ = now_();
        lastPosition_ = -1;
    }
    // Once a percent is enough: a full read draws a hundred times, not two thousand.
    if (position == lastPosition_) {
        return;
    }
    lastPosition_ = position;
    const std::int64_t elapsed = now_() - started_;
    char left[32] = "";
    if (position > 0 && position < 100) {
        const std::int64_t remaining = elapsed * (100 - position) / position;
        const std::int64_t seconds = (remaining + NanosecondsPerSecond - 1) / NanosecondsPerSecond;
        std::snprintf(left, sizeof left, "%lld:%02lld left", static_cast<long long>(seconds / 60),
                      static_cast<long long>(seconds % 60));
    }
    const int filled = position * BarWidth / 100;
    char line[128];
    std::snprintf(line, sizeof line, "\r%-12s [%s%s] %3d%% %-12s", operation.c_str(),
                  std::string(static_cast<std::size_t>(filled), '#').c_str(),
                  std::string(static_cast<std::size_t>(BarWidth - filled), '.').c_str(), position,
                  left);
    err_ << line << std::flush;
    drawn_ = true;
}

void TerminalProgress::Clear() {
    EndPhase();
    ClearBar();
    operation_.clear();
}

void TerminalProgress::ClearBar() {
    if (drawn_) {
        err_ << "\r\033[K" << std::flush;
        drawn_ = false;
    }
}
