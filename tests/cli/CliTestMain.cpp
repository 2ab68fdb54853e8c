#include <gtest/gtest.h>

#include <QCoreApplication>

#include "cli/StopHandlers.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("chipsmith-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.1"));
    ::testing::InitGoogleTest(&argc, argv);
    // As chipsmith-cli's main does, so that tests can raise real signals where the program defers
    // them (a signal anywhere else ends this program, as it ends chipsmith-cli).
    InstallStopHandlers();
    return RUN_ALL_TESTS();
}
