// Base64: the RFC 4648 vectors, and the capacity and allocation rules.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "crypto/base64.h"
#include "tests/crypto/crypto_test_util.h"

namespace {

// RFC 4648 section 10.
TEST(Base64Vectors, Rfc4648) {
    const char* vectors[][2] = {{"", ""},
                                {"f", "Zg=="},
                                {"fo", "Zm8="},
                                {"foo", "Zm9v"},
                                {"foob", "Zm9vYg=="},
                                {"fooba", "Zm9vYmE="},
                                {"foobar", "Zm9vYmFy"}};
    for (auto& v : vectors) {
        char out[16];
        memset(out, '#', sizeof out);
        Base64Encode(reinterpret_cast<const uint8_t*>(v[0]), uint32_t(strlen(v[0])), out,
                     sizeof out);
        EXPECT_STREQ(out, v[1]);
        char* allocated = nullptr;
        uint32_t length = Base64EncodeAlloc(reinterpret_cast<const uint8_t*>(v[0]),
                                            uint32_t(strlen(v[0])), &allocated);
        ASSERT_NE(allocated, nullptr);
        EXPECT_EQ(length, strlen(v[1]));
        EXPECT_STREQ(allocated, v[1]);
        delete[] allocated;
    }
}

std::string Encode(const char* text, uint32_t capacity) {
    char out[32];
    memset(out, '#', sizeof out);
    Base64Encode(reinterpret_cast<const uint8_t*>(text), uint32_t(strlen(text)), out, capacity);
    return std::string(out, sizeof out);
}

TEST(Base64Properties, CapacityRules) {
    std::string hashes(32, '#');
    EXPECT_EQ(Encode("a", 32).substr(0, 5), std::string("YQ==\0", 5));
    EXPECT_EQ(Encode("ab", 32).substr(0, 5), std::string("YWI=\0", 5));
    EXPECT_EQ(Encode("abc", 32).substr(0, 5), std::string("YWJj\0", 5));
    EXPECT_EQ(Encode("abcd", 9), std::string("YWJjZA==\0", 9) + hashes.substr(9));
    EXPECT_EQ(Encode("abcd", 8), "YWJjZA==" + hashes.substr(8));
    EXPECT_EQ(Encode("abcd", 5), "YWJjZ" + hashes.substr(5));
    EXPECT_EQ(Encode("abcd", 0), hashes);
    EXPECT_EQ(Encode("", 1), std::string(1, '\0') + hashes.substr(1));
    EXPECT_EQ(Encode("", 0), hashes);
}

TEST(Base64Properties, AllocationSizeAndOverflow) {
    char* out = nullptr;
    const uint8_t three[3] = {0xfb, 0xff, 0x00};
    EXPECT_EQ(Base64EncodeAlloc(three, 3, &out), 4u);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::string(out, 5), std::string("+/8A\0", 5));
    delete[] out;
    out = reinterpret_cast<char*>(1);
    EXPECT_EQ(Base64EncodeAlloc(three, 0xffffffffu, &out), 0u);
    EXPECT_EQ(out, nullptr);
    out = reinterpret_cast<char*>(1);
    EXPECT_EQ(Base64EncodeAlloc(three, 0xc0000000u, &out), 0u);
    EXPECT_EQ(out, nullptr);
}

} // namespace
