#include "cli/SerialCounter.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace {

std::string Errno() {
    return std::strerror(errno);
}

// An open descriptor, closed when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool WriteAll(int fd, const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

SerialCounter::SerialCounter(const SerialOptions& options) : options_(options), hex_(options.hex) {
    if (options_.file.isEmpty()) {
        next_ = options_.start;
    }
}

bool SerialCounter::ReadNext(std::uint32_t& next, std::string& why) {
    QFile file(options_.file);
    if (!file.exists()) {
        if (!options_.start) {
            why = "the serial file " + options_.file.toStdString() +
                  " does not exist; give --serial START for the first number";
            return false;
        }
        next = *options_.start;
        return true;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        why = "cannot read the serial file " + options_.file.toStdString() + ": " +
              file.errorString().toStdString();
        return false;
    }
    const QString text = QString::fromUtf8(file.read(64)).trimmed();
    const std::optional<std::uint32_t> stored =
        ParseSerialNumber(text.section(QLatin1Char('\n'), 0, 0));
    if (!stored) {
        why = "the serial file " + options_.file.toStdString() + " holds no number (\"" +
              text.left(20).toStdString() + "\"); it is left as it is: mend it or give another";
        return false;
    }
    hex_ = text.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive);
    // A START above the stored number moves on to it: numbers may be skipped, never repeated.
    next = options_.start && *options_.start > *stored ? *options_.start : *stored;
    if (options_.start && *options_.start > *stored) {
        hex_ = options_.hex;
    }
    return true;
}

bool SerialCounter::WriteNext(std::uint32_t next, std::string& why) {
    const QString path = options_.file;
    const QString folder = QFileInfo(path).absolutePath();
    const QByteArray temporary = QFile::encodeName(path + QStringLiteral(".XXXXXX"));
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    const auto fail = [&](const std::string& what) {
        why = "cannot write the serial file " + path.toStdString() + " (" + what + "): " + Errno() +
              "; no chip was touched";
        return false;
    };
    Descriptor fd(::mkstemp(name.data()));
    if (fd.get() < 0) {
        return fail("a temporary file beside it");
    }
    const std::string text = SerialText(next, hex_) + "\n";
    if (!WriteAll(fd.get(), text) || ::fchmod(fd.get(), 0644) != 0 || ::fsync(fd.get()) != 0) {
        const int error = errno;
        ::unlink(name.data());
        errno = error;
        return fail("writing it");
    }
    if (::rename(name.data(), QFile::encodeName(path).constData()) != 0) {
        const int error = errno;
        ::unlink(name.data());
        errno = error;
        return fail("putting it in place");
    }
    // The rename is on disk only once the folder is.
    Descriptor directory(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY));
    if (directory.get() < 0 || ::fsync(directory.get()) != 0) {
        return fail("flushing its folder");
    }
    return true;
}

bool SerialCounter::Reserve(std::uint32_t& serial,
                            const std::function<std::string(std::uint32_t)>& refusal,
                            std::string& why) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (next_) {
        why = refusal ? refusal(*next_) : std::string();
        if (!why.empty()) {
            return false;
        }
        serial = *next_;
        next_ = *next_ + options_.step;
        return true;
    }
    // Other runs on the same file wait here: the folder's lock covers the read and the write.
    const QString folder = QFileInfo(options_.file).absolutePath();
    Descriptor directory(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY));
    if (directory.get() < 0 || ::flock(directory.get(), LOCK_EX) != 0) {
        why = "cannot use the serial file's folder " + folder.toStdString() + ": " + Errno();
        return false;
    }
    std::uint32_t next = 0;
    if (!ReadNext(next, why)) {
        return false;
    }
    why = refusal ? refusal(next) : std::string();
    if (!why.empty()) {
        return false;
    }
    if (next > 0xFFFFFFFFu - options_.step) {
        why = "the serial numbers have run out at " + SerialText(next, hex_);
        return false;
    }
    if (!WriteNext(next + options_.step, why)) {
        return false;
    }
    serial = next;
    return true;  // the folder's lock goes with its descriptor
}

bool SerialCounter::Peek(int count, std::vector<std::uint32_t>& serials, std::string& why) {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::uint32_t next = 0;
    if (next_) {
        next = *next_;
    } else if (!ReadNext(next, why)) {
        return false;
    }
    for (int k = 0; k < count; ++k) {
        serials.push_back(next + static_cast<std::uint32_t>(k) * options_.step);
    }
    return true;
}
