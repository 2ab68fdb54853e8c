#pragma once

// An FTDI adapter played under FtdiPort in place of libftdi1, its pins wired to a simulated board
// (the board's pin map the same as the program's), written from the adapter's documents rather
// than from what FtdiPort assumes:
//  - synchronous bit-bang mode (FTDI knowledge base, "Synchronous Bit Bang Mode"): the pins are
//    read before each byte goes out, so a sample shows the pins as the byte before left them,
//    outputs included; a byte goes out only while the adapter has room for its sample, so a
//    transfer larger than its FIFO stops the pins (a hold) until the host reads;
//  - the byte clock: 16 times the baud rate generator's rate on the FT232R and FT2232 (FTDI's
//    AN232R-01); the H chips' bit-bang clock from their 60 MHz base over the same divisor
//    (slower); libftdi sets the generator to 4 times the rate it is given only when bit-bang mode
//    is already on (libftdi's ftdi_set_baudrate), so the order of the calls matters;
//  - the UART's pins while no bit-bang mode is on (FT232R data sheet; the Linux ftdi_sio.h notes
//    on the SIO reset, which clears DTR and RTS): TXD, RTS# and DTR# (D0, D2, D4) outputs held
//    high, the other five inputs pulled up to VCCIO through about 200 kOhm; a pin that is an input
//    reads high unless the board pulls it down harder (the README's pull-downs on the supply
//    switches). ftdi_usb_close leaves the pins as they are; BITMODE_RESET gives them back to the
//    UART.
//  - reads that bring part of what is asked (one USB packet's 62 bytes at most) or nothing yet.
// Each byte is one byte period on the virtual clock; every USB call costs some more.

#include <ftdi.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "link/FtdiPort.h"
#include "sim/SimulatedBoard.h"
#include "sim/VirtualDelays.h"

class FakeFtdi : public FtdiCalls {
public:
    // The adapter's nominal address on the simulated board; the board needs one.
    static constexpr std::uint16_t Pins = 0x700;
    // The smaller FIFO of the FT232R and FT2232.
    static constexpr std::size_t Fifo = 128;
    // A USB packet's payload after its two status bytes.
    static constexpr int PacketPayload = 62;

    FakeFtdi(VirtualDelays& clock, const PinMap& pins)
        : clock_(clock),
          bits_(BitsOf(pins, PortKind::Ftdi)),
          board_([&clock] { return clock.Now(); }, Pins, pins) {
        // The README's wiring: a supply switch that is on while its pin is high is pulled down on
        // the board; one that is on while its pin is low is held off by the pin's pull-up.
        pullDowns = static_cast<std::uint8_t>(bits_.Supplies() & ~bits_.inverted);
        Drive();
    }

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
    void GiveBackToKernel(ftdi_context*, bool giveBack) override { reattachDriver = giveBack; }
    int Open(ftdi_context*, int vendor, int product, const std::string& serial) override {
        openedWith = {vendor, product, serial};
        if (openResult < 0) {
            error = openError;
            return openResult;
        }
        open = true;
        kernelDriver = false;
        libftdiBitbang = false;
        return 0;
    }
    int Close(ftdi_context*) override {
        // The pins stay as they are; the kernel's driver comes back if libftdi was told to.
        open = false;
        kernelDriver = reattachDriver;
        return 0;
    }
    int Reset(ftdi_context*) override {
        samples_.clear();
        ++resets;
        if (bitbang) {
            resetWhileDriving = true;
        }
        return 0;
    }
    int SetLatency(ftdi_context*, int) override { return 0; }
    int SetBaudrate(ftdi_context*, int value) override {
        generatorBaud = libftdiBitbang ? value * 4 : value;
        return 0;
    }
    int SetBitmode(ftdi_context*, std::uint8_t outputs, std::uint8_t mode) override {
        libftdiBitbang = mode != BITMODE_RESET;
        bitbang = mode == BITMODE_SYNCBB;
        direction = bitbang ? outputs : 0;
        Drive();
        return 0;
    }
    int Purge(ftdi_context*) override {
        samples_.clear();
        return 0;
    }
    int Write(ftdi_context*, const std::uint8_t* bytes, int count) override {
        ++transfers;
        largestWrite = std::max(largestWrite, count);
        clock_.Advance(UsbCallNs);
        if (const int call = writeCalls++; fault == Fault::WriteFails && call == failCall) {
            error = "usb bulk write failed";
            return -1;
        }
        if (unplugged) {
            error = "usb bulk write failed";
            return -1;
        }
        lastWrite.assign(bytes, bytes + count);
        for (int i = 0; i < count; ++i) {
            if (samples_.size() >= Fifo) {
                // No room for the sample: the pins hold until the host reads.
                ++holds;
                clock_.Advance(UsbCallNs);
                samplesRead_ += samples_.size();
                held_.insert(held_.end(), samples_.begin(), samples_.end());
                samples_.clear();
            }
            samples_.push_back(Play(bytes[i]));
        }
        return count;
    }
    int Read(ftdi_context*, std::uint8_t* bytes, int count) override {
        clock_.Advance(UsbCallNs);
        const int call = readCalls++;
        if (fault == Fault::ReadFails && call == failCall) {
            error = "usb bulk read failed";
            return -1;
        }
        if (fault == Fault::SampleLost && call == failCall && !samples_.empty()) {
            samples_.pop_back();
        }
        if (samplesLost > 0 && !samples_.empty()) {
            samplesLost -= 1;
            samples_.pop_back();
        }
        if (stallEvery > 0 && ++reads_ % stallEvery == 0) {
            return 0;  // nothing arrived yet
        }
        // What the host missed while the pins held comes first.
        std::deque<std::uint8_t>& from = held_.empty() ? samples_ : held_;
        const int given = std::min({count, PacketPayload, static_cast<int>(from.size())});
        for (int i = 0; i < given; ++i) {
            bytes[i] = from.front();
            from.pop_front();
        }
        return given;
    }
    int Stream(ftdi_context*, const std::uint8_t* bytes, int count,
               std::uint8_t* samples) override {
        ++transfers;
        clock_.Advance(StreamOverheadNs);
        if (unplugged) {
            error = "usb bulk write failed";
            return -1;
        }
        // Read while written: the pins never wait for the host.
        for (int i = 0; i < count; ++i) {
            samples[i] = Play(bytes[i], false);
        }
        return count;
    }
    std::string Error(ftdi_context*) override { return error; }
    int ChipType(ftdi_context*) override { return chipType; }

