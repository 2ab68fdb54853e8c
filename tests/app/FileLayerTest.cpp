#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>

#include "app/FileLayer.h"

namespace {

TEST(FileLayerTest, EveryCauseHasItsMessage) {
    const struct {
        FileCause cause;
        const char* text;
    } rows[] = {
        {FileCause::Other, "An unknown error occurred while accessing X."},
        {FileCause::NotFound, "X was not found."},
        {FileCause::BadPath, "X contains an invalid path."},
        {FileCause::TooManyOpenFiles,
         "X could not be opened because there are too many open files."},
        {FileCause::AccessDenied, "Access to X was denied."},
        {FileCause::InvalidHandle, "An invalid file handle was associated with X."},
        {FileCause::RemoveCurrentDir,
         "X could not be removed because it is the current directory."},
        {FileCause::DirectoryFull, "X could not be created because the directory is full."},
        {FileCause::BadSeek, "Seek failed on X"},
        {FileCause::HardwareIo, "A hardware I/O error was reported while accessing X."},
        {FileCause::SharingViolation, "A sharing violation occurred while accessing X."},
        {FileCause::LockViolation, "A locking violation occurred while accessing X."},
        {FileCause::DiskFull, "Disk full while accessing X."},
        {FileCause::EndOfFile, "An attempt was made to access X past its end."},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FileErrorMessage({row.cause, "X"}), QString::fromLatin1(row.text));
    }
    EXPECT_EQ(FileErrorMessage({static_cast<FileCause>(99), "X"}),
              QStringLiteral("Internal application error."));
}

TEST(FileLayerTest, SystemErrorsMapToTheirCauses) {
    EXPECT_EQ(CauseFromErrno(ENOENT), FileCause::NotFound);
    EXPECT_EQ(CauseFromErrno(EACCES), FileCause::AccessDenied);
    EXPECT_EQ(CauseFromErrno(EROFS), FileCause::AccessDenied);
    EXPECT_EQ(CauseFromErrno(ENOSPC), FileCause::DiskFull);
    EXPECT_EQ(CauseFromErrno(EMFILE), FileCause::TooManyOpenFiles);
    EXPECT_EQ(CauseFromErrno(ENOTDIR), FileCause::BadPath);
    EXPECT_EQ(CauseFromErrno(EIO), FileCause::HardwareIo);
    EXPECT_EQ(CauseFromErrno(EXDEV), FileCause::Other);
}

class FileLayerFilesTest : public ::testing::Test {
protected:
    QString Path(const QString& name) { return folder.filePath(name); }
    QTemporaryDir folder;
    FileLayer files;
};

TEST_F(FileLayerFilesTest, ReadingFailuresNameThePath) {
    const FileReadResult missing = files.ReadHead(Path("none.hex"), 100);
    ASSERT_TRUE(missing.error);
    EXPECT_EQ(FileErrorMessage(*missing.error), Path("none.hex") + " was not found.");

    const FileReadResult inMissingFolder = files.ReadHead(Path("file/below"), 100);
    ASSERT_TRUE(inMissingFolder.error);

    QDir().mkpath(Path("folder"));
    const FileReadResult folderRead = files.ReadHead(Path("folder"), 100);
    ASSERT_TRUE(folderRead.error);
    EXPECT_EQ(FileErrorMessage(*folderRead.error), "Access to " + Path("folder") + " was denied.");
}

TEST_F(FileLayerFilesTest, ReadingStopsAtTheLimitOrTheEnd) {
    QFile file(Path("data"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(5000, 'x'));
    file.close();
    EXPECT_EQ(files.ReadHead(Path("data"), 100).bytes.size(), 100);
    EXPECT_EQ(files.ReadHead(Path("data"), 13000).bytes.size(), 5000);
    EXPECT_FALSE(files.ReadHead(Path("data"), 13000).error);
}

TEST_F(FileLayerFilesTest, WritingReplacesTheFileWholeOrNotAtAll) {
    EXPECT_FALSE(files.WriteWhole(Path("out"), "first"));
    EXPECT_FALSE(files.WriteWhole(Path("out"), "second"));
    EXPECT_EQ(files.ReadHead(Path("out"), 100).bytes, QByteArray("second"));

    const auto missingFolder = files.WriteWhole(Path("no/such/folder/out"), "x");
    ASSERT_TRUE(missingFolder);
    EXPECT_EQ(missingFolder->cause, FileCause::BadPath);
    EXPECT_EQ(missingFolder->name, Path("no/such/folder/out"));
}

}  // namespace
