#include <gtest/gtest.h>

#include "app/WindowPlacement.h"

namespace {

TEST(WindowPlacementTest, BesideTheMainWindowAndOnTheScreen) {
    const QRect screen(0, 0, 1920, 1080);
    const QSize window(400, 500);
    const struct {
        const char* where;
        QRect main;
        QRect available;
        QPoint expected;
    } rows[] = {
        {"room on the right", {100, 50, 600, 400}, screen, {708, 50}},
        {"room only on the left", {1400, 50, 500, 400}, screen, {992, 50}},
        {"room on neither side, more on the right", {300, 0, 1300, 400}, screen, {1520, 0}},
        {"room on neither side, more on the left", {350, 0, 1300, 400}, screen, {0, 0}},
        {"main window low on the screen", {100, 800, 600, 200}, screen, {708, 580}},
        {"a second screen to the left",
         {-1500, 100, 600, 400},
         {-1920, 0, 1920, 1080},
         {-892, 100}},
        {"screen smaller than the window", {0, 0, 100, 100}, {0, 0, 300, 300}, {0, 0}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PlaceBeside(row.main, window, row.available, 8), row.expected) << row.where;
    }
}

}  // namespace
