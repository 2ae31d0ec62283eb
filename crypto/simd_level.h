// Which vector unit the ciphers use: found once from the processor (and, for AVX2, from whether
// the operating system saves the wide registers), and pinnable lower for tests and benchmarks.
#pragma once
#include <cstdint>

enum SimdLevel : int32_t {
    SimdLevelPortable = 0, // plain code, any processor
    SimdLevelSse2 = 1,
    SimdLevelAvx2 = 2,
};

// The highest level this processor and operating system support.
SimdLevel SupportedSimdLevel();
// The level the ciphers use now: the supported one unless a lower one was pinned.
SimdLevel ActiveSimdLevel();
// Makes the ciphers use `level` from now on. Returns 1, or 0 (changing nothing) when the
// processor or the operating system lacks it.
int PinSimdLevel(SimdLevel level);
