#include "cli/HexFile.h"

#include <QFile>

#include "chip/ChipTable.h"
#include "image/ChipInference.h"
#include "image/IntelHex.h"

LoadedImage LoadHexFile(const QString& path) {
    LoadedImage loaded;
    loaded.image.assign(ImageSlots, 0xFFFF);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        loaded.error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return loaded;
    }
    const QByteArray text = file.read(MaxHexFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        loaded.error = QStringLiteral("%1: %2").arg(path, file.errorString());
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
