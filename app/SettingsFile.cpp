#include "app/SettingsFile.h"

#include <algorithm>
#include <cstring>

namespace {

int DigitAt(const QByteArray& bytes, int offset) {
    if (offset >= bytes.size()) {
        return 0;
    }
    const char c = bytes.at(offset);
    return c >= '0' && c <= '9' ? c - '0' : 0;
}

char Digit(int value) {
    return static_cast<char>('0' + std::clamp(value, 0, 9));
}

}  // namespace

SettingsContent ParseSettings(const QByteArray& bytes, RecentRecordBuffer& record) {
    SettingsContent content;
    content.chipType = DigitAt(bytes, 0);
    if (content.chipType > 4) {
        content.chipType = 0;
    }
    content.selection = DigitAt(bytes, 1);
    const int count = DigitAt(bytes, 2);
    for (int k = 0; k < count; ++k) {
        const int offset = 3 + RecentRecordSize * k;
        if (offset + RecentRecordSize > bytes.size()) {
            break;  // the file ends before this record: keep the complete ones
        }
        std::memcpy(record.data(), bytes.constData() + offset, RecentRecordSize);
        // A record without its zero byte is read as its first 99 bytes.
        const auto* end = std::find(record.begin(), record.begin() + RecentRecordSize - 1, '\0');
        content.files << QString::fromUtf8(record.data(), static_cast<int>(end - record.begin()));
    }
    return content;
}

QByteArray EncodeSettings(int chipType, int selection, const QStringList& files,
                          RecentRecordBuffer& record) {
    QList<QByteArray> paths;
    int selected = -1;
    for (int i = 0; i < files.size(); ++i) {
        const QByteArray path = files.at(i).toUtf8();
        if (path.size() >= RecentRecordSize) {
            continue;  // cutting it would name another file
        }
        if (i == selection) {
            selected = static_cast<int>(paths.size());
        }
        paths << path;
    }
    if (paths.size() > MaxRecentRecords) {
        if (selected >= MaxRecentRecords) {
            paths[MaxRecentRecords - 1] = paths.at(selected);
            selected = MaxRecentRecords - 1;
        }
        paths = paths.mid(0, MaxRecentRecords);
    }
    if (selected < 0) {
        selected = static_cast<int>(paths.size());
    }

    QByteArray bytes;
    bytes.append(Digit(chipType >= 0 && chipType <= 4 ? chipType : 0));
    bytes.append(Digit(selected));
    bytes.append(Digit(static_cast<int>(paths.size())));
    for (const QByteArray& path : paths) {
        // The bytes after the zero keep what the buffer held before: readers stop at the zero, and
        // settings files already on users' disks carry such tails, so the bytes match theirs.
        std::memcpy(record.data(), path.constData(), static_cast<std::size_t>(path.size()));
        record[static_cast<std::size_t>(path.size())] = '\0';
        bytes.append(record.data(), RecentRecordSize);
    }
    return bytes;
}
