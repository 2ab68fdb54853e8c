#pragma once

// chipsmith-cli's exit statuses; scripts and Makefiles rely on them.
namespace ExitStatus {
constexpr int Done = 0;
constexpr int ChipFailed = 1;  // not blank, differences, programming errors, calibration missing
constexpr int Usage = 2;       // bad arguments, or a file that cannot be read or parsed
constexpr int NoBoard = 3;     // no board found, or the port cannot be used
constexpr int Interrupted = 130;
}  // namespace ExitStatus
