// Base64 encoding with the standard alphabet and '=' padding, no line breaks.
#include "crypto/base64.h"
#include <new>

// The RFC 4648 Base64 alphabet, indexed by 6-bit value.
static const char Base64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Each character uses one unit of capacity; when it runs out the text stops where it is, even
// inside a group, and gets no NUL. The NUL is written only after the whole text.
void Base64Encode(const uint8_t* input, uint32_t n, char* output, uint32_t capacity) {
    uint32_t written = 0;
    for (uint32_t i = 0; i < n; i += 3) {
        uint32_t count = n - i < 3 ? n - i : 3;
        uint32_t a = input[i], b = count > 1 ? input[i + 1] : 0, c = count > 2 ? input[i + 2] : 0;
        char group[4] = {Base64Alphabet[a >> 2], Base64Alphabet[((a << 4) | (b >> 4)) & 63],
                         count > 1 ? Base64Alphabet[((b << 2) | (c >> 6)) & 63] : '=',
                         count > 2 ? Base64Alphabet[c & 63] : '='};
        for (int k = 0; k < 4; k++) {
            if (written == capacity)
                return;
            output[written++] = group[k];
        }
    }
    if (written < capacity)
        output[written] = '\0';
}

// The size is computed in wrapping 32-bit arithmetic as callers expect; a wrapped size is smaller
// than the input length, which is how overflow is recognised.
uint32_t Base64EncodeAlloc(const uint8_t* input, uint32_t n, char** output) {
    uint32_t size = 4u * ((n + 2u) / 3u) + 1u;
    if (n > size) {
        *output = nullptr;
        return 0;
    }
    char* block = new (std::nothrow) char[size];
    *output = block;
    if (!block)
        return size;
    Base64Encode(input, n, block, size);
    return size - 1;
}
