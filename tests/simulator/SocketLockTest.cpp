#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>

#include "simulator/SocketLock.h"

namespace {

class SocketLockTest : public ::testing::Test {
protected:
    QString SocketPath() const {
        return folder.filePath(QStringLiteral("not-yet/virtual-socket.txt"));
    }
    QTemporaryDir folder;
};

// One holder at a time; the one refused learns who holds it; the lock goes with its holder.
TEST_F(SocketLockTest, OneHolderAtATimeAndTheOthersAreToldWho) {
    QString why;
    {
        SocketLock first(SocketPath());
        ASSERT_TRUE(first.TryLock(why)) << why.toStdString();
        EXPECT_TRUE(QFile::exists(SocketPath() + QStringLiteral(".lock")));
        EXPECT_TRUE(first.TryLock(why)) << "a holder asking again keeps it";
        SocketLock second(SocketPath());
        EXPECT_FALSE(second.TryLock(why));
        EXPECT_TRUE(why.contains(QStringLiteral("in use by ")) &&
                    why.contains(QStringLiteral("(process %1)").arg(::getpid())))
            << why.toStdString();
    }
    SocketLock later(SocketPath());
    EXPECT_TRUE(later.TryLock(why)) << why.toStdString();
}

// A program killed while it held the socket leaves its lock file; the next one takes it over.
TEST_F(SocketLockTest, ALockLeftByAProgramThatDiedIsTakenOver) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SocketLock dying(SocketPath());
        QString why;
        // Ends without unlocking, as a killed program does.
        ::_exit(dying.TryLock(why) ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(QFile::exists(SocketPath() + QStringLiteral(".lock")));
    SocketLock next(SocketPath());
    QString why;
    EXPECT_TRUE(next.TryLock(why)) << why.toStdString();
}

}  // namespace
