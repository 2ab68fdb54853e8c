#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <future>

#include "simulator/SocketFile.h"
#include "tests/app/QtPrinters.h"

namespace {

using Outcome = SocketFileLoad::Outcome;

class SocketFileTest : public ::testing::Test {
protected:
    QString PathOf(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }
    static void Write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    static QByteArray Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
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
    EXPECT_EQ(LoadSocketFile(path).outcome, Outcome::NoFile);

    SimulatedChip chip = SimulatedChip::Factory(3, 0x42);
    chip.SetWord(0x10, 0x1234);
    const SocketFileSave save = SaveSocketFile(path, &chip);
    ASSERT_TRUE(save.saved) << save.reason.toStdString();
    SocketFileLoad load = LoadSocketFile(path);
    ASSERT_EQ(load.outcome, Outcome::Loaded);
    ASSERT_TRUE(load.content.chip);
    EXPECT_EQ(load.content.chip->Type(), 3);
    EXPECT_EQ(load.content.chip->Word(0x10), 0x1234);
    EXPECT_EQ(load.content.chip->CalibrationWord(), 0x3442);
    EXPECT_EQ(load.text, QByteArray::fromStdString(SaveSocket(&chip)));

    ASSERT_TRUE(SaveSocketFile(path, nullptr).saved);
    load = LoadSocketFile(path);
    ASSERT_EQ(load.outcome, Outcome::Loaded);
    EXPECT_FALSE(load.content.chip);
    EXPECT_EQ(QDir(PathOf("new/folder")).entryList(QDir::Files), QStringList{"virtual-socket.txt"})
        << "no temporary file left behind";
}

TEST_F(SocketFileTest, AnythingUnreadableIsMovedAsideWithTheReason) {
    const QByteArray huge = "chipsmith-socket 1\ntype none\n" + QByteArray(1 << 20, '\n');
    const struct {
        const char* name;
        QByteArray bytes;  // empty: a folder
        const char* reason;
    } rows[] = {
        {"foreign", "[Socket]\nchip=12c508\n", "the first line is not \"chipsmith-socket 1\""},
        {"cut", "chipsmith-socket 1\ntype PIC12C508\n01FF 0C5", "the last line is cut short"},
        {"huge", huge, "it is larger than 65536 bytes"},
        {"folder", QByteArray(), "it is not a plain file"},
    };
    for (const auto& row : rows) {
        const QString path = PathOf(row.name);
        if (row.bytes.isEmpty()) {
            ASSERT_TRUE(QDir().mkpath(path + QStringLiteral("/inside")));
        } else {
            Write(path, row.bytes);
        }
        const SocketFileLoad load = LoadSocketFile(path);
        EXPECT_EQ(load.outcome, Outcome::Broken) << row.name;
        EXPECT_EQ(load.reason, QString::fromLatin1(row.reason));
        EXPECT_EQ(load.keptAs, path + QStringLiteral(".broken"));
        EXPECT_FALSE(QFileInfo::exists(path)) << row.name;
        if (row.bytes.isEmpty()) {
            EXPECT_TRUE(QFileInfo::exists(load.keptAs + QStringLiteral("/inside")));
        } else {
            EXPECT_EQ(Read(load.keptAs), row.bytes) << row.name;
        }
        EXPECT_EQ(LoadSocketFile(path).outcome, Outcome::NoFile);
    }
}

TEST_F(SocketFileTest, AnEarlierBrokenFileIsNeverReplaced) {
    const QString path = PathOf("virtual-socket.txt");
    for (const char* bytes : {"first\n", "second\n", "third\n"}) {
        Write(path, bytes);
        ASSERT_EQ(LoadSocketFile(path).outcome, Outcome::Broken);
    }
    EXPECT_EQ(Read(path + QStringLiteral(".broken")), "first\n");
    EXPECT_EQ(Read(path + QStringLiteral(".broken.2")), "second\n");
    EXPECT_EQ(Read(path + QStringLiteral(".broken.3")), "third\n");
}

TEST_F(SocketFileTest, AFifoIsBrokenAndNeverWaitedOn) {
    const QString path = PathOf("virtual-socket.txt");
    const QByteArray name = QFile::encodeName(path);
    ASSERT_EQ(mkfifo(name.constData(), 0600), 0);
    auto load = std::async(std::launch::async, [&path] { return LoadSocketFile(path); });
    if (load.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        close(
            open(name.constData(), O_WRONLY | O_NONBLOCK));  // an end of file for the stuck reader
        FAIL() << "loading waited on the FIFO";
    }
    const SocketFileLoad result = load.get();
    EXPECT_EQ(result.outcome, Outcome::Broken);
    EXPECT_EQ(result.reason, QStringLiteral("it is not a plain file"));
    EXPECT_FALSE(QFileInfo::exists(path));
}

}  // namespace
