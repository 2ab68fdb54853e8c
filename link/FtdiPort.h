#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/Delays.h"
#include "link/LinePort.h"
#include "link/PinMap.h"

struct ftdi_context;

// One FTDI adapter on the USB, as enumeration finds it.
struct FtdiAdapter {
    int vendor = 0;
    int product = 0;
    std::string serial;  // empty when the adapter could not be asked (no permission)
};

// The libftdi1 calls FtdiPort makes; tests stand in for the library (and the adapter) with their
// own. Failures return a negative number, as libftdi does, and Error tells why.
class FtdiCalls {
public:
    virtual ~FtdiCalls() = default;
    virtual ftdi_context* New();
    virtual void Free(ftdi_context* context);
    // The attached adapters of FTDI's own IDs (FT232R, FT2232, FT232H ...); negative on failure.
    virtual int FindAll(ftdi_context* context, std::vector<FtdiAdapter>& found);
    // Interface A of a two-channel chip; before Open.
    virtual int UseInterfaceA(ftdi_context* context);
    // Whether closing the adapter gives it back to the kernel's serial driver (libftdi's
    // AUTO_DETACH_REATACH_SIO_MODULE: libusb re-attaches the driver it detached); before Open.
    virtual void GiveBackToKernel(ftdi_context* context, bool giveBack);
    // As ftdi_usb_open_desc: -3 no such adapter, -4 it cannot be opened (permission), -5 it
    // cannot be claimed (another program, or the kernel's serial driver that could not be
    // detached). `serial` may be empty: the first adapter of vendor:product.
    virtual int Open(ftdi_context* context, int vendor, int product, const std::string& serial);
    virtual int Close(ftdi_context* context);
    // The SIO reset: purges the buffers, clears DTR and RTS (so RTS# and DTR# go high).
    virtual int Reset(ftdi_context* context);
    virtual int SetLatency(ftdi_context* context, int milliseconds);
    // libftdi multiplies the rate by 4 when bit-bang mode is already on, and not otherwise.
    virtual int SetBaudrate(ftdi_context* context, int baud);
    virtual int SetBitmode(ftdi_context* context, std::uint8_t outputs, std::uint8_t mode);
    virtual int Purge(ftdi_context* context);
    virtual int Write(ftdi_context* context, const std::uint8_t* bytes, int count);
    // What has arrived so far, up to count bytes; 0 when nothing has yet.
    virtual int Read(ftdi_context* context, std::uint8_t* bytes, int count);
    // Writes `count` bytes while reading their samples at the same time (libftdi's submit calls),
    // so the adapter never waits for the host: how many samples came back, or negative.
    virtual int Stream(ftdi_context* context, const std::uint8_t* bytes, int count,
                       std::uint8_t* samples);
    virtual std::string Error(ftdi_context* context);
    // The opened adapter's chip (libftdi's enum ftdi_chip_type).
    virtual int ChipType(ftdi_context* context);
};

// Which adapter the user asked for: the first one, one by serial number, or one by USB IDs.
struct FtdiChoice {
    std::string serial;  // empty: any
    int vendor = 0;      // 0: FTDI's own IDs
    int product = 0;
};

// The board on an FTDI adapter's eight bit-bang pins (FT232R, FT232H, FT2232 interface A), in
// synchronous bit-bang mode, where each byte written is put on the pins at the adapter's byte
// clock and the pins are sampled just before it goes out (FTDI's knowledge base, "Synchronous Bit
// Bang Mode"), outputs included.
//
// Batches: a USB round trip costs about a millisecond, so lines set are queued, a wait becomes
// the last byte repeated, and a sample is one more byte whose sample is the answer. The queue goes
// out in chunks no larger than the smaller of the adapter's two FIFOs (a larger one makes the
// adapter stop mid-chunk until the host reads), split where a frame ends, so that no hold lands
// inside a frame; each chunk is read back in full before the next is written.
//
// The byte clock: the rate is set once bit-bang mode is on (libftdi scales it for bit-bang mode
// only then) to what gives a byte every microsecond at the fastest clock the adapter's documents
// allow; every wait is counted at that period with a margin of a quarter, so a slower adapter only
// lengthens the waits. At each claim a few thousand bytes are streamed at rest and timed: the time
// is the adapter's bytes plus the USB's own delays, so it bounds the byte period from above; an
// adapter whose bytes provably come faster than the program counts on is refused.
//
// What the pins do when no program drives them: the adapter's UART owns them, its inputs (RXD,
// CTS#, DSR#, DCD#, RI#: D1, D3, D5, D6, D7) pulled up to VCCIO through about 200 kOhm, its
// outputs (TXD, RTS#, DTR#: D0, D2, D4) high unless a program that opens its serial port lowers
// RTS# or DTR#. On the default map every line is on an input pin, and the board's supply switches
// are active high with pull-downs stronger than the adapter's pull-ups (see the README): so at
// plug-in, after exit and after a crash the supplies are off. The adapter is claimed at rest
// (supplies off, data and clock low; every pin an input until that byte is in the adapter's
// latch), and let go with the supplies switched off and read back: then given back to the UART
// and the kernel's serial driver when both supplies are on UART input pins, and otherwise left in
// bit-bang mode with the supplies driven off (the serial driver would drive RTS# and DTR#).
// A USB failure lets the adapter go without another byte; the next access claims it anew, at
// rest, and the last resort never claims one.
class FtdiPort final : public LinePort {
public:
    // Every wait is counted at this period, the fastest the rate set gives (the FT232R's and
    // FT2232's bit-bang clock is 16 times the baud rate, FTDI's AN232R-01), plus a quarter.
    static constexpr std::int64_t CountedByteNs = 1000;
    static constexpr int WaitMarginPercent = 25;
    // Bytes streamed at each claim to measure the clock.
    static constexpr int MeasuredBytes = 16384;

