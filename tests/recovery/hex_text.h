// Bytes as lower-case hex, for failure messages and for comparing against hex vectors.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

inline std::string Hex(const uint8_t* bytes, size_t count) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

// The first `limit` bytes of a byte string.
inline std::string Hex(const std::string& bytes, size_t limit = 32) {
    return Hex(reinterpret_cast<const uint8_t*>(bytes.data()),
               bytes.size() < limit ? bytes.size() : limit);
}
