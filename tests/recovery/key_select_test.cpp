// Key selection: the Unready and Ready states, each new selector keying the state for itself and
// the same one only rewinding, Blowfish rewound to its latest snapshot, and refused selectors.
// OpenSSL's DES and Blowfish are the oracle for the chain start and for whole decryptions.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "recovery/key_select.h"
#include "recovery/password_key.h"
#include "tests/recovery/cipher_state_reset.h"
#include "tests/crypto/openssl_oracle.h"
#include "tests/support/hex.h"

namespace {

// The Blowfish key DerivePasswordKey makes from this password (openssl_oracle.py known-answers).
const char PasswordOfKeyBytes[] = "open sesame, my files";
const uint8_t PasswordKeyBytes[32] = {
    0x36, 0x7f, 0xbc, 0xc5, 0x28, 0xa0, 0x49, 0x0b, 0x85, 0xc2, 0xfe, 0xa8, 0xfa, 0x54, 0x07, 0xc5,
    0xdb, 0xdb, 0x34, 0x77, 0xa2, 0x59, 0xb4, 0xf9, 0x89, 0x21, 0xa2, 0x86, 0xff, 0x77, 0x7c, 0xc7};

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

// Plaintext of three whole blocks and a tail, and its ".crypt" form under one selector, made by
// OpenSSL: CBC from the encryption of the zero block, the tail xored with the encrypted last
// ciphertext block.
const uint8_t SwitchPlain[29] = "a different key, each time.";

std::string OpenSslCrypt(int32_t selector) {
    const EVP_CIPHER* cbc = EVP_des_ede_cbc();
    const EVP_CIPHER* ecb = EVP_des_ede_ecb();
    const uint8_t* key =
        selector == KeySelectorPassword ? PasswordKeyBytes : BuiltInDesKeys[selector];
    int keyLength = 16;
    if (selector == KeySelectorPassword) {
        cbc = EVP_bf_cbc();
        ecb = EVP_bf_ecb();
        keyLength = 32;
    }
    static const uint8_t zero[8] = {};
    uint8_t iv[8], out[sizeof SwitchPlain], stream[8];
    const uint32_t whole = sizeof SwitchPlain / 8 * 8;
    if (!OracleCipher(ecb, key, keyLength, nullptr, true, zero, 8, iv) ||
        !OracleCipher(cbc, key, keyLength, iv, true, SwitchPlain, whole, out) ||
        !OracleCipher(ecb, key, keyLength, nullptr, true, out + whole - 8, 8, stream)) {
        return "openssl failed";
    }
    for (uint32_t i = whole; i < sizeof SwitchPlain; ++i) {
        out[i] = SwitchPlain[i] ^ stream[i - whole];
    }
    return std::string(reinterpret_cast<const char*>(out), sizeof out);
}

// Decrypts the selector's OpenSSL ciphertext the way the decryptor does: select, then one CBC run.
std::string DecryptUnder(int32_t selector) {
    std::string cipher = OpenSslCrypt(selector);
    if (cipher.size() != sizeof SwitchPlain || SelectKey(selector) != 1) {
        return "not selected";
    }
    uint8_t data[sizeof SwitchPlain];
    std::memcpy(data, cipher.data(), sizeof data);
    if (selector == KeySelectorPassword) {
        BlowfishCbcDecrypt(&ProcessBlowfish, data, data, sizeof data);
    } else {
        TripleDesCbcDecrypt(data, data, sizeof data);
    }
    return Hex(data, sizeof data);
}

TEST_F(KeySelect, EachNewSelectorKeysTheStateForItself) {
    ASSERT_TRUE(OracleInit());
    ASSERT_EQ(DerivePasswordKey(PasswordOfKeyBytes), 1);
    const std::string plain = Hex(SwitchPlain, sizeof SwitchPlain);
    // Table to table and back, password to table and back, and each one repeated.
    const int32_t sequence[] = {
        3, 5, 3, 3, KeySelectorPassword, 0, KeySelectorPassword, KeySelectorPassword, 9, 5};
    for (int32_t selector : sequence) {
        EXPECT_EQ(DecryptUnder(selector), plain) << "selector " << selector;
        if (selector != KeySelectorPassword) {
            EXPECT_EQ(TripleDesSavedIv(), OpenSslZeroBlock(selector)) << "selector " << selector;
            EXPECT_EQ(TripleDesKeyIndex, selector);
            EXPECT_EQ(std::memcmp(&ProcessTripleDes.schedule1, &ProcessTripleDes.schedule3,
                                  sizeof(DesKeySchedule)),
                      0);
        }
    }
}

TEST_F(KeySelect, PasswordFirstThenATableKeyKeysTripleDes) {
    ASSERT_TRUE(OracleInit());
    ASSERT_EQ(DerivePasswordKey(PasswordOfKeyBytes), 1);
    ASSERT_EQ(SelectKey(KeySelectorPassword), 1);
    EXPECT_EQ(TripleDesKeyIndex, KeySelectorNone);
    EXPECT_EQ(DecryptUnder(0), Hex(SwitchPlain, sizeof SwitchPlain));
    EXPECT_EQ(TripleDesSavedIv(), OpenSslZeroBlock(0));
}

TEST_F(KeySelect, TheSameTableKeyAgainOnlyRewinds) {
    ASSERT_EQ(SelectKey(4), 1);
    static TripleDesState keyed;
    keyed = ProcessTripleDes;
    uint8_t data[16] = {9, 8, 7};
    TripleDesCbcDecrypt(data, data, sizeof data);
    ASSERT_EQ(SelectKey(4), 1);
    EXPECT_EQ(std::memcmp(&ProcessTripleDes, &keyed, sizeof keyed), 0);
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
