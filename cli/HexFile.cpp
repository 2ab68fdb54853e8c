#include "cli/HexFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

#include "chip/ChipTable.h"
#include "image/ChipInference.h"
#include "image/IntelHex.h"

namespace {

QString SystemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Up to MaxHexFileBytes + 1 bytes of a regular file. A FIFO or a device would make a plain open or
// read wait for a writer that never comes, and no signal would end the wait: the file is opened
// without blocking and looked at before anything is read from it.
QByteArray ReadRegularFile(const QString& path, QString& error) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = QStringLiteral("%1: %2").arg(path, SystemError(errno));
        return {};
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        error = QStringLiteral("%1: %2").arg(path, SystemError(errno));
    } else if (!S_ISREG(status.st_mode)) {
        error = QStringLiteral("%1: not a regular file").arg(path);
    }
    QByteArray bytes;
    QFile file;
    if (error.isEmpty() && file.open(fd, QIODevice::ReadOnly)) {
        bytes = file.read(MaxHexFileBytes + 1);
    }
    if (error.isEmpty() && file.error() != QFileDevice::NoError) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
    }
    file.close();
    ::close(fd);
    return bytes;
}

}  // namespace

LoadedImage LoadHexFile(const QString& path) {
    LoadedImage loaded;
    loaded.image.assign(ImageSlots, 0xFFFF);
    const QByteArray text = ReadRegularFile(path, loaded.error);
    if (!loaded.error.isEmpty()) {
        return loaded;
    }
    return HexImageFromBytes(text, path);
}

LoadedImage HexImageFromBytes(const QByteArray& text, const QString& path) {
    LoadedImage loaded;
    loaded.image.assign(ImageSlots, 0xFFFF);
    if (text.size() > MaxHexFileBytes) {
        loaded.error =
            QStringLiteral("%1: far too large for an Intel HEX file of these chips").arg(path);
        return loaded;
    }
    QString parseError;
    loaded.lastIndex =
        ParseIntelHex(text.constData(), static_cast<int>(text.size()), loaded.image.data(), -1,
                      [&](const char* message) { parseError = QString::fromLatin1(message); });
    if (!parseError.isEmpty()) {
        loaded.error = QStringLiteral(
                           "%1: %2 The file is not Intel HEX as an assembler writes it "
                           "(gpasm writes one beside the .asm file).")
                           .arg(path, parseError);
        return loaded;
    }
    if (loaded.lastIndex < 0) {
        loaded.error = QStringLiteral("%1: holds no data words").arg(path);
        return loaded;
    }
    const ChipInference inference = InferChip(loaded.image.data(), loaded.lastIndex);
    loaded.inferredChip = inference.chipType;
    loaded.calibration = inference.calibration;
    return loaded;
}

int LastUsedWord(const ChipInfo& chip, const std::vector<std::uint32_t>& image) {
    return LastUsedFrom(image.data(), chip.maxUsableAddress);
}

QByteArray ChipHexText(const ChipInfo& chip, const std::vector<std::uint32_t>& image) {
    const std::uint16_t mask = chip.family.wordMask;
    std::vector<std::uint32_t> words(ImageSlots, 0xFFFF);
    for (std::size_t k = 0; k < words.size(); ++k) {
        if ((image[k] | chip.family.ReadForceMask) != 0xFFFF) {
            words[k] = image[k] & mask;
        }
    }
    const auto config = static_cast<std::size_t>(chip.configAddress);
    words[config] = image[config] & mask;
    std::vector<char> text(HexTextCapacity);
    const int length = WriteIntelHex(chip.configAddress, words.data(), text.data());
    return QByteArray(text.data(), length);
}
