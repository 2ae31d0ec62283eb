// Bytes as lower-case hex and back: for vectors written in hex and for failure messages. Header
// only, portable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline std::string Hex(const uint8_t* bytes, size_t count) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

inline std::string Hex(const std::vector<uint8_t>& bytes) {
    return Hex(bytes.data(), bytes.size());
}

// The first `limit` bytes of a byte string: a whole file would drown a failure message.
inline std::string Hex(const std::string& bytes, size_t limit = std::string::npos) {
    return Hex(reinterpret_cast<const uint8_t*>(bytes.data()),
               bytes.size() < limit ? bytes.size() : limit);
}

// Pairs of hex digits, upper or lower case; an odd last digit is ignored.
inline std::vector<uint8_t> FromHex(const std::string& hex) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

// The same as a byte string, for functions that take char data.
inline std::string ByteStringFromHex(const std::string& hex) {
    std::vector<uint8_t> bytes = FromHex(hex);
    return std::string(bytes.begin(), bytes.end());
}
