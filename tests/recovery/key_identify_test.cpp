// Key identification on buffers: sample files of each kind encrypted by OpenSSL at build time
// (key_samples.py), a collision on a short signature built here with OpenSSL, and pairs.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "recovery/key_identify.h"
#include "recovery/key_select.h"
#include "recovery/password_key.h"
#include "tests/crypto/openssl_oracle.h"
#include "tests/recovery/cipher_state_reset.h"
#include "tests/support/hex.h"
#include "tests/recovery/key_samples.h"
#include "tests/support/wide_text.h"

namespace {

class KeyIdentify : public ::testing::Test {
  protected:
    void SetUp() override {
        StartCipherStateAfresh();
        ASSERT_EQ(DerivePasswordKey(KeySamplePassword), 1);
    }
};

// The sample's extension, as the name before ".crypt" gives it.
std::wstring ExtensionOf(const KeySample& sample) {
    std::wstring name = Wide(sample.name) + L".crypt";
    uint32_t length = 0;
    const wchar_t* extension = TypeExtensionOfCryptName(name.c_str(), &length);
    return extension ? std::wstring(extension, length) : std::wstring();
}

uint32_t BitOf(int32_t selector) {
    return selector == KeySelectorPassword ? PasswordKeyBit : 1u << selector;
}

TEST_F(KeyIdentify, EachSampleGetsItsOwnKeyOrItsReason) {
    static TripleDesState desBefore;
    static BlowfishState blowfishBefore;
    desBefore = ProcessTripleDes;
    blowfishBefore = ProcessBlowfish;
    for (uint32_t i = 0; i < KeySampleCount; ++i) {
        const KeySample& sample = KeySamples[i];
        std::wstring extension = ExtensionOf(sample);
        CipherHead head = HeadOf(sample.cipher, sample.size);
        for (int32_t withPassword = 0; withPassword < 2; ++withPassword) {
            KeyMatch match;
            KeySearchResult result =
                IdentifyKeyBySignature(extension.c_str(), static_cast<uint32_t>(extension.size()),
                                       &head, withPassword, &match);
            bool passwordNeeded = sample.selector == KeySelectorPassword && !withPassword;
            if (sample.expected == KeyFound && passwordNeeded) {
                EXPECT_EQ(result, KeyNoneFits) << sample.name;
                EXPECT_EQ(match.fittingKeys, 0u) << sample.name;
            } else if (sample.expected == KeyFound) {
                EXPECT_EQ(result, KeyFound) << sample.name;
                EXPECT_EQ(match.selector, sample.selector) << sample.name;
                EXPECT_EQ(match.fittingKeys, BitOf(sample.selector)) << sample.name;
            } else {
                EXPECT_EQ(result, sample.expected) << sample.name;
                EXPECT_EQ(match.selector, KeySelectorNone) << sample.name;
            }
        }
    }
    EXPECT_EQ(std::memcmp(&ProcessTripleDes, &desBefore, sizeof desBefore), 0);
    EXPECT_EQ(std::memcmp(&ProcessBlowfish, &blowfishBefore, sizeof blowfishBefore), 0);
    EXPECT_EQ(CipherStateReady, 0);
}

// Random heads fit no key. Every length up to a few blocks, and a whole head, each in a buffer of
// exactly its size so that the address sanitizer sees any read past it, under files as long, a
// little longer, and far longer.
TEST_F(KeyIdentify, RandomHeadsFitNoKeyAndAreReadWithinTheirBytes) {
    std::mt19937 random(5);
    std::vector<uint32_t> lengths = {300, KeyHeadSize};
    for (uint32_t length = 0; length <= 72; ++length) {
        lengths.push_back(length);
    }
    for (uint32_t length : lengths) {
        const uint64_t fileSizes[] = {length, length + 1ull, length + 100ull, 1ull << 40};
        for (uint64_t fileSize : fileSizes) {
            std::unique_ptr<uint8_t[]> bytes(new uint8_t[length + (length == 0)]);
            for (uint32_t i = 0; i < length; ++i) {
                bytes[i] = static_cast<uint8_t>(random());
            }
            CipherHead head = {bytes.get(), length, fileSize};
            for (uint32_t s = 0; s < FileSignatureCount; ++s) {
                std::wstring extension = Wide(FileSignatures[s].extensions);
                extension = extension.substr(0, extension.find(L' '));
                KeyMatch match;
                KeySearchResult result = IdentifyKeyBySignature(
                    extension.c_str(), static_cast<uint32_t>(extension.size()), &head, 1, &match);
                EXPECT_TRUE(result == KeyNoneFits || result == KeyTooShort) << result;
            }
            std::unique_ptr<uint8_t[]> original(new uint8_t[length + (length == 0)]);
            std::memcpy(original.get(), bytes.get(), length);
            KeyMatch match;
            FindPairKeyInHeads(original.get(), fileSize, &head, 1, &match);
        }
    }
}

// Encrypts whole blocks into the ".crypt" form under a table key, with OpenSSL.
bool OpenSslCrypt(int32_t index, const uint8_t* plain, uint32_t length, uint8_t* cipher) {
    static const uint8_t zero[8] = {};
    uint8_t iv[8];
    return OracleCipher(EVP_des_ede_ecb(), BuiltInDesKeys[index], 16, nullptr, true, zero, 8, iv) &&
           OracleCipher(EVP_des_ede_cbc(), BuiltInDesKeys[index], 16, iv, true, plain, length,
                        cipher);
}

// The first block as another table key decrypts it, with OpenSSL.
bool OpenSslFirstBlock(int32_t index, const uint8_t* cipher, uint8_t* plain) {
    static const uint8_t zero[8] = {};
    uint8_t iv[8];
    if (!OracleCipher(EVP_des_ede_ecb(), BuiltInDesKeys[index], 16, nullptr, true, zero, 8, iv) ||
        !OracleCipher(EVP_des_ede_ecb(), BuiltInDesKeys[index], 16, nullptr, false, cipher, 8,
                      plain)) {
        return false;
    }
    for (int i = 0; i < 8; ++i) {
        plain[i] ^= iv[i];
    }
    return true;
}

// A bitmap under key 2 whose first block, under some other key, also begins "BM": varying the
// file-size field (which no check reads) finds one in about 65536 / 9 tries.
TEST_F(KeyIdentify, TwoKeysFittingAShortSignatureAreNotBothAccepted) {
    ASSERT_TRUE(OracleInit());
    const int32_t encryptedUnder = 2;
    uint8_t plain[64] = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0};
    uint8_t cipher[64];
    std::mt19937 random(2026);
    int32_t alsoFits = KeySelectorNone;
    int tries = 0;
    while (alsoFits == KeySelectorNone && tries < 200000) {
        ++tries;
        uint32_t sizeField = random();
        std::memcpy(plain + 2, &sizeField, 4);
        ASSERT_TRUE(OpenSslCrypt(encryptedUnder, plain, sizeof plain, cipher));
        for (int32_t other = 0; other < BuiltInDesKeyCount; ++other) {
            uint8_t block[8];
            if (other != encryptedUnder && OpenSslFirstBlock(other, cipher, block) &&
                block[0] == 'B' && block[1] == 'M') {
                alsoFits = other;
            }
        }
    }
    ASSERT_NE(alsoFits, KeySelectorNone) << "no collision in " << tries << " tries";
    std::printf("collision after %d tries: keys %d and %d\n", tries, encryptedUnder, alsoFits);

