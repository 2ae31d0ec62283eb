// Key selection: the Unready and Ready states, the first triple-DES key winning, Blowfish rewound
// to its latest snapshot, and refused selectors. OpenSSL's DES is the oracle for the chain start.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "recovery/key_select.h"
#include "recovery/password_key.h"
#include "tests/recovery/cipher_state_reset.h"
#include "tests/recovery/hex_text.h"

namespace {

// The two-key EDE encryption of the zero block under BuiltInDesKeys[index], computed by OpenSSL.
std::string OpenSslZeroBlock(int32_t index) {
    static const uint8_t zero[8] = {};
    uint8_t out[16];
    int outLength = 0;
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(context, EVP_des_ede_ecb(), nullptr, BuiltInDesKeys[index], nullptr);
    EVP_CIPHER_CTX_set_padding(context, 0);
    EVP_EncryptUpdate(context, out, &outLength, zero, 8);
    EVP_CIPHER_CTX_free(context);
    return outLength == 8 ? Hex(out, 8) : "openssl failed";
}

std::string TripleDesIv() {
    return Hex(ProcessTripleDes.ivRegister, 8);
}
std::string TripleDesSavedIv() {
    return Hex(ProcessTripleDes.savedIv, 8);
}

class KeySelect : public ::testing::Test {
  protected:
    void SetUp() override { StartCipherStateAfresh(); }
};

TEST_F(KeySelect, FirstSelectionStartsEachTableKeyAtItsZeroBlock) {
    for (int32_t index = 0; index < BuiltInDesKeyCount; ++index) {
        StartCipherStateAfresh();
        ASSERT_EQ(SelectKey(index), 1) << "index " << index;
        EXPECT_EQ(CipherStateReady, 1);
        EXPECT_EQ(TripleDesSavedIv(), OpenSslZeroBlock(index)) << "index " << index;
        EXPECT_EQ(TripleDesIv(), OpenSslZeroBlock(index)) << "index " << index;
    }
}

TEST_F(KeySelect, NoneLeavesTheStateUnready) {
    EXPECT_EQ(SelectKey(KeySelectorNone), 0);
    EXPECT_EQ(CipherStateReady, 0);
    EXPECT_EQ(SelectKey(3), 1);
    EXPECT_EQ(TripleDesIv(), OpenSslZeroBlock(3));
}

TEST_F(KeySelect, SelectorsOutsideTheModelAreRefusedAndChangeNothing) {
    const int32_t refused[] = {-2, 10, 11, 255, 257, 1000, INT32_MIN, INT32_MAX};
    for (int ready = 0; ready < 2; ++ready) {
        if (ready) {
            ASSERT_EQ(SelectKey(4), 1);
            uint8_t data[16] = {1, 2, 3};
            TripleDesCbcDecrypt(data, data, sizeof data); // moves ivRegister off savedIv
        }
        TripleDesState desBefore = ProcessTripleDes;
        static BlowfishState blowfishBefore;
        blowfishBefore = ProcessBlowfish;
        for (int32_t selector : refused) {
            EXPECT_EQ(SelectKey(selector), 0) << "selector " << selector;
            EXPECT_EQ(CipherStateReady, ready) << "selector " << selector;
            EXPECT_EQ(std::memcmp(&ProcessTripleDes, &desBefore, sizeof desBefore), 0);
            EXPECT_EQ(std::memcmp(&ProcessBlowfish, &blowfishBefore, sizeof blowfishBefore), 0);
        }
    }
}

TEST_F(KeySelect, LaterSelectionRewindsTheChain) {
    ASSERT_EQ(SelectKey(6), 1);
    uint8_t cipher[21];
    for (uint8_t i = 0; i < sizeof cipher; ++i) {
        cipher[i] = static_cast<uint8_t>(i * 37 + 5);
    }
    uint8_t first[21], second[21];
    TripleDesCbcDecrypt(cipher, first, sizeof first);
    EXPECT_NE(TripleDesIv(), TripleDesSavedIv());
    ASSERT_EQ(SelectKey(6), 1);
    EXPECT_EQ(TripleDesIv(), OpenSslZeroBlock(6));
    TripleDesCbcDecrypt(cipher, second, sizeof second);
    EXPECT_EQ(Hex(first, sizeof first), Hex(second, sizeof second));
}

TEST_F(KeySelect, FirstTableKeyStaysForTheProcess) {
    ASSERT_EQ(SelectKey(3), 1);
    DesKeySchedule schedule1 = ProcessTripleDes.schedule1;
    ASSERT_EQ(SelectKey(5), 1);
    EXPECT_EQ(TripleDesIv(), OpenSslZeroBlock(3));
    EXPECT_EQ(std::memcmp(&schedule1, &ProcessTripleDes.schedule1, sizeof schedule1), 0);
    EXPECT_EQ(
        std::memcmp(&ProcessTripleDes.schedule1, &ProcessTripleDes.schedule3, sizeof schedule1), 0);
}

TEST_F(KeySelect, PasswordFirstLeavesTripleDesZeroFilled) {
    ASSERT_EQ(SelectKey(KeySelectorPassword), 1);
    ASSERT_EQ(SelectKey(0), 1);
    static const TripleDesState zero = {};
    EXPECT_EQ(std::memcmp(&ProcessTripleDes, &zero, sizeof zero), 0);
}

TEST_F(KeySelect, PasswordSelectionRewindsToTheLatestSnapshot) {
    ASSERT_EQ(DerivePasswordKey("first password"), 1);
    std::string firstIv = Hex(ProcessBlowfish.savedIv, 8);
    ASSERT_EQ(SelectKey(KeySelectorPassword), 1);
    uint8_t data[8195];
    std::memset(data, 0x5A, sizeof data); // not zero: a zero chain would end where it began
    BlowfishCbcDecrypt(&ProcessBlowfish, data, data, sizeof data);
    EXPECT_NE(Hex(ProcessBlowfish.ivRegister, 8), firstIv);
    ASSERT_EQ(SelectKey(KeySelectorPassword), 1);
    EXPECT_EQ(Hex(ProcessBlowfish.ivRegister, 8), firstIv);

    ASSERT_EQ(DerivePasswordKey("second password"), 1);
    std::string secondIv = Hex(ProcessBlowfish.savedIv, 8);
    BlowfishCbcDecrypt(&ProcessBlowfish, data, data, 16);
    ASSERT_EQ(SelectKey(KeySelectorPassword), 1); // Ready: still takes the new snapshot
    EXPECT_EQ(Hex(ProcessBlowfish.ivRegister, 8), secondIv);
    EXPECT_NE(secondIv, firstIv);
}

} // namespace
