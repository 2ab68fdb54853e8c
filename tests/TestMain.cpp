#include <gtest/gtest.h>

#include "sim/VirtualDelays.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // A safety net: a test that forgets its own clock still never sleeps.
    VirtualDelays clock;
    SetDelays(clock);
    return RUN_ALL_TESTS();
}
