#include "link/FtdiPortIo.h"

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

std::string Hex4(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value & 0xFFFF);
    return text;
}

// The chip's name for the user, and how much it may be sent before its samples are read back
// (its receive buffer: in synchronous mode it stops when that is full). Nothing for chips without
// synchronous bit-bang mode.
struct ChipFacts {
    const char* name;
    int chunk;
};

ChipFacts FactsOf(int type) {
    switch (type) {
        case TYPE_R:
            return {"FT232R", 256};
        case TYPE_2232C:
            return {"FT2232", 384};
        case TYPE_232H:
            return {"FT232H", 1024};
        case TYPE_2232H:
            return {"FT2232H", 1024};
        case TYPE_4232H:
            return {"FT4232H", 1024};
        case TYPE_230X:
            return {"FT230X", 256};
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

std::string FtdiCalls::Error(ftdi_context* context) {
    const char* text = ftdi_get_error_string(context);
    return text != nullptr ? text : "";
}

int FtdiCalls::ChipType(ftdi_context* context) {
    return context->type;
}

FtdiPortIo::FtdiPortIo(FtdiChoice choice, const PinMap& pins, FtdiCalls* calls)
    : choice_(std::move(choice)),
      bits_(BitsOf(pins, PortKind::Ftdi)),
      calls_(calls != nullptr ? calls : &ownCalls_) {
    // At rest: supplies off, data and clock low.
    current_ = bits_.Levels(0, bits_.Outputs());
}

FtdiPortIo::~FtdiPortIo() {
    try {
        Flush();
    } catch (const PortFailure&) {
        // Released already, as every failure is.
    }
    Release();
}

std::string FtdiPortIo::Wanted() const {
    if (!choice_.serial.empty()) {
        return "FTDI adapter " + choice_.serial;
    }
    if (choice_.vendor != 0) {
        return "FTDI adapter " + Hex4(choice_.vendor) + ":" + Hex4(choice_.product);
    }
    return "FTDI adapter";
}

void FtdiPortIo::Refuse(PortProblem problem, std::string text, std::string fix) {
    status_ = PortStatus{problem, {}, std::move(text), std::move(fix)};
    Release();
}

void FtdiPortIo::Release() {
    if (context_ == nullptr) {
        return;
    }
    if (open_) {
        // Supplies off before the pins float: the board's switches are off with their inputs low.
        // Only in bit-bang mode, where the byte is the pins and not a character on TXD.
        if (driving_) {
            const std::uint8_t off = static_cast<std::uint8_t>((current_ & ~bits_.Supplies()) |
                                                               bits_.Levels(0, bits_.Supplies()));
            // Whether it went out cannot change what follows: the adapter is let go either way,
            // and a failure that brought us here is already being reported.
            std::uint8_t sample = 0;
            std::string ignored;
            Transfer(&off, 1, &sample, ignored);
            driving_ = false;
        }
        calls_->SetBitmode(context_, 0, BITMODE_RESET);
        calls_->Close(context_);
        open_ = false;
    }
    calls_->Free(context_);
    context_ = nullptr;
    queue_.clear();
}

void FtdiPortIo::Claim() {
    tried_ = true;
    context_ = calls_->New();
    if (context_ == nullptr) {
        status_ = {PortProblem::Refused, {}, "libftdi cannot start (out of memory)", {}};
        return;
    }
    calls_->UseInterfaceA(context_);
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
    if (facts.chunk == 0) {
        Refuse(PortProblem::Refused, "the " + name_ + " has no synchronous bit-bang mode",
               "use an FT232R, FT232H or FT2232 adapter");
        return;
    }
    chunk_ = facts.chunk;
    if (calls_->Reset(context_) < 0 || calls_->SetLatency(context_, LatencyMs) < 0 ||
        calls_->SetBaudrate(context_, BitBangBaud) < 0 || calls_->Purge(context_) < 0 ||
        calls_->SetBitmode(context_, bits_.Outputs(), BITMODE_SYNCBB) < 0) {
        Refuse(PortProblem::Refused, "cannot set up the " + name_ + ": " + calls_->Error(context_),
               {});
        return;
    }
    driving_ = true;
    // The pins at rest, and the first sample of them.
    std::string why;
    if (!Transfer(&current_, 1, &sampled_, why)) {
        Refuse(PortProblem::Refused, "the " + name_ + " does not answer: " + why, {});
        return;
    }
    status_ = {};
}

bool FtdiPortIo::Claimed() {
    if (!tried_) {
        Claim();
    }
    return open_;
}

bool FtdiPortIo::Transfer(const std::uint8_t* bytes, int count, std::uint8_t* samples,
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

void FtdiPortIo::Fail(const std::string& what) {
    const std::string message = what + " on the " + (name_.empty() ? Wanted() : name_) + " failed";
    Release();
    // The reads of this batch are lost with it; their tickets stay used.
    firstPending_ += pending_.size();
    pending_.clear();
    tried_ = false;
    throw PortFailure(message);
}

std::uint8_t FtdiPortIo::In(std::uint16_t address) {
    return TakeIn(QueueIn(address));
}

void FtdiPortIo::Out(std::uint16_t address, std::uint8_t value) {
    if (address != Base || !Claimed()) {
        return;
    }
    current_ = value;
    queue_.push_back(value);
}

void FtdiPortIo::QueueWait(std::int64_t nanoseconds) {
    if (nanoseconds <= 0 || !Claimed()) {
        return;
    }
    // The last queued byte already holds for one period; a batch's first wait counts from an
    // unknown moment of the last one, so it gets its full length.
    std::int64_t bytes = (nanoseconds + BytePeriodNs - 1) / BytePeriodNs;
    if (!queue_.empty()) {
        --bytes;
    }
    queue_.insert(queue_.end(), static_cast<std::size_t>(bytes), current_);
}

std::uint64_t FtdiPortIo::QueueIn(std::uint16_t address) {
    const std::uint64_t ticket = firstPending_ + pending_.size();
    if (address == Base + 1 && Claimed()) {
        // One more byte of the same output: its sample, taken before it goes out, is the answer.
        pending_.push_back({queue_.size(), 0});
        queue_.push_back(current_);
    } else {
        const bool served = address == Base && Claimed();
        pending_.push_back({NoByte, served ? current_ : std::uint8_t{0xFF}});
    }
    return ticket;
}

std::uint8_t FtdiPortIo::TakeIn(std::uint64_t ticket) {
    if (ticket < firstAnswer_ || ticket >= firstPending_ + pending_.size()) {
        throw std::logic_error("a read taken twice or never queued");
    }
    if (ticket >= firstPending_) {
        Flush();
    }
    if (ticket >= firstAnswer_ + answers_.size()) {
        throw PortFailure("a read was lost with the batch that failed");
    }
    return answers_[static_cast<std::size_t>(ticket - firstAnswer_)];
}

void FtdiPortIo::Flush() {
    std::vector<std::uint8_t> samples(queue_.size());
    if (!queue_.empty()) {
        std::string why;
        if (!Transfer(queue_.data(), static_cast<int>(queue_.size()), samples.data(), why)) {
            Fail("sending " + std::to_string(queue_.size()) + " bytes (" + why + ")");
        }
        sampled_ = samples.back();
        queue_.clear();
    }
    if (pending_.empty()) {
        return;
    }
    answers_.clear();
    for (const Pending& read : pending_) {
        answers_.push_back(read.position == NoByte ? read.answer : samples[read.position]);
    }
    firstAnswer_ = firstPending_;
    firstPending_ += pending_.size();
    pending_.clear();
}

std::vector<PortInfo> FtdiPortIo::Ports() {
    return {{Base, Claimed() ? name_ : Wanted()}};
}

PortStatus FtdiPortIo::Status(std::uint16_t base) {
    if (base != Base) {
        return {PortProblem::NoPort, {}, {}, {}};
    }
    return status_;
}

void FtdiPortIo::ReleaseExcept(std::uint16_t keep) {
    if (keep != Base) {
        Release();
        // A later access (the user searching again) claims the adapter anew.
        tried_ = false;
    }
}
