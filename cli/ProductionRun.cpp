#include "cli/ProductionRun.h"

#include <QDateTime>
#include <cstdio>

#include "chip/ChipTable.h"
#include "cli/ProductionLog.h"
#include "cli/ResultTexts.h"
#include "cli/SerialCounter.h"
#include "image/Checksum.h"

namespace {

constexpr int PreviewCount = 5;
constexpr int NoCalibration = 0xFF;

bool HasImage(const LoadedImage& file) {
    return !file.image.empty();
}

std::string IdText(const ChipInfo& chip, const std::vector<std::uint16_t>& ids) {
    std::uint32_t words[IdWordCount] = {};
    bool nibbles = ids.size() == IdWordCount;
    for (std::size_t k = 0; k < ids.size() && k < IdWordCount; ++k) {
        words[k] = ids[k] & chip.family.wordMask;
        nibbles = nibbles && words[k] <= 0xF;
    }
    // As __idlocs wrote them: one number, ID0 the most significant nibble; else word by word.
    std::string text;
    char one[16];
    if (nibbles) {
        std::snprintf(one, sizeof one, "0x%04X", IdNibbles(words));
        return one;
    }
    for (std::size_t k = 0; k < ids.size() && k < IdWordCount; ++k) {
        std::snprintf(one, sizeof one, "%s0x%03X", text.empty() ? "" : " ",
                      static_cast<unsigned>(words[k]));
        text += one;
    }
    return text;
}

std::string Hex3(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%03X", value);
    return text;
}

}  // namespace

Production::Production(const CliOptions& options) : options_(options) {}

Production::~Production() = default;

bool Production::Open(std::string& why) {
    if (options_.serial) {
        serials_ = std::make_unique<SerialCounter>(*options_.serial);
    }
    if (!options_.logPath.isEmpty()) {
        log_ = std::make_unique<ProductionLog>();
        return log_->Open(options_.logPath, why);
    }
    return true;
}

std::string Production::PlaceRefusal(const ChipInfo& chip, const LoadedImage& file) const {
    if (!options_.serial || !HasImage(file)) {
        return {};
    }
    return SerialPlaceRefusal(chip, file.image, *options_.serial);
}

bool Production::Preview(const ChipInfo& chip, const LoadedImage& file, std::ostream& out,
                         std::string& why) {
    if (!options_.serial) {
        return true;
    }
    why = PlaceRefusal(chip, file);
    if (!why.empty()) {
        return false;
    }
    SerialCounter counter(*options_.serial);
    std::vector<std::uint32_t> next;
    if (!counter.Peek(PreviewCount, next, why)) {
        return false;
    }
    const SerialOptions& serial = *options_.serial;
    std::string list;
    for (const std::uint32_t number : next) {
        list += (list.empty() ? "" : ", ") + SerialText(number, counter.hex());
    }
    out << "serial numbers: the next chips get " << list << ", ..."
        << (serial.file.isEmpty() ? std::string() : " (kept in " + serial.file.toStdString() + ")")
        << "; in "
        << (serial.tableAddress ? "a table of " + std::to_string(serial.tableWords) +
                                      " return-literal words at " + Hex3(*serial.tableAddress)
                                : std::string("the ID words"))
        << '\n';
    const std::string fit = SerialFitRefusal(serial, next.front());
    if (!fit.empty()) {
        out << "refused: " << fit << '\n';
    }
    return true;
}

bool Production::BeginChip(const ChipInfo& chip, const LoadedImage& file, std::int64_t now,
                           ChipTicket& ticket, std::string& why) {
    ticket.file = file;
    ticket.serial.reset();
    ticket.started = now;
    if (!serials_ || !HasImage(file)) {
        return true;
    }
    std::uint32_t serial = 0;
    const SerialOptions& options = *options_.serial;
    if (!serials_->Reserve(
            serial, [&](std::uint32_t next) { return SerialFitRefusal(options, next); }, why)) {
        return false;
    }
    ticket.serial = serial;
    PlaceSerial(chip, ticket.file.image, options, serial);
    return true;
}

bool Production::EndChip(const ChipTicket& ticket, const std::string& port, const ChipInfo& chip,
                         const LoadedImage& file, const std::string& result,
                         const std::optional<int>& calibration, std::int64_t now,
                         std::string& why) {
    if (!log_) {
        return true;
    }
    LogRow row;
    row.time = QDateTime::currentDateTime();
    row.port = port;
    row.chip = chip.name;
    row.file = options_.file.toStdString();
    if (HasImage(file)) {
        row.checksum = ChecksumText(ImageChecksum(chip, file.image.data()));
    }
    if (ticket.serial) {
        row.serial = SerialText(*ticket.serial, serials_->hex());
    }
    if (calibration && *calibration != NoCalibration) {
        row.calibration = CalibrationByte(*calibration);
    }
    row.result = result;
    row.milliseconds = (now - ticket.started) / 1'000'000;
    return log_->Append(row, why);
}

std::vector<std::string> Production::ResultLines(const ChipOutcome& outcome, const ChipInfo& chip,
                                                 const LoadedImage& file,
                                                 const ChipTicket& ticket) const {
    std::vector<std::string> lines;
    if (!outcome.checksum) {
        return lines;
    }
    std::string line = "checksum " + ChecksumText(*outcome.checksum);
    if (HasImage(file)) {
        const std::uint16_t fileChecksum = ImageChecksum(chip, file.image.data());
        const std::uint16_t programmed = ImageChecksum(chip, ticket.file.image.data());
        line += ", the file's " + ChecksumText(fileChecksum);
        // A serial number in a table, or in the ID words of a protected chip, counts.
        if (programmed != fileChecksum) {
            line += " (" + ChecksumText(programmed) + " with the serial number)";
        }
    }
    // The ID words when they hold anything: a serial number, a version.
    bool anyId = false;
    for (const std::uint16_t word : outcome.ids) {
        anyId = anyId || !chip.family.IsBlankForProgramming(word);
    }
    if (anyId) {
        line += "; ID words " + IdText(chip, outcome.ids);
    }
    lines.push_back(line);
    if (ticket.serial) {
        lines.push_back("serial number " + SerialText(*ticket.serial, serials_->hex()));
    }
    return lines;
}

std::string LogResult(const ChipOutcome& outcome) {
    if (outcome.passed) {
        return "ok";
    }
    if (outcome.differences > 0) {
        return "differs " + std::to_string(outcome.differences);
    }
    return outcome.summary;
}
