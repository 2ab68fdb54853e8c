#include "link/FtdiPort.h"

#include <ftdi.h>
#include <libusb.h>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

// The shortest latency the adapters take: a short batch comes back without waiting for more.
constexpr int LatencyMs = 1;
// Reads that bring nothing, in a row, before a read-back counts as lost: with the latency above
// each takes about a millisecond, so this is a second on top of the batch itself.
constexpr int EmptyReadsAllowed = 1000;
// The rate given to libftdi once bit-bang mode is on: it sets the baud rate generator to four
// times this (libftdi's ftdi_set_baudrate), and the FT232R's and FT2232's bit-bang byte clock is
// 16 times the generator's rate (FTDI's AN232R-01): a byte a microsecond. The H chips' clock
// comes from another base and is no faster at this setting. FTDI's errata for the FT232R
// (bit-bang timing) report irregular, longer byte periods at low rates, never shorter ones; this
// rate is far from the low end, and the measurement at each claim shows what the adapter does.
constexpr int BitBangBaud = 15625;
// The pins that are inputs of the adapter's UART (RXD, CTS#, DSR#, DCD#, RI#), pulled up to VCCIO
// while no program drives them; TXD, RTS# and DTR# (D0, D2, D4) are its outputs.
constexpr std::uint8_t UartInputs = 0xEA;

std::string Hex4(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value & 0xFFFF);
    return text;
}

// The chip's name for the user, and the smaller of its two FIFOs: in synchronous mode it stops
// when either is full, so a chunk no larger than that is played without a hold. Nothing for chips
// without synchronous bit-bang mode.
struct ChipFacts {
    const char* name;
    int fifo;
};

ChipFacts FactsOf(int type) {
    switch (type) {
        case TYPE_R:
            return {"FT232R", 128};
        case TYPE_2232C:
            return {"FT2232", 128};
        case TYPE_232H:
            return {"FT232H", 1024};
        case TYPE_2232H:
            return {"FT2232H", 1024};
        case TYPE_4232H:
            return {"FT4232H", 1024};
        case TYPE_230X:
            return {"FT230X", 512};
        case TYPE_BM:
            return {"FT232BM", 0};
        default:
            return {"FT8U232AM", 0};
    }
}

const std::string BusyFix =
    "close the program that uses it; if the kernel's serial driver keeps it, run sudo rmmod "
    "ftdi_sio (or unbind the adapter from ftdi_sio in /sys/bus/usb/drivers/ftdi_sio)";
const std::string PermissionFix =
    "install the package's udev rule (60-chipsmith-ftdi.rules), then unplug the adapter and plug "
    "it in again; or run as root";

}  // namespace

ftdi_context* FtdiCalls::New() {
    return ftdi_new();
}

void FtdiCalls::Free(ftdi_context* context) {
    ftdi_free(context);
}

int FtdiCalls::FindAll(ftdi_context* context, std::vector<FtdiAdapter>& found) {
    ftdi_device_list* list = nullptr;
    const int count = ftdi_usb_find_all(context, &list, 0, 0);
    if (count < 0) {
        return count;
    }
    for (ftdi_device_list* entry = list; entry != nullptr; entry = entry->next) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(entry->dev, &descriptor) != 0) {
            continue;
        }
        char serial[64] = {};
        if (ftdi_usb_get_strings(context, entry->dev, nullptr, 0, nullptr, 0, serial,
                                 sizeof serial) < 0) {
            serial[0] = '\0';
        }
        found.push_back({descriptor.idVendor, descriptor.idProduct, serial});
    }
    ftdi_list_free(&list);
    return count;
}

int FtdiCalls::UseInterfaceA(ftdi_context* context) {
    return ftdi_set_interface(context, INTERFACE_A);
}

void FtdiCalls::GiveBackToKernel(ftdi_context* context, bool giveBack) {
    context->module_detach_mode =
        giveBack ? AUTO_DETACH_REATACH_SIO_MODULE : AUTO_DETACH_SIO_MODULE;
}

int FtdiCalls::Open(ftdi_context* context, int vendor, int product, const std::string& serial) {
    return ftdi_usb_open_desc(context, vendor, product, nullptr,
                              serial.empty() ? nullptr : serial.c_str());
}

int FtdiCalls::Close(ftdi_context* context) {
    return ftdi_usb_close(context);
}

int FtdiCalls::Reset(ftdi_context* context) {
    return ftdi_usb_reset(context);
}

int FtdiCalls::SetLatency(ftdi_context* context, int milliseconds) {
    return ftdi_set_latency_timer(context, static_cast<unsigned char>(milliseconds));
}

