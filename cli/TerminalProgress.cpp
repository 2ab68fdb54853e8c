#include "cli/TerminalProgress.h"

#include <cstdio>
#include <utility>

namespace {

constexpr int BarWidth = 30;
constexpr std::int64_t NanosecondsPerSecond = 1'000'000'000;

}  // namespace

TerminalProgress::TerminalProgress(std::ostream& err, bool enabled,
                                   std::function<std::int64_t()> now)
    : err_(err), enabled_(enabled), now_(std::move(now)) {}

TerminalProgress::~TerminalProgress() {
    Clear();
}

Progress TerminalProgress::For(const std::string& operation) {
    if (!enabled_) {
        return {};
    }
    return [this, operation](int position) { Draw(operation, position); };
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
    if (drawn_) {
        err_ << "\r\033[K" << std::flush;
        drawn_ = false;
    }
    operation_.clear();
}
