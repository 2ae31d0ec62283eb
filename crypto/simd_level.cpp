// Processor detection through cpuid and xgetbv.
#include "crypto/simd_level.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

static int32_t Supported = -1; // found on first use
static int32_t Active = -1;

static SimdLevel DetectSimdLevel() {
#if defined(__i386__) || defined(__x86_64__)
    unsigned a, b, c, d;
    // __get_cpuid also covers processors without cpuid at all, which the 32-bit build may meet.
    if (!__get_cpuid(1, &a, &b, &c, &d) || !(d & bit_SSE2))
        return SimdLevelPortable;
    bool avxUsable = (c & bit_OSXSAVE) && (c & bit_AVX);
    if (!avxUsable || __get_cpuid_max(0, nullptr) < 7)
        return SimdLevelSse2;
    // The registers are usable only if the operating system saves them on a thread switch:
    // XCR0 must have both the SSE (bit 1) and the AVX (bit 2) state enabled.
    unsigned xcr0Low, xcr0High;
    __asm__ volatile("xgetbv" : "=a"(xcr0Low), "=d"(xcr0High) : "c"(0));
    if ((xcr0Low & 6) != 6)
        return SimdLevelSse2;
    __cpuid_count(7, 0, a, b, c, d);
    return (b & bit_AVX2) ? SimdLevelAvx2 : SimdLevelSse2;
#else
    return SimdLevelPortable;
#endif
}

SimdLevel SupportedSimdLevel() {
    if (Supported < 0)
        Supported = DetectSimdLevel();
    return SimdLevel(Supported);
}

SimdLevel ActiveSimdLevel() {
    if (Active < 0)
        Active = SupportedSimdLevel();
    return SimdLevel(Active);
}

int PinSimdLevel(SimdLevel level) {
    if (level < SimdLevelPortable || level > SupportedSimdLevel())
        return 0;
    Active = level;
    return 1;
}