int FtdiCalls::SetBaudrate(ftdi_context* context, int baud) {
    return ftdi_set_baudrate(context, baud);
}

int FtdiCalls::SetBitmode(ftdi_context* context, std::uint8_t outputs, std::uint8_t mode) {
    return ftdi_set_bitmode(context, outputs, mode);
}

int FtdiCalls::Purge(ftdi_context* context) {
    return ftdi_tcioflush(context);
}

int FtdiCalls::Write(ftdi_context* context, const std::uint8_t* bytes, int count) {
    return ftdi_write_data(context, bytes, count);
}

int FtdiCalls::Read(ftdi_context* context, std::uint8_t* bytes, int count) {
    return ftdi_read_data(context, bytes, count);
}

int FtdiCalls::Stream(ftdi_context* context, const std::uint8_t* bytes, int count,
                      std::uint8_t* samples) {
    // The read goes first, so the adapter's samples never wait for the host.
    ftdi_transfer_control* reading = ftdi_read_data_submit(context, samples, count);
    if (reading == nullptr) {
        return -1;
    }
    ftdi_transfer_control* writing =
        ftdi_write_data_submit(context, const_cast<std::uint8_t*>(bytes), count);
    const int written = writing != nullptr ? ftdi_transfer_data_done(writing) : -1;
    const int read = ftdi_transfer_data_done(reading);
    return written < 0 ? written : read;
}

std::string FtdiCalls::Error(ftdi_context* context) {
    const char* text = ftdi_get_error_string(context);
    return text != nullptr ? text : "";
}

int FtdiCalls::ChipType(ftdi_context* context) {
    return context->type;
}

FtdiPort::FtdiPort(FtdiChoice choice, const PinMap& pins, Delays& clock, FtdiCalls* calls)
    : choice_(std::move(choice)),
      bits_(BitsOf(pins, PortKind::Ftdi)),
      clock_(clock),
      calls_(calls != nullptr ? calls : &ownCalls_),
      giveBack_((bits_.Supplies() & ~UartInputs) == 0) {
    current_ = ByteOf(lines_);
}

FtdiPort::~FtdiPort() {
    try {
        Flush();
    } catch (const PortFailure&) {
        // Let go already, as every failure is.
    }
    Release();
}

std::uint8_t FtdiPort::ByteOf(const OutputLines& lines) const {
    const PortBits& bits = bits_;
    const std::uint8_t high =
        static_cast<std::uint8_t>((lines.data ? bits.data : 0) | (lines.clock ? bits.clock : 0) |
                                  (lines.vdd ? bits.vdd : 0) | (lines.vpp ? bits.vpp : 0));
    return bits.Levels(high, static_cast<std::uint8_t>(bits.Outputs() & ~high));
}

OutputLines FtdiPort::LinesOf(std::uint8_t pins) const {
    const PortBits& bits = bits_;
    return {bits.High(pins, bits.data), bits.High(pins, bits.clock), bits.High(pins, bits.vdd),
            bits.High(pins, bits.vpp)};
}

std::string FtdiPort::Wanted() const {
    if (!choice_.serial.empty()) {
        return "FTDI adapter " + choice_.serial;
    }
    if (choice_.vendor != 0) {
        return "FTDI adapter " + Hex4(choice_.vendor) + ":" + Hex4(choice_.product);
    }
    return "FTDI adapter";
}

void FtdiPort::Refuse(PortProblem problem, std::string text, std::string fix) {
    status_ = PortStatus{problem, {}, std::move(text), std::move(fix)};
    Release();
}

void FtdiPort::Release() {
    if (context_ == nullptr) {
        return;
    }
    if (open_) {
        if (driving_) {
            // Supplies off before the pins go, and read back: the second byte's sample shows the
            // pins as the first left them.
            const std::uint8_t off = ByteOf(lines_.WithSuppliesOff());
            const std::uint8_t bytes[2] = {off, off};
            std::uint8_t samples[2] = {};
            std::string ignored;
            // Whether it went out cannot change what follows: the adapter is let go either way,
            // and a failure that brought us here is already being reported.
            Transfer(bytes, 2, samples, ignored);
            lines_ = lines_.WithSuppliesOff();
            driving_ = false;
            if (giveBack_) {
                // Every line of the board is on a UART input: held off by the board as when no
                // program has the adapter, which goes back to being a serial adapter.
                calls_->SetBitmode(context_, 0, BITMODE_RESET);
            }
        }
        calls_->Close(context_);
        open_ = false;
    }
    calls_->Free(context_);
    context_ = nullptr;
    queue_.clear();
    frameEnds_.clear();
}

