// The settings file's reader on any bytes, and its writer on whatever the reader made of them:
// what was read is within range, and survives a write and a re-read.

#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "app/SettingsFile.h"
#include "fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4 * MaxSettingsBytes) {
        return -1;  // nothing past the ninth record is ever read
    }
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    RecentRecordBuffer record{};
    const SettingsContent read = ParseSettings(bytes, record);
    Require(read.chipType >= 0 && read.chipType <= 4, "the chip read is one of the list or none");
    Require(read.selection >= 0 && read.selection <= 9, "the selection read is one digit");
    Require(read.files.size() <= MaxRecentRecords, "at most nine files are read");

    const QByteArray written = EncodeSettings(read.chipType, read.selection, read.files, record);
    Require(written.size() <= MaxSettingsBytes, "the file written holds at most nine records");
    const SettingsContent reread = ParseSettings(written, record);
    Require(written.size() == 3 + RecentRecordSize * reread.files.size(),
            "the file written is exactly its header and records");
    Require(reread.chipType == read.chipType, "the chip survives a write and a re-read");

    // A path that no longer fits a record once its bytes were made valid UTF-8 is left out:
    // cutting it would name another file. Every other path survives, in its place in the list.
    QStringList kept;
    int selected = -1;
    for (int i = 0; i < read.files.size(); ++i) {
        if (read.files.at(i).toUtf8().size() < RecentRecordSize) {
            if (i == read.selection) {
                selected = static_cast<int>(kept.size());
            }
            kept << read.files.at(i);
        }
    }
    Require(reread.files == kept, "the recent files survive a write and a re-read");
    Require(reread.selection == (selected >= 0 ? selected : kept.size()),
            "the selected file stays selected; a selection of nothing stays one of nothing");
    return 0;
}
