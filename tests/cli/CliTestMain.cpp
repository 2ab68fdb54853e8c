#include <gtest/gtest.h>

#include <QCoreApplication>

#include "sim/VirtualDelays.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("chipsmith-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.1"));
    ::testing::InitGoogleTest(&argc, argv);
    VirtualDelays clock;
    SetDelays(clock);
    return RUN_ALL_TESTS();
}