void FtdiPort::Claim() {
    tried_ = true;
    measuredByteNs_ = 0;
    // A claim starts at rest, whatever the adapter was doing when it was let go.
    lines_ = LinesAtRest;
    current_ = ByteOf(lines_);
    context_ = calls_->New();
    if (context_ == nullptr) {
        status_ = {PortProblem::Refused, {}, "libftdi cannot start (out of memory)", {}};
        return;
    }
    calls_->UseInterfaceA(context_);
    calls_->GiveBackToKernel(context_, giveBack_);
    int vendor = choice_.vendor;
    int product = choice_.product;
    if (vendor == 0) {
        std::vector<FtdiAdapter> found;
        if (calls_->FindAll(context_, found) < 0) {
            Refuse(PortProblem::Refused, "cannot list the USB devices: " + calls_->Error(context_),
                   {});
            return;
        }
        auto match = found.begin();
        if (!choice_.serial.empty()) {
            // An adapter whose serial could not be read may still be it: opening it will tell.
            match = std::find_if(found.begin(), found.end(), [this](const FtdiAdapter& adapter) {
                return adapter.serial == choice_.serial || adapter.serial.empty();
            });
        }
        if (match == found.end()) {
            std::string others;
            for (const FtdiAdapter& adapter : found) {
                others += (others.empty() ? "" : ", ") + adapter.serial;
            }
            Refuse(PortProblem::NoDevice,
                   found.empty() ? "no FTDI adapter found"
                                 : "no FTDI adapter with serial number " + choice_.serial +
                                       " (there are " + others + ")",
                   found.empty() ? "plug in the board's FT232R, FT232H or FT2232 adapter, or "
                                   "choose another port with --port"
                                 : "give one of those as --port ftdi:SERIAL");
            return;
        }
        vendor = match->vendor;
        product = match->product;
        if (choice_.serial.empty()) {
            name_ = match->serial;
        }
    }
    const std::string serial = choice_.serial.empty() ? name_ : choice_.serial;
    const int opened = calls_->Open(context_, vendor, product, serial);
    if (opened < 0) {
        const std::string why = calls_->Error(context_);
        if (opened == -3) {
            Refuse(PortProblem::NoDevice, "no " + Wanted() + " found (" + why + ")",
                   "plug it in, or list the adapters with lsusb");
        } else if (opened == -4 || opened == -8 || opened == -9) {
            Refuse(PortProblem::PermissionDenied, "permission denied on the " + Wanted(),
                   PermissionFix);
        } else if (opened == -5) {
            Refuse(PortProblem::Busy, "the " + Wanted() + " is busy (" + why + ")", BusyFix);
        } else {
            Refuse(PortProblem::Refused, "cannot open the " + Wanted() + ": " + why, {});
        }
        return;
    }
    open_ = true;
    const ChipFacts facts = FactsOf(calls_->ChipType(context_));
    name_ = serial.empty() ? facts.name : std::string(facts.name) + " " + serial;
    if (facts.fifo == 0) {
        Refuse(PortProblem::Refused, "the " + name_ + " has no synchronous bit-bang mode",
               "use an FT232R, FT232H or FT2232 adapter");
        return;
    }
    chunk_ = facts.fifo;
    const auto refuseSetUp = [this] {
        Refuse(PortProblem::Refused, "cannot set up the " + name_ + ": " + calls_->Error(context_),
               {});
    };
    // The SIO reset only while the pins are still the UART's: it clears RTS and DTR. Then
    // bit-bang mode with every pin an input, so that the rate is scaled for bit-bang mode and the
    // resting byte is in the adapter's latch before any pin drives it.
    if (calls_->Reset(context_) < 0 || calls_->SetLatency(context_, LatencyMs) < 0 ||
        calls_->Purge(context_) < 0 || calls_->SetBitmode(context_, 0, BITMODE_SYNCBB) < 0 ||
        calls_->SetBaudrate(context_, BitBangBaud) < 0) {
        refuseSetUp();
        return;
    }
    std::string why;
    std::uint8_t samples[2] = {};
    const std::uint8_t rest[2] = {current_, current_};
    if (!Transfer(rest, 1, samples, why)) {
        Refuse(PortProblem::Refused, "the " + name_ + " does not answer: " + why, {});
        return;
    }
    if (calls_->SetBitmode(context_, bits_.Outputs(), BITMODE_SYNCBB) < 0) {
        refuseSetUp();
        return;
    }
    driving_ = true;
    if (!Transfer(rest, 2, samples, why)) {
        Refuse(PortProblem::Refused, "the " + name_ + " does not answer: " + why, {});
        return;
    }
    if (LinesOf(samples[1]) != lines_) {
        Refuse(PortProblem::Refused, "the " + name_ + "'s pins do not hold what is written to them",
               "check the board's wiring (--pins) for a pin tied to a supply");
        return;
    }
    if (!Measure(why)) {
        Refuse(PortProblem::Refused, "the " + name_ + " does not answer: " + why, {});
        return;
    }
    if (measuredByteNs_ < CountedByteNs) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "the %s clocks its pins faster than this program counts on: a byte every "
                      "%.2f us or less, counted as %.2f us",
                      name_.c_str(), static_cast<double>(measuredByteNs_) / 1000.0,
                      static_cast<double>(CountedByteNs) / 1000.0);
        Refuse(PortProblem::Refused, text, "use an FT232R, FT232H or FT2232 adapter");
        return;
    }
    status_ = {};
}

