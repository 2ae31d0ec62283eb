// The choice of vector unit: pinning takes only what the processor has.
#include <gtest/gtest.h>
#include <cstdio>
#include "crypto/simd_level.h"
#include "tests/crypto/crypto_test_util.h"

namespace {

TEST_F(PinnedLevels, PinningTakesOnlyWhatTheProcessorHas) {
    SimdLevel supported = SupportedSimdLevel();
    std::printf("vector unit here: %s\n", LevelName(supported));
    EXPECT_EQ(ActiveSimdLevel(), supported);
    EXPECT_EQ(PinSimdLevel(SimdLevelPortable), 1);
    EXPECT_EQ(ActiveSimdLevel(), SimdLevelPortable);
    if (supported < SimdLevelAvx2) {
        EXPECT_EQ(PinSimdLevel(SimdLevel(supported + 1)), 0);
        EXPECT_EQ(ActiveSimdLevel(), SimdLevelPortable);
    }
    EXPECT_EQ(PinSimdLevel(SimdLevel(-1)), 0);
    EXPECT_EQ(PinSimdLevel(supported), 1);
    EXPECT_EQ(ActiveSimdLevel(), supported);
}

} // namespace
