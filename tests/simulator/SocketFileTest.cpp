#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "simulator/SocketFile.h"
#include "tests/app/QtPrinters.h"

namespace {

class SocketFileTest : public ::testing::Test {
protected:
    QString PathOf(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }
    void Write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir folder;
};

TEST_F(SocketFileTest, LivesInTheUsersDataFolder) {
    const QByteArray before = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", folder.path().toLocal8Bit());
    const QString path = SocketFilePath();
    qputenv("XDG_DATA_HOME", before);
    EXPECT_EQ(path, folder.path() + QStringLiteral("/chipsmith/virtual-socket.txt"));
}

TEST_F(SocketFileTest, AChipAndAnEmptySocketComeBackFromAFolderThatDidNotExist) {
    const QString path = PathOf("new/folder/virtual-socket.txt");
    SimulatedChip chip = SimulatedChip::Factory(3, 0x42);
    chip.SetWord(0x10, 0x1234);
    ASSERT_TRUE(WriteSocketFile(path, &chip));
    auto saved = ReadSocketFile(path);
    ASSERT_TRUE(saved && saved->chip);
    EXPECT_EQ(saved->chip->Type(), 3);
    EXPECT_EQ(saved->chip->Word(0x10), 0x1234);
    EXPECT_EQ(saved->chip->CalibrationWord(), 0x3442);

    ASSERT_TRUE(WriteSocketFile(path, nullptr));
    saved = ReadSocketFile(path);
    ASSERT_TRUE(saved);
    EXPECT_FALSE(saved->chip);
}

TEST_F(SocketFileTest, NoFileAForeignFileOrAHugeOneReadsAsNothing) {
    EXPECT_FALSE(ReadSocketFile(PathOf("missing.txt")));
    Write(PathOf("foreign.txt"), "[Socket]\nchip=12c508\n");
    EXPECT_FALSE(ReadSocketFile(PathOf("foreign.txt")));
    Write(PathOf("huge.txt"), "chipsmith-socket 1\ntype none\n" + QByteArray(1 << 20, '\n'));
    EXPECT_FALSE(ReadSocketFile(PathOf("huge.txt")));
    EXPECT_FALSE(ReadSocketFile(folder.path())) << "a folder";
}

}  // namespace