bool FtdiPort::Measure(std::string& why) {
    const std::vector<std::uint8_t> bytes(MeasuredBytes, current_);
    std::vector<std::uint8_t> samples(MeasuredBytes);
    const std::int64_t start = clock_.Now();
    const int got = calls_->Stream(context_, bytes.data(), MeasuredBytes, samples.data());
    const std::int64_t took = clock_.Now() - start;
    ++transfers_;
    if (got != MeasuredBytes) {
        why = got < 0 ? calls_->Error(context_)
                      : "it sent back " + std::to_string(got) + " of " +
                            std::to_string(MeasuredBytes) + " samples";
        return false;
    }
    // The USB's own delays only add to the time, so this is never less than the byte period.
    measuredByteNs_ = took / MeasuredBytes;
    return true;
}

bool FtdiPort::Claimed() {
    if (!tried_) {
        Claim();
    }
    return open_ && driving_;
}

bool FtdiPort::Transfer(const std::uint8_t* bytes, int count, std::uint8_t* samples,
                        std::string& why) {
    for (int sent = 0; sent < count;) {
        const int size = std::min(chunk_, count - sent);
        const int written = calls_->Write(context_, bytes + sent, size);
        ++transfers_;
        if (written != size) {
            why = written < 0 ? calls_->Error(context_)
                              : "wrote " + std::to_string(written) + " of " + std::to_string(size) +
                                    " bytes";
            return false;
        }
        // Synchronous mode sends one sample for every byte written; all must come back before
        // more is written, or the adapter stops with a full buffer.
        int empty = 0;
        for (int got = 0; got < size;) {
            const int read = calls_->Read(context_, samples + sent + got, size - got);
            if (read < 0) {
                why = calls_->Error(context_);
                return false;
            }
            empty = read == 0 ? empty + 1 : 0;
            if (empty > EmptyReadsAllowed) {
                why = "it sent back " + std::to_string(got) + " of " + std::to_string(size) +
                      " samples";
                return false;
            }
            got += read;
        }
        sent += size;
    }
    return true;
}

void FtdiPort::Fail(const std::string& what) {
    const std::string message = what + " on the " + (name_.empty() ? Wanted() : name_) + " failed";
    // One try at the supplies, without waiting for an answer: the adapter may still take a byte,
    // and if it does not nothing else could reach it. Then it is let go as it is.
    if (open_ && driving_) {
        const std::uint8_t off = ByteOf(lines_.WithSuppliesOff());
        calls_->Write(context_, &off, 1);
    }
    driving_ = false;
    Release();
    // The samples of this batch are lost with it; their tickets stay used.
    firstPending_ += pending_.size();
    pending_.clear();
    tried_ = false;
    throw PortFailure(message);
}

void FtdiPort::Set(const OutputLines& lines, bool) {
    if (!Claimed()) {
        throw PortFailure("the " + Wanted() + " is not held: " + status_.text);
    }
    lines_ = lines;
    current_ = ByteOf(lines);
    queue_.push_back(current_);
}

void FtdiPort::QueueWait(std::int64_t nanoseconds) {
    if (nanoseconds <= 0 || !Claimed()) {
        return;
    }
    // Counted at the fastest period, plus the margin. The last queued byte already holds for one
    // period; a batch's first wait counts from an unknown moment of the last one, so it gets its
    // full length.
    const std::int64_t counted = nanoseconds * (100 + WaitMarginPercent) / 100;
    std::int64_t bytes = (counted + CountedByteNs - 1) / CountedByteNs;
    if (!queue_.empty()) {
        --bytes;
    }
    queue_.insert(queue_.end(), static_cast<std::size_t>(bytes), current_);
}