    // With the two bytes alone both keys fit, and neither is taken.
    const FileSignature twoBytes[] = {{"bmp", {{0, 2, "BM"}, {0, 0, nullptr}}, NoFurtherCheck}};
    CipherHead head = {cipher, sizeof cipher, sizeof cipher};
    KeyMatch match;
    EXPECT_EQ(IdentifyKeyAmong(twoBytes, 1, L"bmp", 3, &head, 1, &match), KeySeveralFit);
    EXPECT_EQ(match.fittingKeys, BitOf(encryptedUnder) | BitOf(alsoFits));
    EXPECT_EQ(match.selector, KeySelectorNone);

    // The bitmap header's fields tell them apart.
    EXPECT_EQ(IdentifyKeyBySignature(L"bmp", 3, &head, 1, &match), KeyFound);
    EXPECT_EQ(match.selector, encryptedUnder);
}

// The first 256 bytes of a sample with one field changed, encrypted by OpenSSL under key 3, as a
// file of `size` bytes: identified only while the field keeps to its format's rules.
KeySearchResult IdentifyChanged(const char* name, uint32_t at, uint8_t value, uint32_t size) {
    const KeySample& sample = SampleNamed(name);
    uint8_t plain[256] = {}, cipher[256];
    std::memcpy(plain, sample.plain, sample.size < sizeof plain ? sample.size : sizeof plain);
    plain[at] = value;
    if (!OpenSslCrypt(3, plain, sizeof plain, cipher)) {
        return KeyReadFailed;
    }
    std::string extension = std::strrchr(name, '.') + 1;
    std::wstring wide(extension.begin(), extension.end());
    CipherHead head = {cipher, sizeof cipher, size};
    KeyMatch match;
    KeySearchResult result =
        IdentifyKeyBySignature(wide.c_str(), static_cast<uint32_t>(wide.size()), &head, 0, &match);
    return result == KeyFound && match.selector != 3 ? KeySeveralFit : result;
}

