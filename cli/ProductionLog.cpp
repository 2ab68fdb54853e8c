#include "cli/ProductionLog.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

namespace {

const std::vector<std::string> Header = {
    "time", "port", "chip", "file", "checksum", "serial", "calibration", "result", "duration_ms"};

}  // namespace

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::string CsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        line += (k == 0 ? "" : ",") + CsvField(fields[k]);
    }
    return line + "\r\n";
}

std::string IsoTime(const QDateTime& time) {
    // With its offset from UTC always written, "Z" included as +00:00: a log read elsewhere
    // still tells when each chip was done.
    const QDateTime local = time.toOffsetFromUtc(time.offsetFromUtc());
    const int offset = local.offsetFromUtc();
    const int minutes = (offset < 0 ? -offset : offset) / 60;
    return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")).toStdString() +
           (offset < 0 ? "-" : "+") +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'))
               .toStdString();
}

ProductionLog::~ProductionLog() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool ProductionLog::Open(const QString& path, std::string& why) {
    path_ = path;
    fd_ = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC,
                 0644);
    if (fd_ < 0) {
        why = "cannot write the log " + path.toStdString() + ": " + std::strerror(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
        why = "the log " + path.toStdString() + " is not a regular file";
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

bool ProductionLog::Append(const LogRow& row, std::string& why) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto fail = [&](const char* what) {
        why = std::string("cannot write the log ") + path_.toStdString() + " (" + what +
              "): " + std::strerror(errno);
        return false;
    };
    // Other runs appending to the same log wait for this row.
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR) {
            return fail("its lock");
        }
    }
    struct stat status {};
    const bool sized = ::fstat(fd_, &status) == 0;
    std::string text;
    if (sized && status.st_size == 0) {
        text = CsvLine(Header);
    }
    text += CsvLine({IsoTime(row.time), row.port, row.chip, row.file, row.checksum, row.serial,
                     row.calibration, row.result, std::to_string(row.milliseconds)});
    // One write, appended whole: a row is never split by another board's.
    ssize_t written = -1;
    do {
        written = ::write(fd_, text.data(), text.size());
    } while (written < 0 && errno == EINTR);
    bool ok = true;
    if (written != static_cast<ssize_t>(text.size())) {
        if (written >= 0) {
            errno = ENOSPC;
            // A part of a row would run into the next one: cut it off again. If even that fails
            // the row is reported failed all the same, below.
            if (sized && ::ftruncate(fd_, static_cast<off_t>(status.st_size)) != 0) {
                errno = ENOSPC;
            }
        }
        ok = fail("writing a row");
    } else if (::fdatasync(fd_) != 0) {
        ok = fail("flushing it");
    }
    ::flock(fd_, LOCK_UN);
    return ok;
}