void FtdiPort::FrameEnd() {
    if (!queue_.empty() && (frameEnds_.empty() || frameEnds_.back() != queue_.size())) {
        frameEnds_.push_back(queue_.size());
    }
}

std::uint64_t FtdiPort::QueueSample() {
    if (!Claimed()) {
        throw PortFailure("the " + Wanted() + " is not held: " + status_.text);
    }
    const std::uint64_t ticket = firstPending_ + pending_.size();
    // One more byte of the same output: its sample, taken before it goes out, is the answer.
    pending_.push_back(queue_.size());
    queue_.push_back(current_);
    return ticket;
}

int FtdiPort::TakeSample(std::uint64_t ticket) {
    if (ticket < firstAnswer_ || ticket >= firstPending_ + pending_.size()) {
        throw std::logic_error("a sample taken twice or never queued");
    }
    if (ticket >= firstPending_) {
        Flush();
    }
    if (ticket >= firstAnswer_ + answers_.size()) {
        throw PortFailure("a sample was lost with the batch that failed");
    }
    return bits_.ReturnLevel(answers_[static_cast<std::size_t>(ticket - firstAnswer_)]);
}

void FtdiPort::Flush() {
    std::vector<std::uint8_t> samples(queue_.size());
    std::size_t sent = 0;
    std::size_t nextEnd = 0;
    while (sent < queue_.size()) {
        const std::size_t limit = std::min(queue_.size(), sent + static_cast<std::size_t>(chunk_));
        // Split where a frame ended, so the hold between two chunks falls between frames.
        std::size_t cut = limit;
        if (limit < queue_.size()) {
            std::size_t lastEnd = 0;
            while (nextEnd < frameEnds_.size() && frameEnds_[nextEnd] <= limit) {
                lastEnd = frameEnds_[nextEnd];
                ++nextEnd;
            }
            if (lastEnd > sent) {
                cut = lastEnd;
            }
        }
        std::string why;
        if (!Transfer(queue_.data() + sent, static_cast<int>(cut - sent), samples.data() + sent,
                      why)) {
            Fail("sending " + std::to_string(queue_.size()) + " bytes (" + why + ")");
        }
        sent = cut;
    }
    queue_.clear();
    frameEnds_.clear();
    if (pending_.empty()) {
        return;
    }
    answers_.clear();
    for (std::size_t position : pending_) {
        answers_.push_back(samples[position]);
    }
    firstAnswer_ = firstPending_;
    firstPending_ += pending_.size();
    pending_.clear();
}

std::optional<OutputLines> FtdiPort::ReadBack() {
    // The next byte's sample shows every pin, the outputs included, as the lines now stand.
    const std::uint64_t ticket = QueueSample();
    Flush();
    return LinesOf(answers_[static_cast<std::size_t>(ticket - firstAnswer_)]);
}

void FtdiPort::SuppliesOffIfHeld() noexcept {
    if (!open_ || !driving_) {
        return;
    }
    // What is queued belongs to a run that is being abandoned: it may hold the supplies on.
    queue_.clear();
    frameEnds_.clear();
    firstPending_ += pending_.size();
    pending_.clear();
    lines_ = lines_.WithSuppliesOff();
    current_ = ByteOf(lines_);
    try {
        std::uint8_t sample = 0;
        std::string ignored;
        Transfer(&current_, 1, &sample, ignored);
    } catch (...) {
        // The last resort has no one to tell.
    }
}

std::vector<PortInfo> FtdiPort::Ports() {
    return {{0, Claimed() ? name_ : Wanted()}};
}

PortStatus FtdiPort::Status(std::uint16_t) {
    return status_;
}

void FtdiPort::ReleaseExcept(std::optional<std::uint16_t> keep) {
    if (!keep) {
        Release();
        // A later access (the user searching again) claims the adapter anew.
        tried_ = false;
    }
}

bool FtdiPort::Open(std::uint16_t, OutputLines& lines) {
    const bool held = Claimed();
    lines = lines_;
    return held;
}

std::string FtdiPort::Facts() const {
    if (measuredByteNs_ == 0) {
        return {};
    }
    char text[160];
    std::snprintf(text, sizeof text,
                  "%s: a byte every %.2f us or less (measured), counted as %.2f us plus %d %%",
                  name_.c_str(), static_cast<double>(measuredByteNs_) / 1000.0,
                  static_cast<double>(CountedByteNs) / 1000.0, WaitMarginPercent);
    return text;
}
