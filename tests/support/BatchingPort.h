#pragma once

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "link/PortIo.h"
#include "sim/VirtualDelays.h"

// A batching backend as a USB bit-bang adapter is one, over a board that answers at once (the
// simulated one): every call is recorded in order; a write and a queued read reach the board at
// their point of the batch, and a queued wait moves the virtual clock, as the adapter's own clock
// would hold the lines. A batch ends with Flush, which In and a TakeIn of the unsent batch do
// first.
class BatchingPort final : public PortIo {
public:
    enum class Call { Out, In, QueueWait, QueueIn, TakeIn, Flush };
    struct Record {
        Call call;
        std::int64_t value;  // the byte written, the wait, or the ticket
    };

    BatchingPort(PortIo& board, VirtualDelays& clock) : board_(board), clock_(clock) {}

    bool Batches() const override { return true; }
    std::uint8_t In(std::uint16_t address) override {
        Flush();
        records_.push_back({Call::In, address});
        return board_.In(address);
    }
    void Out(std::uint16_t address, std::uint8_t value) override {
        records_.push_back({Call::Out, value});
        board_.Out(address, value);
    }
    void QueueWait(std::int64_t nanoseconds) override {
        records_.push_back({Call::QueueWait, nanoseconds});
        clock_.Advance(nanoseconds);
    }
    std::uint64_t QueueIn(std::uint16_t address) override {
        records_.push_back({Call::QueueIn, static_cast<std::int64_t>(samples_.size())});
        samples_.push_back(board_.In(address));
        return samples_.size() - 1;
    }
    std::uint8_t TakeIn(std::uint64_t ticket) override {
        if (ticket < sentFrom_) {
            throw std::logic_error("a ticket of an older batch");
        }
        if (ticket >= sent_) {
            Flush();
        }
        records_.push_back({Call::TakeIn, static_cast<std::int64_t>(ticket)});
        return samples_.at(ticket);
    }
    void Flush() override {
        records_.push_back({Call::Flush, 0});
        sentFrom_ = sent_;
        sent_ = samples_.size();
    }

    const std::vector<Record>& Records() const { return records_; }
    void ClearRecords() { records_.clear(); }
    long Count(Call call) const {
        long count = 0;
        for (const Record& record : records_) {
            count += record.call == call ? 1 : 0;
        }
        return count;
    }

private:
    PortIo& board_;
    VirtualDelays& clock_;
    std::vector<Record> records_;
    std::vector<std::uint8_t> samples_;
    std::uint64_t sent_ = 0;      // samples sent in batches before now
    std::uint64_t sentFrom_ = 0;  // where the last batch sent began
};