    // The byte period the adapter's clock gives now, in nanoseconds.
    double BytePeriodNs() const {
        if (generatorBaud <= 0) {
            return 1e9 / 9600.0;
        }
        const bool hChip =
            chipType == TYPE_232H || chipType == TYPE_2232H || chipType == TYPE_4232H;
        const double bytesPerSecond = hChip ? 5.0 * generatorBaud : 16.0 * generatorBaud;
        return 1e9 / (bytesPerSecond * speedup);
    }

    // Whether either supply is on at the board as the pins now stand.
    bool SupplyOn() { return board_.SupplyA() || board_.SupplyB(); }
    // Set whenever a supply was on at the pins since it was last cleared.
    bool suppliesWereOn = false;

    // One USB call that goes wrong: the `failCall`-th write, or read (counted from 0).
    enum class Fault { None, WriteFails, ReadFails, SampleLost };
    Fault fault = Fault::None;
    int failCall = -1;
    int writeCalls = 0;
    int readCalls = 0;

    struct Opened {
        int vendor = 0;
        int product = 0;
        std::string serial;
    };

    std::vector<FtdiAdapter> attached{{0x0403, 0x6001, "A6008xyz"}};
    int openResult = 0;
    std::string openError;
    int chipType = TYPE_R;
    double speedup = 1.0;  // a clock this many times faster than the documents give
    bool unplugged = false;
    int samplesLost = 0;  // samples the adapter never sends back
    int stallEvery = 3;   // every this many reads brings nothing yet
    std::uint8_t pullDowns = 0;
    std::uint8_t latch = 0xFF;  // what the adapter's output latch holds before anything is written
    bool open = false;
    bool kernelDriver = true;  // the serial driver has the adapter
    bool reattachDriver = false;
    bool libftdiBitbang = false;
    bool bitbang = false;
    std::uint8_t direction = 0;
    int generatorBaud = 0;
    int resets = 0;
    bool resetWhileDriving = false;
    int contexts = 0;
    std::int64_t transfers = 0;
    int largestWrite = 0;
    int holds = 0;
    std::string error;
    Opened openedWith;
    std::vector<std::uint8_t> written;    // every byte played, in order
    std::vector<std::uint8_t> lastWrite;  // the bytes of the last Write

    static constexpr std::int64_t UsbCallNs = 125'000;
    static constexpr std::int64_t StreamOverheadNs = 2'000'000;

private:
    // The pins as they stand: driven outputs, and inputs pulled up unless the board pulls down.
    std::uint8_t PinLevels() const {
        // The UART's outputs TXD, RTS# and DTR#, held high while no bit-bang mode is on.
        const std::uint8_t driven = bitbang ? direction : 0x15;
        const std::uint8_t values = bitbang ? latch : 0x15;
        const std::uint8_t undriven = static_cast<std::uint8_t>(~driven);
        return static_cast<std::uint8_t>((values & driven) | (undriven & ~pullDowns));
    }
    void Drive() {
        board_.Out(Pins, PinLevels());
        suppliesWereOn = suppliesWereOn || SupplyOn();
    }
    // The pins sampled (the return pin as the board drives it), then the byte put out.
    std::uint8_t Play(std::uint8_t byte, bool record = true) {
        const std::uint8_t status = board_.In(Pins + 1);
        const std::uint8_t sample =
            static_cast<std::uint8_t>((PinLevels() & ~bits_.ret) | (status & bits_.ret));
        latch = byte;
        Drive();
        if (record) {
            written.push_back(byte);
        }
        clock_.Advance(static_cast<std::int64_t>(BytePeriodNs()));
        return sample;
    }

    VirtualDelays& clock_;
    PortBits bits_;
    SimulatedBoard board_;
    std::deque<std::uint8_t> samples_;
    std::deque<std::uint8_t> held_;
    std::size_t samplesRead_ = 0;
    int reads_ = 0;
};
