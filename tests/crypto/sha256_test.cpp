// SHA-256: the FIPS 180-2 digests, and padding and splitting.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "crypto/sha256.h"
#include "tests/crypto/crypto_test_util.h"

namespace {

struct HashVector {
    const char* message;
    uint32_t repeat;
    const char* digest;
};

// FIPS 180-2 Appendix B.1, B.2 and B.3 (one million 'a'), and the empty message.
const HashVector Sha256Vectors[] = {
    {"", 1, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"abc", 1, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", 1,
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {"a", 1000000, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
};

TEST(Sha256Vectors, PublishedDigests) {
    for (const HashVector& v : Sha256Vectors) {
        Sha256Context context;
        Sha256Init(&context);
        size_t length = strlen(v.message);
        for (uint32_t i = 0; i < v.repeat; i++)
            Sha256Update(&context, reinterpret_cast<const uint8_t*>(v.message), uint32_t(length));
        uint8_t digest[32];
        Sha256Final(&context, digest);
        EXPECT_EQ(Hex(digest, 32), v.digest) << "message \"" << v.message << "\"";
        const uint8_t zero[sizeof context] = {};
        EXPECT_EQ(memcmp(&context, zero, sizeof context), 0) << "context not wiped";
    }
}

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
    return Hex(digest, 32);
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

} // namespace
