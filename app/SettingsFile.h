#pragma once

// The settings file's bytes: a chip digit, a selection digit, a count digit, then one 100-byte
// record per recent file (its UTF-8 path, a zero byte, and whatever follows). No signature, no
// line ends.

#include <QByteArray>
#include <QStringList>
#include <array>

constexpr int RecentRecordSize = 100;
using RecentRecordBuffer = std::array<char, RecentRecordSize>;
// Nine records at most: the count is one digit.
constexpr int MaxRecentRecords = 9;
constexpr int MaxSettingsBytes = 3 + RecentRecordSize * MaxRecentRecords;

struct SettingsContent {
    int chipType = 0;   // 0..4; anything else in the file reads as 0
    int selection = 0;  // 0..9; it may name no entry
    QStringList files;  // the complete records, in file order
};

// Every record passes through `record`, the dialog's record buffer.
SettingsContent ParseSettings(const QByteArray& bytes, RecentRecordBuffer& record);

// What is written for the dialog's state. Only paths that fit a record (99 UTF-8 bytes) are
// written, at most nine of them; when the selected file would not be among the first nine it
// takes the ninth place, so that the next start reloads it. A selection that names no written
// entry is written as the count, which names none.
QByteArray EncodeSettings(int chipType, int selection, const QStringList& files,
                          RecentRecordBuffer& record);
