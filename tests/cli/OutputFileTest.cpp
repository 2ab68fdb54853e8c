#include <sys/stat.h>

#include <sstream>

#include "cli/ExitStatus.h"
#include "cli/OutputFile.h"
#include "tests/cli/CliFixture.h"

namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(NumberedPathTest, TheNumberGoesBeforeTheExtension) {
    const struct {
        const char* path;
        int number;
        const char* numbered;
    } rows[] = {
        {"out.hex", 1, "out-001.hex"},         {"a/b.c.hex", 12, "a/b.c-012.hex"},
        {"dir.d/out", 3, "dir.d/out-003"},     {".hidden", 1, ".hidden-001"},
        {"trace.vcd", 1000, "trace-1000.vcd"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(NumberedPath(QString::fromLatin1(row.path), row.number).toStdString(),
                  row.numbered);
    }
}

// A stream that takes `room` bytes and fails after them, as a full disk does.
class FullBuffer : public std::streambuf {
public:
    explicit FullBuffer(int room) : room_(room) {}

private:
    int_type overflow(int_type c) override { return room_-- > 0 ? c : traits_type::eof(); }
    int room_;
};

TEST(WriteStreamTest, AStreamThatTakesNotAllIsAFailure) {
    FullBuffer full(10);
    std::ostream out(&full);
    std::string why;
    EXPECT_FALSE(WriteStream(out, QByteArray(100, ':'), why));
    EXPECT_TRUE(Has(why, "cannot write to standard output")) << why;
    FullBuffer roomy(100);
    std::ostream fine(&roomy);
    EXPECT_TRUE(WriteStream(fine, QByteArray(100, ':'), why));
}

using OutputFileTest = CliFixture;

// Each chip of a batch has its own file; nothing is written under the plain name.
TEST_F(OutputFileTest, ReadRepeatWritesOneFilePerChip) {
    Socket(SimulatedChip::Factory(1, 0x5A));
    const Run run = Cli({"--port", "sim", "--repeat", "read", Path("out.hex").c_str()}, "\n\nq\n");
    EXPECT_EQ(run.status, ExitStatus::Done) << run.err;
    for (const char* name : {"out-001.hex", "out-002.hex", "out-003.hex"}) {
        EXPECT_TRUE(QFile::exists(folder.filePath(QString::fromLatin1(name)))) << name;
    }
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("out-004.hex"))));
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("out.hex"))));
}

// Where the chip's read-out could not be saved, the run does not start: a folder that is not there,
// a FIFO or a device, which would otherwise be replaced by a plain file.
TEST_F(OutputFileTest, AReadOutThatCannotBeSavedIsRefusedBeforeTheBoard) {
    const std::string fifo = Path("fifo.hex");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        const char* saying;
    } rows[] = {
        {fifo, ": not a regular file"},
        {"/dev/full", "/dev/full: not a regular file"},
        {Path("missing/out.hex"), "there is no folder"},
    };
    for (const auto& row : rows) {
        const Run run = Cli({"--port", "sim", "--chip", "12c508", "read", row.path.c_str()});
        EXPECT_EQ(run.status, ExitStatus::Usage) << row.path;
        EXPECT_TRUE(Has(run.err, row.saying)) << run.err;
        EXPECT_FALSE(Has(run.err, "board on")) << run.err;
    }
    struct stat status {};
    ASSERT_EQ(::stat(fifo.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode)) << "the FIFO is still there";
}

}  // namespace
