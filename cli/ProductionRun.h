#pragma once

// What --serial and --log add around each chip, for one board or several: the chip's number is
// reserved and written into its copy of the file before the chip is touched, and its log row is
// on disk before the next chip is asked for.

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/ChipCommands.h"
#include "cli/CliOptions.h"
#include "cli/HexFile.h"

class ProductionLog;
class SerialCounter;
struct ChipInfo;

// One chip's part of the batch.
struct ChipTicket {
    LoadedImage file;  // the file, with this chip's serial number in it
    std::optional<std::uint32_t> serial;
    std::int64_t started = 0;  // steady nanoseconds
};

class Production {
public:
    explicit Production(const CliOptions& options);
    ~Production();
    Production(const Production&) = delete;
    Production& operator=(const Production&) = delete;

    // Opens the log; false with `why` when it cannot be written (before any board is touched).
    bool Open(std::string& why);
    // Why the file leaves no room for the serial numbers on this chip; empty when it does.
    std::string PlaceRefusal(const ChipInfo& chip, const LoadedImage& file) const;
    // --dry-run: the numbers the next chips would get; false with `why` when that fails.
    bool Preview(const ChipInfo& chip, const LoadedImage& file, std::ostream& out,
                 std::string& why);

    // Before the chip is touched: reserves its number and places it in the ticket's file.
    bool BeginChip(const ChipInfo& chip, const LoadedImage& file, std::int64_t now,
                   ChipTicket& ticket, std::string& why);
    // The chip's log row; `result` from LogResult or the fault in words.
    bool EndChip(const ChipTicket& ticket, const std::string& port, const ChipInfo& chip,
                 const LoadedImage& file, const std::string& result,
                 const std::optional<int>& calibration, std::int64_t now, std::string& why);

    // The lines a chip's result gets: the checksums (the chip's, the file's) and its serial.
    std::vector<std::string> ResultLines(const ChipOutcome& outcome, const ChipInfo& chip,
                                         const LoadedImage& file, const ChipTicket& ticket) const;

private:
    const CliOptions& options_;
    std::unique_ptr<SerialCounter> serials_;
    std::unique_ptr<ProductionLog> log_;
};

// "ok", "differs N", or the result's own words.
std::string LogResult(const ChipOutcome& outcome);
