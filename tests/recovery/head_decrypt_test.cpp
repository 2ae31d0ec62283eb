// The decryption of a file's first bytes under each candidate key, against the plaintexts of
// samples OpenSSL encrypted: any run of bytes within the head, none past what was read.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>

#include "recovery/head_decrypt.h"
#include "recovery/password_key.h"
#include "tests/recovery/cipher_state_reset.h"
#include "tests/recovery/key_samples.h"
#include "tests/support/hex.h"

namespace {

class HeadDecrypt : public ::testing::Test {
  protected:
    void SetUp() override {
        StartCipherStateAfresh();
        ASSERT_EQ(DerivePasswordKey(KeySamplePassword), 1);
    }
};

TEST_F(HeadDecrypt, BytesDecryptAsOpenSslEncryptedThem) {
    std::mt19937 random(7);
    for (uint32_t i = 0; i < KeySampleCount; ++i) {
        const KeySample& sample = KeySamples[i];
        HeadKey key;
        PrepareHeadKey(&key, sample.selector);
        CipherHead head = HeadOf(sample.cipher, sample.size);
        uint8_t plain[KeyHeadSize];
        ASSERT_TRUE(DecryptHeadBytes(&key, &head, 0, head.length, plain)) << sample.name;
        EXPECT_EQ(Hex(plain, head.length), Hex(sample.plain, head.length)) << sample.name;
        for (int trial = 0; trial < 50 && head.length != 0; ++trial) {
            uint32_t offset = random() % head.length;
            uint32_t count = random() % (head.length - offset + 1);
            std::memset(plain, 0, sizeof plain);
            ASSERT_TRUE(DecryptHeadBytes(&key, &head, offset, count, plain));
            ASSERT_EQ(Hex(plain, count), Hex(sample.plain + offset, count))
                << sample.name << " at " << offset << " count " << count;
        }
        EXPECT_FALSE(DecryptHeadBytes(&key, &head, head.length, 1, plain)) << sample.name;
    }
    // A block read only in part cannot be decrypted; the bytes before it can.
    const KeySample& large = KeySamples[KeySampleCount - 1];
    HeadKey key;
    PrepareHeadKey(&key, large.selector);
    CipherHead part = {large.cipher, 21, large.size};
    uint8_t plain[16];
    EXPECT_TRUE(DecryptHeadBytes(&key, &part, 0, 16, plain));
    EXPECT_FALSE(DecryptHeadBytes(&key, &part, 16, 1, plain));
}

} // namespace
