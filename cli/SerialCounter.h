#pragma once

// Hands out a batch's serial numbers, each once. With a serial file the next number is kept there
// and advanced on disk (written whole beside it, flushed, renamed over it, the folder flushed)
// before the number is handed out, so that a crash or a power cut can skip a number but never give
// one twice. Several boards of one run share one counter; several runs on one file take turns
// (a lock on the file's folder).

#include <QString>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cli/SerialNumbers.h"

class SerialCounter {
public:
    explicit SerialCounter(const SerialOptions& options);

    // The next number, reserved. `refusal` may refuse it (it does not fit) before anything is
    // written: then false, and `why` says why. False with `why` too when the file cannot be read
    // or written; the number is then not handed out.
    bool Reserve(std::uint32_t& serial, const std::function<std::string(std::uint32_t)>& refusal,
                 std::string& why);
    // The next `count` numbers, without reserving them (--dry-run).
    bool Peek(int count, std::vector<std::uint32_t>& serials, std::string& why);
    // Whether the numbers are shown in hex: as START was written, or as the serial file holds them.
    bool hex() const { return hex_; }

private:
    bool ReadNext(std::uint32_t& next, std::string& why);
    bool WriteNext(std::uint32_t next, std::string& why);

    SerialOptions options_;
    std::mutex mutex_;
    std::optional<std::uint32_t> next_;  // without a file: the next number
    bool hex_;
};
