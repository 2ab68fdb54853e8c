#include <gtest/gtest.h>

#include <QApplication>

#include "sim/VirtualDelays.h"

int main(int argc, char** argv) {
    // The real window on Qt's offscreen platform: no display needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    VirtualDelays clock;
    SetDelays(clock);
    return RUN_ALL_TESTS();
}
