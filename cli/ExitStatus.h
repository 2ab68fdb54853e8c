#pragma once

// chipsmith-cli's exit statuses; scripts and Makefiles rely on them.
namespace ExitStatus {
constexpr int Done = 0;
constexpr int ChipFailed = 1;     // not blank, differences, programming errors, calibration missing
constexpr int Usage = 2;          // bad arguments, or a file that cannot be read or parsed
constexpr int NoBoard = 3;        // no board found, or the port cannot be used
constexpr int Interrupted = 130;  // SIGINT, or a stop no signal asked for
// Stopped by a signal: as the shell counts, 130 for SIGINT, 143 for SIGTERM, 129 for SIGHUP.
constexpr int StoppedBy(int signal) {
    return signal > 0 ? 128 + signal : Interrupted;
}
}  // namespace ExitStatus
