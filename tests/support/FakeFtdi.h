#pragma once

// An FTDI adapter in synchronous bit-bang mode, played under FtdiPortIo in place of libftdi1: each
// byte written is one byte period on the virtual clock, its sample (the pins before it goes out) is
// what a read gives back, and its pins are the data register of a simulated board wired by the same
// pin map, so the simulated chip judges the timing the adapter would put on the wire.

#include <ftdi.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "link/FtdiPortIo.h"
#include "sim/SimulatedBoard.h"
#include "sim/VirtualDelays.h"

class FakeFtdi : public FtdiCalls {
public:
    FakeFtdi(VirtualDelays& clock, const PinMap& pins)
        : clock_(clock),
          pins_(pins),
          board_([&clock] { return clock.Now(); }, FtdiPortIo::Base, pins) {}

    SimulatedBoard& Board() { return board_; }

    ftdi_context* New() override {
        ++contexts;
        return reinterpret_cast<ftdi_context*>(this);
    }
    void Free(ftdi_context*) override { --contexts; }
    int FindAll(ftdi_context*, std::vector<FtdiAdapter>& found) override {
        found = attached;
        return static_cast<int>(attached.size());
    }
    int UseInterfaceA(ftdi_context*) override { return 0; }
    int Open(ftdi_context*, int vendor, int product, const std::string& serial) override {
        openedWith = {vendor, product, serial};
        if (openResult < 0) {
            error = openError;
            return openResult;
        }
        open = true;
        return 0;
    }
    int Close(ftdi_context*) override {
        open = false;
        bitmode = -1;
        return 0;
    }
    int Reset(ftdi_context*) override { return 0; }
    int SetLatency(ftdi_context*, int) override { return 0; }
    int SetBaudrate(ftdi_context*, int value) override {
        baud = value;
        return 0;
    }
    int SetBitmode(ftdi_context*, std::uint8_t outputs, std::uint8_t mode) override {
        mask = outputs;
        bitmode = mode;
        return 0;
    }
    int Purge(ftdi_context*) override {
        samples_.clear();
        return 0;
    }
    int Write(ftdi_context*, const std::uint8_t* bytes, int count) override {
        ++transfers;
        largestWrite = std::max(largestWrite, count);
        if (unplugged) {
            error = "usb bulk write failed";
            return -1;
        }
        for (int i = 0; i < count; ++i) {
            samples_.push_back(Pins());
            board_.Out(FtdiPortIo::Base, bytes[i]);
            clock_.Advance(FtdiPortIo::BytePeriodNs);
            written.push_back(bytes[i]);
        }
        return count;
    }
    int Read(ftdi_context*, std::uint8_t* bytes, int count) override {
        if (samplesLost > 0 && !samples_.empty()) {
            samplesLost -= 1;
            samples_.pop_back();
        }
        int given = 0;
        for (; given < count && !samples_.empty(); ++given) {
            bytes[given] = samples_.front();
            samples_.pop_front();
        }
        return given;
    }
    std::string Error(ftdi_context*) override { return error; }
    int ChipType(ftdi_context*) override { return chipType; }

    // The pins as the adapter reads them: its outputs as driven, the return line from the board.
    std::uint8_t Pins() {
        const std::uint8_t status = board_.In(FtdiPortIo::Base + 1);
        const PortBits bits = BitsOf(pins_, PortKind::Ftdi);
        return static_cast<std::uint8_t>((board_.DataRegister() & mask) | (status & bits.ret));
    }

    struct Opened {
        int vendor = 0;
        int product = 0;
        std::string serial;
    };

    std::vector<FtdiAdapter> attached{{0x0403, 0x6001, "A6008xyz"}};
    int openResult = 0;
    std::string openError;
    int chipType = TYPE_R;
    bool unplugged = false;
    int samplesLost = 0;  // samples the adapter never sends back
    bool open = false;
    int contexts = 0;
    int bitmode = -1;
    std::uint8_t mask = 0;
    int baud = 0;
    std::int64_t transfers = 0;
    int largestWrite = 0;
    std::string error;
    Opened openedWith;
    std::vector<std::uint8_t> written;

private:
    VirtualDelays& clock_;
    PinMap pins_;
    SimulatedBoard board_;
    std::deque<std::uint8_t> samples_;
};
