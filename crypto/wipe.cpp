// Wiping secrets: see crypto/wipe.h.
#include "crypto/wipe.h"

void WipeBytes(void* bytes, size_t count) {
    // Stores through volatile may not be dropped as dead.
    volatile unsigned char* out = static_cast<volatile unsigned char*>(bytes);
    for (size_t i = 0; i < count; i++)
        out[i] = 0;
}
