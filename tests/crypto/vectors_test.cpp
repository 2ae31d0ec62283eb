// Published test vectors for every primitive.
#include <gtest/gtest.h>
#include <cstring>
#include "crypto/base64.h"
#include "crypto/blowfish.h"
#include "crypto/des.h"
#include "crypto/sha256.h"
#include "crypto/simd_level.h"
#include "tests/crypto/crypto_test_util.h"

namespace {

struct BlockVector {
    const char* key;
    const char* plain;
    const char* cipher;
};

// The Blowfish designer's published ECB test vectors (vectors.txt, 8-byte keys).
const BlockVector BlowfishVectors[] = {
    {"0000000000000000", "0000000000000000", "4ef997456198dd78"},
    {"ffffffffffffffff", "ffffffffffffffff", "51866fd5b85ecb8a"},
    {"3000000000000000", "1000000000000001", "7d856f9a613063f2"},
    {"1111111111111111", "1111111111111111", "2466dd878b963c9d"},
    {"0123456789abcdef", "1111111111111111", "61f9c3802281b096"},
    {"1111111111111111", "0123456789abcdef", "7d0cc630afda1ec7"},
    {"fedcba9876543210", "0123456789abcdef", "0aceab0fc6a0a28d"},
    {"7ca110454a1a6e57", "01a1d6d039776742", "59c68245eb05282b"},
    {"0131d9619dc1376e", "5cd54ca83def57da", "b1b8cc0b250f09a0"},
    {"07a1133e4a0b2686", "0248d43806f67172", "1730e5778bea1da4"},
    {"3849674c2602319e", "51454b582ddf440a", "a25e7856cf2651eb"},
    {"04b915ba43feb5b6", "42fd443059577fa2", "353882b109ce8f1a"},
    {"0113b970fd34f2ce", "059b5e0851cf143a", "48f4d0884c379918"},
    {"0170f175468fb5e6", "0756d8e0774761d2", "432193b78951fc98"},
    {"43297fad38e373fe", "762514b829bf486a", "13f04154d69d1ae5"},
    {"07a7137045da2a16", "3bdd119049372802", "2eedda93ffd39c79"},
    {"04689104c2fd3b2f", "26955f6835af609a", "d887e0393c2da6e3"},
    {"37d06bb516cb7546", "164d5e404f275232", "5f99d04f5b163969"},
    {"1f08260d1ac2465e", "6b056e18759f5cca", "4a057a3b24d3977b"},
    {"584023641aba6176", "004bd6ef09176062", "452031c1e4fada8e"},
    {"025816164629b007", "480d39006ee762f2", "7555ae39f59b87bd"},
    {"49793ebc79b3258f", "437540c8698f3cfa", "53c55f9cb49fc019"},
    {"4fb05e1515ab73a7", "072d43a077075292", "7a8e7bfa937e89a3"},
    {"49e95d6d4ca229bf", "02fe55778117f12a", "cf9c5d7a4986adb5"},
    {"018310dc409b26d6", "1d9d5c5018f728c2", "d1abb290658bc778"},
    {"1c587f1c13924fef", "305532286d6f295a", "55cb3774d13ef201"},
    {"0101010101010101", "0123456789abcdef", "fa34ec4847b268b2"},
    {"1f1f1f1f0e0e0e0e", "0123456789abcdef", "a790795108ea3cae"},
    {"e0fee0fef1fef1fe", "0123456789abcdef", "c39e072d9fac631d"},
    {"0000000000000000", "ffffffffffffffff", "014933e0cdaff6e4"},
    {"ffffffffffffffff", "0000000000000000", "f21e9a77b71c49bc"},
    {"0123456789abcdef", "0000000000000000", "245946885754369a"},
    {"fedcba9876543210", "ffffffffffffffff", "6b5c5a9c5d9e0a5a"},
};

TEST(BlowfishVectors, EncryptAndDecryptEachBlock) {
    static BlowfishState state;
    for (const BlockVector& v : BlowfishVectors) {
        Bytes key = FromHex(v.key), plain = FromHex(v.plain);
        BlowfishSetKey(&state, key.data(), 8, nullptr);
        uint32_t left = LoadBig(plain.data()), right = LoadBig(plain.data() + 4);
        BlowfishEncryptBlock(&state, &left, &right);
        uint8_t out[8];
        StoreBig(out, left);
        StoreBig(out + 4, right);
        EXPECT_EQ(ToHex(out, 8), v.cipher) << "key " << v.key;
        BlowfishDecryptBlock(&state, &left, &right);
        StoreBig(out, left);
        StoreBig(out + 4, right);
        EXPECT_EQ(ToHex(out, 8), v.plain) << "key " << v.key;
    }
}

// With no IV the register starts as the zero block's encryption, in the vectors' byte order.
TEST(BlowfishVectors, RegisterWithoutIvIsTheZeroBlockCipher) {
    static BlowfishState state;
    for (const BlockVector& v : BlowfishVectors) {
        if (strcmp(v.plain, "0000000000000000") != 0)
            continue;
        Bytes key = FromHex(v.key);
        BlowfishSetKey(&state, key.data(), 8, nullptr);
        EXPECT_EQ(ToHex(state.ivRegister, 8), v.cipher) << "key " << v.key;
        EXPECT_EQ(ToHex(state.savedIv, 8), v.cipher) << "key " << v.key;
    }
    const uint8_t iv[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    BlowfishSetKey(&state, FromHex("0123456789abcdef").data(), 8, iv);
    EXPECT_EQ(ToHex(state.ivRegister, 8), "0102030405060708");
}

// SP 800-20 Table A.1 (variable plaintext, key 0101010101010101, every tenth row), Table A.2
// (variable key), and the FIPS 81 Appendix B example.
const BlockVector DesVectors[] = {
    {"0101010101010101", "8000000000000000", "95f8a5e5dd31d900"},
    {"0101010101010101", "0020000000000000", "b8061b7ecd9a21e5"},
    {"0101010101010101", "0000080000000000", "e7fce22557d23c97"},
    {"0101010101010101", "0000000200000000", "e428581186ec8f46"},
    {"0101010101010101", "0000000000800000", "25eb5fc3f8cf0621"},
    {"0101010101010101", "0000000000002000", "1d1ca853ae7c0c5f"},
    {"0101010101010101", "0000000000000008", "cc083f1e6d9e85f6"},
    {"0101010101010101", "0000000000000001", "166b40b44aba4bd6"},
    {"8001010101010101", "0000000000000000", "95a8d72813daa94d"},
    {"4001010101010101", "0000000000000000", "0eec1487dd8c26d5"},
    {"0123456789abcdef", "4e6f772069732074", "3fa40e8a984d4815"},
    {"0123456789abcdef", "68652074696d6520", "6a271787ab8883f9"},
    {"0123456789abcdef", "666f7220616c6c20", "893d51ec4b563b53"},
    {"133457799bbcdff1", "0123456789abcdef", "85e813540f0ab405"},
};

TEST(DesVectors, EncryptAndDecryptEachBlock) {
    for (const BlockVector& v : DesVectors) {
        DesKeySchedule schedule;
        Bytes key = FromHex(v.key), plain = FromHex(v.plain);
        EXPECT_EQ(DesSetKey(key.data(), &schedule), 0);
        uint8_t out[8], back[8];
        EXPECT_EQ(DesCryptBlock(plain.data(), out, &schedule, 1), 0);
        EXPECT_EQ(ToHex(out, 8), v.cipher) << "key " << v.key << " plain " << v.plain;
        EXPECT_EQ(DesCryptBlock(out, back, &schedule, 0), 0);
        EXPECT_EQ(ToHex(back, 8), v.plain) << "key " << v.key;
    }
}

// The same three blocks under two-key EDE with equal keys are single DES (FIPS 81 Appendix B).
TEST(DesVectors, EdeWithOneKeyIsSingleDes) {
    Bytes key = FromHex("0123456789abcdef");
    DesSetKey(key.data(), &ProcessTripleDes.schedule1);
    DesSetKey(key.data(), &ProcessTripleDes.schedule2);
    DesSetKey(key.data(), &ProcessTripleDes.schedule3);
    for (int i = 10; i < 13; i++) {
        Bytes plain = FromHex(DesVectors[i].plain);
        uint8_t out[8], back[8];
        TripleDesEncryptBlock(plain.data(), out);
        EXPECT_EQ(ToHex(out, 8), DesVectors[i].cipher);
        TripleDesDecryptBlock(out, back);
        EXPECT_EQ(ToHex(back, 8), DesVectors[i].plain);
    }
}

// The three FIPS 81 blocks under one key, repeated in turn as one long CBC run, through every
// triple-DES path this processor has (with all three keys equal, EDE is single DES): each
// plaintext block is the published plaintext of its ciphertext xor the ciphertext before it.
TEST(DesVectors, EveryLevelDecryptsARunOfPublishedBlocks) {
    Bytes key = FromHex("0123456789abcdef");
    DesSetKey(key.data(), &ProcessTripleDes.schedule1);
    DesSetKey(key.data(), &ProcessTripleDes.schedule2);
    DesSetKey(key.data(), &ProcessTripleDes.schedule3);
    const uint32_t blocks = 600; // two whole AVX2 passes and a partial one
    const Bytes iv = FromHex("1234567890abcdef");
    Bytes cipher, expected;
    for (uint32_t j = 0; j < blocks; j++) {
        Bytes c = FromHex(DesVectors[10 + j % 3].cipher), p = FromHex(DesVectors[10 + j % 3].plain);
        const uint8_t* previous = j == 0 ? iv.data() : &cipher[8 * (j - 1)];
        for (int i = 0; i < 8; i++)
            expected.push_back(uint8_t(p[i] ^ previous[i]));
        cipher.insert(cipher.end(), c.begin(), c.end());
    }
    for (int level = SimdLevelPortable; level <= SupportedSimdLevel(); level++) {
        ASSERT_EQ(PinSimdLevel(SimdLevel(level)), 1);
        memcpy(ProcessTripleDes.ivRegister, iv.data(), 8);
        Bytes out(cipher.size());
        TripleDesCbcDecrypt(cipher.data(), out.data(), uint32_t(cipher.size()));
        EXPECT_EQ(ToHex(out), ToHex(expected)) << "level " << level;
        EXPECT_EQ(ToHex(ProcessTripleDes.ivRegister, 8), DesVectors[10 + (blocks - 1) % 3].cipher);
    }
    PinSimdLevel(SupportedSimdLevel());
}

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
        EXPECT_EQ(ToHex(digest, 32), v.digest) << "message \"" << v.message << "\"";
        const uint8_t zero[sizeof context] = {};
        EXPECT_EQ(memcmp(&context, zero, sizeof context), 0) << "context not wiped";
    }
}

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

} // namespace