TEST_F(KeyIdentify, HeaderChecksHoldToEachFormatsRules) {
    ASSERT_TRUE(OracleInit());
    struct Change {
        const char* sample;
        uint32_t at;
        uint8_t value;
        KeySearchResult expected;
    };
    const Change changes[] = {
        {"image.bmp", 2, 0x77, KeyFound},       // bfSize is not checked
        {"image.bmp", 6, 1, KeyNoneFits},       // bfReserved1
        {"image.bmp", 9, 1, KeyNoneFits},       // bfReserved2
        {"image.bmp", 14, 41, KeyNoneFits},     // no header version is 41 bytes
        {"image.bmp", 14, 12, KeyFound},        // BITMAPCOREHEADER
        {"image.bmp", 14, 124, KeyNoneFits},    // BITMAPV5HEADER would end past the pixels
        {"image.bmp", 13, 1, KeyNoneFits},      // pixels 16 MiB in, past the file's end
        {"setup.exe", 0x3C, 0x40, KeyNoneFits}, // the offset leads to no "PE\0\0"
        {"setup.exe", 0x3F, 0x01, KeyNoneFits}, // the offset lies past the head
        {"setup.exe", 0x81, 'X', KeyNoneFits},  // "PX\0\0"
        {"log.txt.gz", 2, 7, KeyNoneFits},      // a reserved method
        {"log.txt.gz", 3, 0x20, KeyNoneFits},   // a reserved flag
        {"log.txt.gz", 3, 0x1F, KeyFound},      // every defined flag
        {"log.txt.gz", 9, 14, KeyNoneFits},     // no operating system 14
        {"log.txt.gz", 9, 13, KeyFound},        // Acorn RISCOS
        {"song.mp3", 3, 5, KeyNoneFits},        // ID3v2.5 does not exist
        {"song.mp3", 3, 4, KeyFound},           // ID3v2.4
        {"song.mp3", 5, 0x01, KeyNoneFits},     // a low flag bit
        {"song.mp3", 8, 0x80, KeyNoneFits},     // a size byte that is not sync-safe
    };
    for (const Change& change : changes) {
        EXPECT_EQ(IdentifyChanged(change.sample, change.at, change.value, 1 << 20), change.expected)
            << change.sample << " byte " << change.at << " = " << int(change.value);
    }
    // The bitmap's pixels must start within the file: 54 bytes of headers need a 54-byte file.
    EXPECT_EQ(IdentifyChanged("image.bmp", 2, 0, 54), KeyFound);
    EXPECT_EQ(IdentifyChanged("image.bmp", 2, 0, 53), KeyNoneFits);
}

