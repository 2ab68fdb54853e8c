#include <sstream>

#include "cli/ExitStatus.h"
#include "cli/OutputFile.h"
#include "tests/cli/CliFixture.h"

namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
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

// Each chip of a batch has its own file and its own trace; nothing is written under the plain
// names.
TEST_F(OutputFileTest, ReadRepeatWritesOneFileAndOneTracePerChip) {
    Socket(SimulatedChip::Factory(1, 0x5A));
    const Run run = Cli({"--port", "sim", "--repeat", "--trace", Path("t.vcd").c_str(), "read",
                         Path("out.hex").c_str()},
                        "\n\nq\n");
    EXPECT_EQ(run.status, ExitStatus::Done) << run.err;
    for (const char* name :
         {"out-001.hex", "out-002.hex", "out-003.hex", "t-001.vcd", "t-002.vcd", "t-003.vcd"}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        EXPECT_TRUE(file.readAll().contains(QByteArray(name).endsWith(".vcd") ? "\n#" : ":"))
            << name;
    }
    for (const char* name : {"out-004.hex", "out.hex", "t-004.vcd", "t.vcd"}) {
        EXPECT_FALSE(QFile::exists(folder.filePath(QString::fromLatin1(name)))) << name;
    }
}

}  // namespace