    FtdiPort(FtdiChoice choice, const PinMap& pins, Delays& clock, FtdiCalls* calls = nullptr);
    ~FtdiPort() override;
    FtdiPort(const FtdiPort&) = delete;
    FtdiPort& operator=(const FtdiPort&) = delete;

    // The adapter as the user knows it ("FT232R A6008xyz"); claims it to find out.
    std::vector<PortInfo> Ports() override;
    PortStatus Status(std::uint16_t port) override;
    void ReleaseExcept(std::optional<std::uint16_t> keep) override;
    bool Open(std::uint16_t port, OutputLines& lines) override;
    void Set(const OutputLines& lines, bool whole) override;
    std::uint64_t QueueSample() override;
    int TakeSample(std::uint64_t ticket) override;
    bool Batches() const override { return true; }
    void QueueWait(std::int64_t nanoseconds) override;
    void FrameEnd() override;
    void Flush() override;
    // The outputs as the adapter's own sample shows its pins.
    std::optional<OutputLines> ReadBack() override;
    void SuppliesOffIfHeld() noexcept override;
    std::string Facts() const override;

    // USB transfers (a write and its read-back) so far.
    std::int64_t Transfers() const { return transfers_; }
    // The byte period measured at the last claim, an upper bound; 0 before any.
    std::int64_t MeasuredByteNs() const { return measuredByteNs_; }
    // Whether letting go gives the adapter back to its UART (the map's supplies are on UART
    // input pins).
    bool GivesBackToSerial() const { return giveBack_; }

private:
    bool Claimed();
    void Claim();
    bool Measure(std::string& why);
    void Release();
    void Refuse(PortProblem problem, std::string text, std::string fix);
    [[noreturn]] void Fail(const std::string& what);
    // Writes the bytes and reads back their samples; false on any failure (`why` says).
    bool Transfer(const std::uint8_t* bytes, int count, std::uint8_t* samples, std::string& why);
    std::uint8_t ByteOf(const OutputLines& lines) const;
    OutputLines LinesOf(std::uint8_t pins) const;
    std::string Wanted() const;

    FtdiChoice choice_;
    PortBits bits_;
    Delays& clock_;
    FtdiCalls ownCalls_;
    FtdiCalls* calls_;
    bool giveBack_;
    bool tried_ = false;
    ftdi_context* context_ = nullptr;
    bool open_ = false;
    bool driving_ = false;  // in bit-bang mode, the outputs ours
    std::string name_;
    int chunk_ = 128;
    PortStatus status_;
    OutputLines lines_ = LinesAtRest;  // as last queued
    std::uint8_t current_ = 0;         // their pin byte
    std::int64_t measuredByteNs_ = 0;
    std::vector<std::uint8_t> queue_;
    std::vector<std::size_t> frameEnds_;  // positions in the queue where a frame ended
    // Queued samples: the position of each one's byte in the queue.
    std::vector<std::size_t> pending_;
    std::uint64_t firstPending_ = 0;
    // The pins sampled for the samples of the last batch sent, from ticket firstAnswer_ on.
    std::vector<std::uint8_t> answers_;
    std::uint64_t firstAnswer_ = 0;
    std::int64_t transfers_ = 0;
};
