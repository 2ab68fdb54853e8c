#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QComboBox>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "tests/app/DialogFixture.h"

namespace {

// Should the program wait on the FIFO, a writer opens and closes it every second after the first
// ten: each wait ends, and a failing test fails instead of hanging.
class FifoRescue {
public:
    explicit FifoRescue(const QString& fifo) : path_(QFile::encodeName(fifo)) {}
    ~FifoRescue() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    std::atomic<bool> needed{false};

private:
    void Watch() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (auto wait = std::chrono::seconds(10);
             !wake_.wait_for(lock, wait, [this] { return done_; });
             wait = std::chrono::seconds(1)) {
            needed = true;
            const int writer = ::open(path_.constData(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0) {
                ::close(writer);
            }
        }
    }

    QByteArray path_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_{[this] { Watch(); }};
};

class NonRegularFileTest : public DialogFixture {};

// A FIFO waits for a writer when opened for reading; a folder has no text. Neither is read, at
// start-up or through Open, and the message names it.
TEST_F(NonRegularFileTest, OnlyRegularFilesAreReadAndTheOthersAreNamed) {
    const QString fifo = PathOf(QStringLiteral("pipe.hex"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QDir().mkpath(PathOf(QStringLiteral("folder.hex")));
    FifoRescue rescue(fifo);
    for (const QString& path : {fifo, PathOf(QStringLiteral("folder.hex"))}) {
        const QStringList denied{QStringLiteral("Access to %1 was denied.").arg(path)};
        WriteFile(SettingsPath(), SettingsBytes("201", {path}));
        desktop.boxes.clear();
        auto dialog = Start();
        EXPECT_EQ(desktop.Texts(), denied);
        EXPECT_EQ(dialog->HexTextLength, 0);

        desktop.boxes.clear();
        desktop.files = {path};
        dialog->OnOpen();
        EXPECT_EQ(desktop.Texts(), denied);
    }
    EXPECT_FALSE(rescue.needed) << "the program waited on the FIFO";

    QFile::remove(SettingsPath());
    QDir().mkpath(SettingsPath());
    desktop.boxes.clear();
    Start();
    EXPECT_EQ(desktop.Texts(),
              QStringList{QStringLiteral("Access to %1 was denied.").arg(SettingsPath())});
}

}  // namespace
