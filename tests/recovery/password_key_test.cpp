// The password-derived Blowfish key against known answers computed with OpenSSL's SHA-256,
// Blowfish and Base64 (openssl_oracle.py known-answers, OpenSSL 3.0).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "recovery/key_select.h"
#include "recovery/password_key.h"
#include "tests/recovery/cipher_state_reset.h"
#include "tests/support/hex.h"

namespace {

// Password, and the encryption of the zero block under its derived key (the chain start).
struct KnownAnswer {
    const char* password;
    const char* zeroBlock;
};
// openssl_oracle.py known-answers (OpenSSL 3.0 libcrypto); lengths 0, 1, 21, 22, 31.
const KnownAnswer KnownAnswers[] = {
    {"", "93e892501e88ca01"},
    {"x", "2fa6b60ab6fd9aea"},
    {"open sesame, my files", "45bfa43e1faff165"},
    {"Rescindo-Recovery-2026", "a0b89209f3bd772e"},
    {"\xc3\xa9t\xc3\xa9 31 bytes of password, ok!", "0ec61a9229762843"},
};

class PasswordKey : public ::testing::Test {
  protected:
    void SetUp() override { StartCipherStateAfresh(); }
};

// Leaves garbage where the derivation's buffers will lie, so a key that depended on unwritten
// bytes would differ from the known answer.
__attribute__((noinline)) void DirtyTheStack() {
    volatile uint8_t junk[4096];
    for (size_t i = 0; i < sizeof junk; ++i) {
        junk[i] = static_cast<uint8_t>(0xA5 ^ i);
    }
}

TEST_F(PasswordKey, KnownAnswers) {
    for (const KnownAnswer& answer : KnownAnswers) {
        DirtyTheStack();
        ASSERT_EQ(DerivePasswordKey(answer.password), 1) << answer.password;
        EXPECT_EQ(Hex(ProcessBlowfish.ivRegister, 8), answer.zeroBlock)
            << "length " << std::strlen(answer.password);
        EXPECT_EQ(Hex(ProcessBlowfish.savedIv, 8), answer.zeroBlock);
    }
}

TEST_F(PasswordKey, CarriageReturnAndLineFeedEndThePassword) {
    const char* endings[] = {"open sesame, my files\r", "open sesame, my files\n",
                             "open sesame, my files\r\nignored", "open sesame, my files\nmore"};
    for (const char* password : endings) {
        ASSERT_EQ(DerivePasswordKey(password), 1);
        EXPECT_EQ(Hex(ProcessBlowfish.ivRegister, 8), KnownAnswers[2].zeroBlock);
    }
    ASSERT_EQ(DerivePasswordKey("\r"), 1);
    EXPECT_EQ(Hex(ProcessBlowfish.ivRegister, 8), KnownAnswers[0].zeroBlock);
}

TEST_F(PasswordKey, ThirtyTwoBytesAreRefusedAndChangeNothing) {
    ASSERT_EQ(DerivePasswordKey("x"), 1);
    uint8_t data[8] = {};
    BlowfishCbcDecrypt(&ProcessBlowfish, data, data, 5); // live state off its snapshot
    static BlowfishState before;
    before = ProcessBlowfish;
    const char* tooLong[] = {"0123456789abcdef0123456789abcdef",
                             "0123456789abcdef0123456789abcdef\r",
                             "0123456789abcdef0123456789abcdefghijk"};
    for (const char* password : tooLong) {
        EXPECT_EQ(DerivePasswordKey(password), 0) << password;
        EXPECT_EQ(std::memcmp(&ProcessBlowfish, &before, sizeof before), 0) << password;
    }
}

TEST_F(PasswordKey, SnapshotEqualsTheLiveState) {
    ASSERT_EQ(DerivePasswordKey("Rescindo-Recovery-2026"), 1);
    static BlowfishState keyed;
    keyed = ProcessBlowfish;
    BlowfishReset(&ProcessBlowfish);
    EXPECT_EQ(std::memcmp(&ProcessBlowfish, &keyed, sizeof keyed), 0);
}

} // namespace
