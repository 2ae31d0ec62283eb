// Progress arithmetic of the directory walk.
#include "unlock/progress_rule.h"

int64_t AddFileSize(int64_t walked, uint32_t sizeHigh, uint32_t sizeLow) {
    uint64_t size = (static_cast<uint64_t>(sizeHigh) << 32) | sizeLow;
    uint64_t room = static_cast<uint64_t>(INT64_MAX - walked); // walked is never negative
    if (size > room) {
        return INT64_MAX;
    }
    return walked + static_cast<int64_t>(size);
}

int ProgressPosition(int64_t walked, int64_t used) {
    if (used == 0 || walked > used) {
        return 100;
    }
    if (walked <= 0) {
        return 0;
    }
    // 0 < walked <= used: walked * 100 / used by binary long division over the bits of 100,
    // so no intermediate value exceeds 2 * used and nothing overflows for any 64-bit sizes.
    uint64_t w = static_cast<uint64_t>(walked);
    uint64_t u = static_cast<uint64_t>(used);
    uint64_t quotient = 0;
    uint64_t remainder = 0;
    for (int bit = 6; bit >= 0; --bit) { // 100 = 0b1100100
        quotient *= 2;
        remainder *= 2;
        if (remainder >= u) {
            remainder -= u;
            quotient += 1;
        }
        if ((100 >> bit) & 1) {
            remainder += w;
            if (remainder >= u) {
                remainder -= u;
                quotient += 1;
            }
        }
    }
    return static_cast<int>(quotient);
}
