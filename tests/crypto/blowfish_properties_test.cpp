// What callers of the Blowfish engine rely on, checked against definitions built from the block
// operation alone.
#include <gtest/gtest.h>
#include <cstring>
#include "crypto/blowfish.h"
#include "tests/crypto/crypto_test_util.h"

namespace {

BlowfishState State, Other; // 8 KB each: kept off the stack

void KeyRandomly(TestRandom* random, BlowfishState* state, bool withIv) {
    Bytes key = RandomBytes(random, 4 + 4 * (NextRandom(random) % 14));
    Bytes iv = RandomBytes(random, 8);
    BlowfishSetKey(state, key.data(), uint32_t(key.size()), withIv ? iv.data() : nullptr);
}

TEST(BlowfishProperties, ByteSwap32ReversesBytes) {
    EXPECT_EQ(ByteSwap32(0x01020304u), 0x04030201u);
    EXPECT_EQ(ByteSwap32(0xff000080u), 0x800000ffu);
}

TEST(BlowfishProperties, KeyBytesBeyondWholeWordsAndBeyond32DoNotCount) {
    TestRandom random = {11};
    Bytes key = RandomBytes(&random, 35);
    BlowfishSetKey(&Other, key.data(), 32, nullptr);
    for (uint32_t length = 33; length <= 35; length++) {
        BlowfishSetKey(&State, key.data(), length, nullptr);
        EXPECT_EQ(memcmp(&State, &Other, sizeof State), 0) << "key length " << length;
    }
    BlowfishSetKey(&State, key.data(), 7, nullptr);
    BlowfishSetKey(&Other, key.data(), 4, nullptr);
    EXPECT_EQ(memcmp(&State, &Other, sizeof State), 0) << "key length 7 against 4";
}

TEST(BlowfishProperties, CbcMatchesItsDefinitionAtEveryLength) {
    TestRandom random = {12};
    for (int round = 0; round < CRYPTO_TEST_ROUNDS; round++) {
        KeyRandomly(&random, &State, round % 2 == 0);
        Bytes in = RandomBytes(&random, NextRandom(&random) % 101);
        for (int encrypt = 0; encrypt < 2; encrypt++) {
            uint8_t reg[8];
            memcpy(reg, State.ivRegister, 8);
            Bytes expected = BlowfishCbcByDefinition(&State, in, encrypt != 0, reg);
            Bytes out(in.size() + 1, 0xa5);
            if (encrypt)
                BlowfishCbcEncrypt(&State, in.data(), out.data(), uint32_t(in.size()));
            else
                BlowfishCbcDecrypt(&State, in.data(), out.data(), uint32_t(in.size()));
            EXPECT_EQ(ToHex(out.data(), in.size()), ToHex(expected)) << "length " << in.size();
            EXPECT_EQ(out[in.size()], 0xa5) << "wrote past the end";
            EXPECT_EQ(ToHex(State.ivRegister, 8), ToHex(reg, 8))
                << "register, length " << in.size();
        }
    }
}

TEST(BlowfishProperties, Cfb8MatchesItsDefinitionAndSplitsAnywhere) {
    TestRandom random = {13};
    for (int round = 0; round < CRYPTO_TEST_ROUNDS; round++) {
        KeyRandomly(&random, &State, round % 2 == 0);
        Bytes in = RandomBytes(&random, NextRandom(&random) % 101);
        uint8_t reg[8];
        memcpy(reg, State.ivRegister, 8);
        Bytes expected(in.size());
        for (size_t i = 0; i < in.size(); i++) {
            uint8_t block[8];
            memcpy(block, reg, 8);
            EncryptBytes(&State, block);
            expected[i] = in[i] ^ block[0];
            memmove(reg, reg + 1, 7);
            reg[7] = expected[i];
        }
        Bytes whole(in.size()), pieces(in.size());
        BlowfishCfb8Encrypt(&State, in.data(), whole.data(), uint32_t(in.size()));
        EXPECT_EQ(ToHex(whole), ToHex(expected));
        EXPECT_EQ(ToHex(State.ivRegister, 8), ToHex(reg, 8));
        BlowfishReset(&State);
        for (size_t i = 0; i < in.size(); i++)
            BlowfishCfb8Encrypt(&State, &in[i], &pieces[i], 1);
        EXPECT_EQ(ToHex(pieces), ToHex(expected));
    }
}

TEST(BlowfishProperties, CbcStreamsSplitAtBlockBoundaries) {
    TestRandom random = {14};
    for (int round = 0; round < CRYPTO_TEST_ROUNDS; round++) {
        KeyRandomly(&random, &State, true);
        Bytes in = RandomBytes(&random, 8 + NextRandom(&random) % 200);
        Bytes whole(in.size()), split(in.size());
        BlowfishCbcDecrypt(&State, in.data(), whole.data(), uint32_t(in.size()));
        BlowfishReset(&State);
        uint32_t first = 8 * (NextRandom(&random) % (in.size() / 8 + 1));
        BlowfishCbcDecrypt(&State, in.data(), split.data(), first);
        BlowfishCbcDecrypt(&State, in.data() + first, split.data() + first,
                           uint32_t(in.size() - first));
        EXPECT_EQ(ToHex(split), ToHex(whole)) << "split at " << first;
    }
}

TEST(BlowfishProperties, ResetInPlaceAndRoundTrip) {
    TestRandom random = {15};
    for (int round = 0; round < CRYPTO_TEST_ROUNDS; round++) {
        KeyRandomly(&random, &State, round % 2 == 0);
        Bytes in = RandomBytes(&random, NextRandom(&random) % 101);
        uint32_t n = uint32_t(in.size());
        Bytes cipher(n), again(n), plain(n);
        BlowfishCbcEncrypt(&State, in.data(), cipher.data(), n);
        uint8_t afterEncrypt[8];
        memcpy(afterEncrypt, State.ivRegister, 8);
        BlowfishReset(&State);
        BlowfishCbcEncrypt(&State, in.data(), again.data(), n);
        EXPECT_EQ(ToHex(again), ToHex(cipher)) << "reset did not reproduce";
        BlowfishReset(&State);
        BlowfishCbcDecrypt(&State, cipher.data(), plain.data(), n);
        EXPECT_EQ(ToHex(plain), ToHex(in)) << "round trip, length " << n;
        EXPECT_EQ(ToHex(State.ivRegister, 8), ToHex(afterEncrypt, 8));

        for (int mode = 0; mode < 3; mode++) {
            Bytes separate(n), inPlace = in;
            BlowfishReset(&State);
            if (mode == 0)
                BlowfishCbcEncrypt(&State, in.data(), separate.data(), n);
            else if (mode == 1)
                BlowfishCbcDecrypt(&State, in.data(), separate.data(), n);
            else
                BlowfishCfb8Encrypt(&State, in.data(), separate.data(), n);
            BlowfishReset(&State);
            if (mode == 0)
                BlowfishCbcEncrypt(&State, inPlace.data(), inPlace.data(), n);
            else if (mode == 1)
                BlowfishCbcDecrypt(&State, inPlace.data(), inPlace.data(), n);
            else
                BlowfishCfb8Encrypt(&State, inPlace.data(), inPlace.data(), n);
            EXPECT_EQ(ToHex(inPlace), ToHex(separate)) << "in place, mode " << mode;
        }
    }
}

TEST(BlowfishProperties, LengthZeroTouchesNothingAndClearZeroes) {
    TestRandom random = {16};
    KeyRandomly(&random, &State, false);
    uint8_t reg[8], out[4] = {9, 9, 9, 9};
    memcpy(reg, State.ivRegister, 8);
    BlowfishCbcEncrypt(&State, out, out, 0);
    BlowfishCbcDecrypt(&State, out, out, 0);
    BlowfishCfb8Encrypt(&State, out, out, 0);
    EXPECT_EQ(memcmp(reg, State.ivRegister, 8), 0);
    EXPECT_EQ(out[0], 9);
    BlowfishClear(&State);
    static const BlowfishState zero = {};
    EXPECT_EQ(memcmp(&State, &zero, sizeof State), 0);
}

} // namespace
