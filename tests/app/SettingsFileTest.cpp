#include <gtest/gtest.h>

#include "app/SettingsFile.h"

namespace {

QByteArray Record(const QByteArray& path) {
    return path + QByteArray(100 - path.size(), '\0');
}

TEST(SettingsFileTest, WrittenBytesAreDigitsThenHundredByteRecords) {
    RecentRecordBuffer record{};
    EXPECT_EQ(EncodeSettings(0, 0, {}, record), QByteArray("000"));
    const QByteArray two = EncodeSettings(3, 0, {"/data/a.hex", "/data/b.hex"}, record);
    EXPECT_EQ(two.size(), 203);
    EXPECT_EQ(two, "302" + Record("/data/a.hex") + Record("/data/b.hex"));
    // A file opened twice stands twice.
    EXPECT_EQ(EncodeSettings(1, 1, {"/x.hex", "/x.hex"}, record).count("/x.hex"), 2);
}

TEST(SettingsFileTest, BytesAfterARecordsZeroAreIgnored) {
    RecentRecordBuffer record{};
    const QByteArray bytes = EncodeSettings(0, 0, {"/long/long/name.hex", "/b.hex"}, record);
    EXPECT_EQ(bytes.mid(103, 7), QByteArray("/b.hex\0", 7));
    RecentRecordBuffer other{};
    EXPECT_EQ(ParseSettings(bytes, other).files, (QStringList{"/long/long/name.hex", "/b.hex"}));
}

TEST(SettingsFileTest, ReadingTakesOneDigitPerHeaderByteAndOnlyCompleteRecords) {
    const struct {
        QByteArray bytes;
        int chipType, selection;
        QStringList files;
    } rows[] = {
        {"", 0, 0, {}},
        {"4", 4, 0, {}},
        {"5", 0, 0, {}},  // no chip above 4
        {"9x", 0, 0, {}},
        {"A7B", 0, 7, {}},
        {"111" + Record("/a.hex"), 1, 1, {"/a.hex"}},
        {"103" + Record("/a.hex") + Record("/b.hex") + "/c.hex", 1, 0, {"/a.hex", "/b.hex"}},
        {"101" + QByteArray(100, 'x'), 1, 0, {QString(99, 'x')}},
        {"201" + Record("/d\xc3\xa9j\xc3\xa0.hex"), 2, 0, {QString::fromUtf8("/déjà.hex")}},
    };
    for (const auto& row : rows) {
        RecentRecordBuffer record{};
        const SettingsContent content = ParseSettings(row.bytes, record);
        EXPECT_EQ(content.chipType, row.chipType) << row.bytes.left(3).toStdString();
        EXPECT_EQ(content.selection, row.selection) << row.bytes.left(3).toStdString();
        EXPECT_EQ(content.files, row.files) << row.bytes.left(3).toStdString();
    }
}

TEST(SettingsFileTest, ManyEntriesWriteNineAndKeepTheSelectedOneReloadable) {
    QStringList files;
    for (int i = 0; i < 12; ++i) {
        files << QStringLiteral("/f%1.hex").arg(i);
    }
    const struct {
        int selection;
        char selectionDigit;
        QString ninth;
    } rows[] = {
        {0, '0', "/f8.hex"},
        {8, '8', "/f8.hex"},
        {11, '8', "/f11.hex"},  // the selected file takes the ninth place
        {-1, '9', "/f8.hex"},   // nothing selected: the digit names no entry
    };
    for (const auto& row : rows) {
        RecentRecordBuffer record{};
        const QByteArray bytes = EncodeSettings(2, row.selection, files, record);
        ASSERT_EQ(bytes.size(), 903);
        EXPECT_EQ(bytes.at(1), row.selectionDigit);
        EXPECT_EQ(bytes.at(2), '9');
        RecentRecordBuffer back{};
        const SettingsContent content = ParseSettings(bytes, back);
        ASSERT_EQ(content.files.size(), 9);
        EXPECT_EQ(content.files.at(8), row.ninth);
        if (row.selection >= 0) {
            EXPECT_EQ(content.files.value(content.selection), files.at(row.selection));
        }
    }
}

TEST(SettingsFileTest, PathsTooLongForARecordAreLeftOutNotCut) {
    const QString longPath = "/" + QString(120, 'a') + ".hex";
    const QString multiByte = "/" + QString(60, QChar(0xE9));  // 121 UTF-8 bytes
    RecentRecordBuffer record{};
    const QByteArray bytes =
        EncodeSettings(1, 2, {longPath, "/short.hex", "/sel.hex", multiByte}, record);
    RecentRecordBuffer back{};
    const SettingsContent content = ParseSettings(bytes, back);
    EXPECT_EQ(content.files, (QStringList{"/short.hex", "/sel.hex"}));
    EXPECT_EQ(content.selection, 1) << "the selection follows its file";

    const QByteArray lost = EncodeSettings(1, 0, {longPath, "/short.hex"}, record);
    EXPECT_EQ(ParseSettings(lost, back).selection, 1) << "names no entry";
    EXPECT_EQ(ParseSettings(lost, back).files.size(), 1);
}

}  // namespace
