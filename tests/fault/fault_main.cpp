// The replays are registered at run time: which tests exist depends on the
// calls each scenario makes, which are only known once it has run.
#include <gtest/gtest.h>

#include "tests/fault/fault_replay.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!RegisterFaultReplays()) {
        return 1;
    }
    return RUN_ALL_TESTS();
}
