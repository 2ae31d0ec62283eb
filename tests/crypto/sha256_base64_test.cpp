// SHA-256 padding and splitting, and the Base64 capacity and allocation rules.
#include <gtest/gtest.h>
#include <cstring>
#include "crypto/base64.h"
#include "crypto/sha256.h"
#include "tests/crypto/crypto_test_util.h"

namespace {

std::string HashInPieces(const Bytes& data, const std::vector<uint32_t>& pieces) {
    Sha256Context context;
    Sha256Init(&context);
    uint32_t done = 0;
    for (uint32_t piece : pieces) {
        Sha256Update(&context, data.data() + done, piece);
        done += piece;
    }
    Sha256Update(&context, data.data() + done, uint32_t(data.size() - done));
    uint8_t digest[32];
    Sha256Final(&context, digest);
    return ToHex(digest, 32);
}

TEST(Sha256Properties, PiecesOfAnySizeGiveTheSameDigest) {
    TestRandom random = {31};
    Bytes data = RandomBytes(&random, 200);
    std::string whole = HashInPieces(data, {});
    EXPECT_EQ(HashInPieces(data, {10, 100, 20}), whole);
    EXPECT_EQ(HashInPieces(data, {3, 197}), whole);
    EXPECT_EQ(HashInPieces(data, {0, 64, 0, 1, 63, 0}), whole);
    for (int round = 0; round < CRYPTO_TEST_ROUNDS; round++) {
        std::vector<uint32_t> pieces;
        uint32_t left = 200;
        while (left > 0 && pieces.size() < 6) {
            pieces.push_back(NextRandom(&random) % (left + 1));
            left -= pieces.back();
        }
        EXPECT_EQ(HashInPieces(data, pieces), whole);
    }
}

// Lengths around the padding boundary: 55 bytes pad by 1, 56 by 64, 63 by 57, 64 by 56, 65 by 55.
// Each must agree with byte-at-a-time feeding; the native oracle test checks the digests.
TEST(Sha256Properties, LengthsAroundThePaddingBoundary) {
    TestRandom random = {32};
    for (uint32_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u}) {
        Bytes data = RandomBytes(&random, length);
        std::vector<uint32_t> ones(length, 1);
        EXPECT_EQ(HashInPieces(data, ones), HashInPieces(data, {})) << "length " << length;
    }
    EXPECT_EQ(Sha256PadBlock[0], 0x80);
    for (int i = 1; i < 64; i++)
        EXPECT_EQ(Sha256PadBlock[i], 0);
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
