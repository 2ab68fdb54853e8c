#pragma once

// The production log (--log FILE.csv): one row a chip, appended and flushed to disk before the
// next chip is asked for. Comma-separated as RFC 4180 has it (CR LF line ends, a field with a
// comma, a quote or a line break quoted, its quotes doubled), a header row when the file is new.
// Each row is one write to a file opened for appending, under a lock on the file, so that several
// boards, and several runs, can append to one log at once without mixing their rows.

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct LogRow {
    QDateTime time;
    std::string port;
    std::string chip;
    std::string file;
    std::string checksum;     // the file's, "0x1A2B"; empty for the commands without a file
    std::string serial;       // empty without --serial
    std::string calibration;  // the calibration value kept, "5A"; empty when none
    std::string result;       // "ok", "differs 3", or the fault in words
    std::int64_t milliseconds = 0;
};

// The field as RFC 4180 writes it.
std::string CsvField(const std::string& text);
// The row's fields, quoted where needed, joined by commas, ended by CR LF.
std::string CsvLine(const std::vector<std::string>& fields);
// "2024-05-01T14:03:07.123+02:00".
std::string IsoTime(const QDateTime& time);

class ProductionLog {
public:
    ProductionLog() = default;
    ~ProductionLog();
    ProductionLog(const ProductionLog&) = delete;
    ProductionLog& operator=(const ProductionLog&) = delete;

    // Opens (or creates) the log for appending; false with `why` when it cannot be written, which
    // stops the run before a board is touched.
    bool Open(const QString& path, std::string& why);
    // Appends the row (and the header first, when the file is empty) and flushes it to disk.
    bool Append(const LogRow& row, std::string& why);

private:
    QString path_;
    int fd_ = -1;
    std::mutex mutex_;
};