TEST_F(KeyIdentify, PairsFindTheKeyFromTheFirstBlocks) {
    for (uint32_t i = 0; i < KeySampleCount; ++i) {
        const KeySample& sample = KeySamples[i];
        CipherHead head = HeadOf(sample.cipher, sample.size);
        KeyMatch match;
        KeySearchResult result = FindPairKeyInHeads(sample.plain, sample.size, &head, 1, &match);
        if (sample.size < PairLeastSize) {
            EXPECT_EQ(result, KeyTooShort) << sample.name;
            continue;
        }
        EXPECT_EQ(result, KeyFound) << sample.name;
        EXPECT_EQ(match.selector, sample.selector) << sample.name;
        EXPECT_EQ(match.fittingKeys, BitOf(sample.selector)) << sample.name;
        if (sample.selector == KeySelectorPassword) {
            EXPECT_EQ(FindPairKeyInHeads(sample.plain, sample.size, &head, 0, &match), KeyNoneFits);
        }
    }

    const KeySample& large = KeySamples[KeySampleCount - 1];
    static uint8_t changed[KeyHeadSize];
    std::memcpy(changed, large.plain, sizeof changed);
    CipherHead head = HeadOf(large.cipher, large.size);
    KeyMatch match;
    changed[KeyHeadSize - 1] ^= 1; // the last byte compared
    EXPECT_EQ(FindPairKeyInHeads(changed, large.size, &head, 1, &match), KeyNoneFits);
    EXPECT_EQ(match.fittingKeys, 0u);
    EXPECT_EQ(FindPairKeyInHeads(large.plain, large.size - 1, &head, 1, &match), KeySizesDiffer);
    // Differences past the head are the whole-file confirmation's to find.
    EXPECT_EQ(FindPairKeyInHeads(large.plain, large.size, &head, 1, &match), KeyFound);
}

TEST(CryptNames, TheTypeIsTheExtensionBeforeCrypt) {
    struct Case {
        const wchar_t* path;
        const wchar_t* extension; // null: none
    };
    const Case cases[] = {
        {L"report.pdf.crypt", L"pdf"},
        {L"C:\\Users\\ann\\REPORT.PDF.crypt", L"PDF"},
        {L"backup.tar.gz.crypt", L"gz"},
        {L"\\\\?\\D:\\a.b\\photo.jpeg.crypt", L"jpeg"},
        {L".hidden.crypt", L"hidden"},
        {L"d:/x.y/notes.odt.crypt", L"odt"},
        {L"report.crypt", nullptr},
        {L"a.b\\report.crypt", nullptr},
        {L"a.b/report.crypt", nullptr},
        {L"c:report.crypt", nullptr},
        {L"report..crypt", nullptr},
        {L"report.pdf.CRYPT", nullptr},
        {L"report.pdf.crypt.bak", nullptr},
        {L"report.pdf", nullptr},
        {L"", nullptr},
    };
    for (const Case& c : cases) {
        uint32_t length = 99;
        const wchar_t* extension = TypeExtensionOfCryptName(c.path, &length);
        std::wstring found = extension ? std::wstring(extension, length) : L"(none)";
        EXPECT_EQ(found, c.extension ? c.extension : L"(none)") << c.path;
    }
    EXPECT_TRUE(IsCryptName(L"dir.v2\\report.crypt"));
    EXPECT_FALSE(IsCryptName(L"dir.crypt\\report"));
}

} // namespace
