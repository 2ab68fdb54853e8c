#include <sys/stat.h>

#include <QDir>
#include <future>

#include "cli/ExitStatus.h"
#include "tests/cli/CliFixture.h"

namespace {

using InputFileTest = CliFixture;

// Only a regular file is read: a FIFO would block the open for a writer that never comes, a
// device or a folder is no HEX file. Each is refused before any port is touched.
TEST_F(InputFileTest, OnlyRegularFilesAreRead) {
    const std::string fifo = Path("fifo.hex");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder.hex")));
    for (const std::string& path : {fifo, Path("folder.hex"), std::string("/dev/null")}) {
        // A regression would hang here: the run gets a deadline, and a writer is opened to release
        // a reader stuck on the FIFO before the test fails.
        auto run = std::async(std::launch::async, [&] {
            return Cli({"--port", "sim", "verify", path.c_str()});
        });
        if (run.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            QFile writer(QString::fromStdString(fifo));
            (void)writer.open(QIODevice::WriteOnly);
            writer.close();
            run.wait();
            FAIL() << path << " blocked the command";
        }
        const Run result = run.get();
        EXPECT_EQ(result.status, ExitStatus::Usage) << path;
        EXPECT_EQ(result.err, "chipsmith-cli: " + path + ": not a regular file\n");
        EXPECT_FALSE(QFile::exists(SocketPath())) << "the board was not even looked for";
    }
}

}  // namespace
