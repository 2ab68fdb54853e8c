#include "cli/StdinHexFile.h"

#include <QByteArray>

LoadedImage LoadHexStream(std::istream& in) {
    const QString name = QStringLiteral("standard input");
    QByteArray text(MaxHexFileBytes + 1, '\0');
    in.read(text.data(), text.size());
    if (in.bad()) {
        LoadedImage failed;
        failed.error = name + QStringLiteral(": cannot be read");
        return failed;
    }
    text.truncate(static_cast<qsizetype>(in.gcount()));
    return HexImageFromBytes(text, name);
}
