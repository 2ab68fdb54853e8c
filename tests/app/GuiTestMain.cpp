#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    // The real window on Qt's offscreen platform: no display needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
