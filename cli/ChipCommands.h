#pragma once

// What each chip command does to the chip in the socket, through the same word loops as the
// window, and what it found. The board is found and the chip chosen before these run.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/HexFile.h"

struct ChipInfo;
class TerminalProgress;

struct ChipOutcome {
    bool passed = true;
    std::vector<std::string> details;  // result lines before the summary (differences, fields)
    std::string summary;               // "programmed, calibration 5A, 0 errors"
    QByteArray data;                   // read: the Intel HEX text of the chip
    std::string value;  // the bare result a script takes with --quiet (osccal: "5A"); may be empty
    // For the checksum line and the production log: the chip's checksum and ID words as read
    // (read, verify, program, auto), the words that differ, the calibration value kept.
    std::optional<std::uint16_t> checksum;
    std::vector<std::uint16_t> ids;
    int differences = 0;
    std::optional<int> calibration;
};

class ProgrammerLink;

struct CommandContext {
    ProgrammerLink& board;
    const ChipInfo& chip;
    const CliOptions& options;
    const LoadedImage& file;  // empty for the commands without a file
    TerminalProgress& progress;
    std::function<void(const std::string&)> warn;
    // Set once the first programming pulse may have been given, for the message of a stop.
    bool programmingStarted = false;
    // The chip's calibration value as an earlier step of the same command read it (auto's blank
    // check reads the calibration word last), so programming need not power up to read it again.
    std::optional<int> calibrationOnChip;
    // Whether the chip's configuration word protects it, once an earlier step found out (a blank
    // chip does not; a protected one reads as zeros).
    std::optional<bool> chipProtected;
};

ChipOutcome ReadChipCommand(CommandContext& context);
ChipOutcome BlankCommand(CommandContext& context);
// The blank check, read twice (as BlankCommand) or once where a later check covers it.
ChipOutcome BlankCheck(CommandContext& context, bool readTwice);
ChipOutcome VerifyCommand(CommandContext& context);
ChipOutcome ProgramCommand(CommandContext& context);
ChipOutcome AutoCommand(CommandContext& context);
ChipOutcome ConfigCommand(CommandContext& context);
ChipOutcome OsccalCommand(CommandContext& context);

// How many differences verify lists one by one before it only counts the rest.
constexpr int ListedDifferences = 20;
