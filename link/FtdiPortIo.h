#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/PinMap.h"
#include "link/PortIo.h"

struct ftdi_context;

// One FTDI adapter on the USB, as enumeration finds it.
struct FtdiAdapter {
    int vendor = 0;
    int product = 0;
    std::string serial;  // empty when the adapter could not be asked (no permission)
};

// The libftdi1 calls FtdiPortIo makes; tests stand in for the library (and the adapter) with
// their own. Failures return a negative number, as libftdi does, and Error tells why.
class FtdiCalls {
public:
    virtual ~FtdiCalls() = default;
    virtual ftdi_context* New();
    virtual void Free(ftdi_context* context);
    // The attached adapters of FTDI's own IDs (FT232R, FT2232, FT232H ...); negative on failure.
    virtual int FindAll(ftdi_context* context, std::vector<FtdiAdapter>& found);
    // Interface A of a two-channel chip; before Open.
    virtual int UseInterfaceA(ftdi_context* context);
    // As ftdi_usb_open_desc: -3 no such adapter, -4 it cannot be opened (permission), -5 it
    // cannot be claimed (another program, or the kernel's serial driver that could not be
    // detached). `serial` may be empty: the first adapter of vendor:product.
    virtual int Open(ftdi_context* context, int vendor, int product, const std::string& serial);
    virtual int Close(ftdi_context* context);
    virtual int Reset(ftdi_context* context);
    virtual int SetLatency(ftdi_context* context, int milliseconds);
    virtual int SetBaudrate(ftdi_context* context, int baud);
    virtual int SetBitmode(ftdi_context* context, std::uint8_t outputs, std::uint8_t mode);
    virtual int Purge(ftdi_context* context);
    virtual int Write(ftdi_context* context, const std::uint8_t* bytes, int count);
    // What has arrived so far, up to count bytes; 0 when nothing has yet.
    virtual int Read(ftdi_context* context, std::uint8_t* bytes, int count);
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
// synchronous bit-bang mode. It presents the adapter as a parallel port at a nominal address: the
// data register's byte is the pin byte (D0..D7, where the pin map puts the lines), the status
// register the pins as last sampled.
//
// A USB round trip costs about a millisecond, so the backend batches (see PortIo.h): writes are
// queued, a wait becomes the last byte repeated at the adapter's byte rate (the adapter's clock
// times it, not the host's), and a read is one more byte whose sample is the answer. The adapter
// samples its pins just before it puts each byte out, so that byte's sample shows the lines as the
// byte before left them. A caller that waits on the installed clock between two writes instead
// gets the same: the wait goes into the queue as it does for QueueWait. The queue goes out in
// chunks the adapter's receive buffer can hold, each read back in full before the next is written.
//
// The adapter is claimed on first use (outputs at rest: supplies off, data and clock low) and
// given back, the supplies switched off first, when the backend ends and on every failure. An
// adapter that cannot be had reads as an absent port and Status tells why; one that fails while
// driven (unplugged) throws PortFailure, and the next access claims it anew.
class FtdiPortIo final : public PortIo {
public:
    // The nominal I/O address the adapter is presented at.
    static constexpr std::uint16_t Base = 0x0700;
    // How long the adapter holds each byte. The bit-bang clock runs at 16 times the baud rate
    // register (FTDI's AN232R-01) and libftdi sets the register to four times the rate it is given
    // in bit-bang mode, so BitBangBaud gives 1 MHz. An adapter that runs slower (a busy bus, an
    // older libftdi that does not scale) only lengthens the waits, never shortens them.
    static constexpr std::int64_t BytePeriodNs = 1000;
    static constexpr int BitBangBaud = 15625;

    FtdiPortIo(FtdiChoice choice, const PinMap& pins, FtdiCalls* calls = nullptr);
    ~FtdiPortIo() override;
    FtdiPortIo(const FtdiPortIo&) = delete;
    FtdiPortIo& operator=(const FtdiPortIo&) = delete;

    std::uint8_t In(std::uint16_t address) override;
    void Out(std::uint16_t address, std::uint8_t value) override;
    // The adapter as the user knows it ("FT232R A6008xyz"); claims it to find out.
    std::vector<PortInfo> Ports() override;
    PortStatus Status(std::uint16_t base) override;
    void ReleaseExcept(std::uint16_t keep) override;

    bool Batches() const override { return true; }
    void QueueWait(std::int64_t nanoseconds) override;
    std::uint64_t QueueIn(std::uint16_t address) override;
    std::uint8_t TakeIn(std::uint64_t ticket) override;
    void Flush() override;

    // USB transfers (a write and its read-back) so far.
    std::int64_t Transfers() const { return transfers_; }

private:
    bool Claimed();
    void Claim();
    void Release();
    void Refuse(PortProblem problem, std::string text, std::string fix);
    [[noreturn]] void Fail(const std::string& what);
    // Writes the bytes and reads back their samples; false on any failure (`why` says).
    bool Transfer(const std::uint8_t* bytes, int count, std::uint8_t* samples, std::string& why);
    std::string Wanted() const;

    FtdiChoice choice_;
    PortBits bits_;
    FtdiCalls ownCalls_;
    FtdiCalls* calls_;
    bool tried_ = false;
    ftdi_context* context_ = nullptr;
    bool open_ = false;
    bool driving_ = false;  // in bit-bang mode
    std::string name_;
    int chunk_ = 256;
    PortStatus status_;
    std::uint8_t current_ = 0;  // the pin byte last queued
    std::uint8_t sampled_ = 0;  // the pins as last sampled
    std::vector<std::uint8_t> queue_;
    // Queued reads: the position of each one's byte in the queue, or (NoByte) its answer known at
    // once.
    struct Pending {
        std::size_t position;
        std::uint8_t answer;
    };
    static constexpr std::size_t NoByte = static_cast<std::size_t>(-1);
    std::vector<Pending> pending_;
    std::uint64_t firstPending_ = 0;
    // The answers of the last batch sent, from ticket firstAnswer_ on.
    std::vector<std::uint8_t> answers_;
    std::uint64_t firstAnswer_ = 0;
    std::int64_t transfers_ = 0;
};
