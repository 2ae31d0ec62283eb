// Key identification on real files in d:, on samples encrypted by OpenSSL at build time
// (key_samples.py): each file's key found from its head and used by the decryptor, pairs confirmed
// over the whole file, and every odd input answered without anything written.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "recovery/decrypt_file.h"
#include "recovery/key_files.h"
#include "recovery/key_select.h"
#include "recovery/password_key.h"
#include "tests/recovery/cipher_state_reset.h"
#include "tests/support/hex.h"
#include "tests/support/failing_file_calls.h"
#include "tests/recovery/key_samples.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/wide_text.h"
#include "common/run_state.h"

namespace {

class KeyFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        StartCipherStateAfresh();
        RunState.KeySelector = KeySelectorNone;
        RunState.UnlockedCount = 0;
        ASSERT_EQ(DerivePasswordKey(KeySamplePassword), 1);
    }
};

std::string Bytes(const uint8_t* data, uint32_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

std::wstring PlaceEncrypted(const std::wstring& folder, const KeySample& sample) {
    std::wstring path = folder + Wide(sample.name) + L".crypt";
    EXPECT_TRUE(WriteWhole(path, sample.cipher, sample.size));
    return path;
}

std::wstring PlacePlain(const std::wstring& folder, const KeySample& sample) {
    std::wstring path = folder + Wide(sample.name);
    EXPECT_TRUE(WriteWhole(path, sample.plain, sample.size));
    return path;
}

// Files of several types under different keys in one folder: each is identified, then decrypted
// by the decryptor under the key found, one after the other as a front end would.
TEST_F(KeyFiles, EachFileInAFolderIsIdentifiedAndDecryptsUnderItsKey) {
    std::wstring folder = MakeScratchFolder(L"identify");
    for (uint32_t i = 0; i < KeySampleCount; ++i) {
        PlaceEncrypted(folder, KeySamples[i]);
    }
    int32_t decrypted = 0;
    for (uint32_t i = 0; i < KeySampleCount; ++i) {
        const KeySample& sample = KeySamples[i];
        std::wstring path = folder + Wide(sample.name) + L".crypt";
        std::wstring before = ListFolder(folder);
        KeyMatch match;
        KeySearchResult result = IdentifyCryptFileKey(path.c_str(), 1, &match);
        EXPECT_EQ(ListFolder(folder), before) << sample.name;
        ASSERT_EQ(result, sample.expected) << sample.name;
        if (result != KeyFound) {
            EXPECT_EQ(match.selector, KeySelectorNone);
            continue;
        }
        ASSERT_EQ(match.selector, sample.selector) << sample.name;
        RunState.KeySelector = match.selector;
        ASSERT_EQ(DecryptCryptFile(path.c_str()), DecryptOk) << sample.name;
        ++decrypted;
        std::string output;
        ASSERT_TRUE(ReadWhole(folder + Wide(sample.name), &output)) << sample.name;
        EXPECT_TRUE(output == Bytes(sample.plain, sample.size))
            << sample.name << ": " << Hex(output, 32) << " not " << Hex(sample.plain, 32);
    }
    EXPECT_EQ(RunState.UnlockedCount, decrypted);
    EXPECT_GE(decrypted, 20);
    // Nothing was written for the files whose key was not identified.
    EXPECT_FALSE(Exists(folder + L"readme.txt"));
    EXPECT_FALSE(Exists(folder + L"empty.pdf"));
    EXPECT_FALSE(Exists(folder + L"stub.bmp"));
}

TEST_F(KeyFiles, WithoutThePasswordItsFilesFitNoKey) {
    std::wstring folder = MakeScratchFolder(L"nopassword");
    std::wstring path = PlaceEncrypted(folder, SampleNamed("data.rar"));
    KeyMatch match;
    EXPECT_EQ(IdentifyCryptFileKey(path.c_str(), 0, &match), KeyNoneFits);
    EXPECT_EQ(match.fittingKeys, 0u);
    EXPECT_EQ(IdentifyCryptFileKey(path.c_str(), 1, &match), KeyFound);
    EXPECT_EQ(match.selector, KeySelectorPassword);
}

// The headers of this test program, a real PE file made by the linker: the loader maps the
// header region with the file's own bytes. The rest stands in for sections.
TEST_F(KeyFiles, ARealExecutableIsKnownByItsHeaders) {
    const uint8_t* module = reinterpret_cast<const uint8_t*>(GetModuleHandleW(nullptr));
    ASSERT_NE(module, nullptr);
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(module + dos->e_lfanew);
    uint32_t headers = nt->OptionalHeader.SizeOfHeaders;
    ASSERT_LE(headers, 4096u);
    std::string image(65536 + 5, '\x5a'); // a short tail as well
    std::memcpy(&image[0], module, headers);
    ASSERT_EQ(SelectKey(KeySelectorPassword), 1);
    uint8_t* data = reinterpret_cast<uint8_t*>(&image[0]);
    BlowfishCbcEncrypt(&ProcessBlowfish, data, data, static_cast<uint32_t>(image.size()));
    std::wstring folder = MakeScratchFolder(L"executable");
    std::wstring path = folder + L"tool.exe.crypt";
    ASSERT_TRUE(WriteWhole(path, image.data(), image.size()));
    KeyMatch match;
    EXPECT_EQ(IdentifyCryptFileKey(path.c_str(), 1, &match), KeyFound);
    EXPECT_EQ(match.selector, KeySelectorPassword);
    EXPECT_EQ(ListFolder(folder), L"tool.exe.crypt");
}

TEST_F(KeyFiles, OddInputsHaveTheirOwnAnswersAndNothingIsWritten) {
    std::wstring folder = MakeScratchFolder(L"odd");
    std::wstring pdf = PlaceEncrypted(folder, SampleNamed("report.pdf"));
    PlaceEncrypted(folder, SampleNamed("empty.pdf"));
    PlaceEncrypted(folder, SampleNamed("stub.bmp"));
    PlaceEncrypted(folder, SampleNamed("tiny.jpg"));
    PlaceEncrypted(folder, SampleNamed("readme.txt"));
    ASSERT_TRUE(CreateDirectoryW((folder + L"folder.pdf.crypt").c_str(), nullptr));
    ASSERT_TRUE(WriteWhole(folder + L"report.crypt", "12345678", 8));
    ASSERT_TRUE(WriteWhole(folder + L"photo.jpg.CRYPT", "12345678", 8));
    std::wstring before = ListFolder(folder);

    struct Case {
        const wchar_t* name;
        KeySearchResult expected;
    };
    const Case cases[] = {
        {L"empty.pdf.crypt", KeyTooShort},     {L"stub.bmp.crypt", KeyTooShort},
        {L"readme.txt.crypt", KeyNoSignature}, {L"report.crypt", KeyNoSignature},
        {L"photo.jpg.CRYPT", KeyNotCryptName}, {L"folder.pdf.crypt", KeyNotAFile},
        {L"missing.pdf.crypt", KeyOpenFailed}, {L"tiny.jpg.crypt", KeyFound},
    };
    for (const Case& c : cases) {
        KeyMatch match;
        EXPECT_EQ(IdentifyCryptFileKey((folder + c.name).c_str(), 1, &match), c.expected)
            << std::string(c.name, c.name + std::wcslen(c.name));
    }

    // A file another process holds without sharing cannot be opened; a read that fails is told
    // apart from it.
    HANDLE held = CreateFileW(pdf.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    KeyMatch match;
    EXPECT_EQ(IdentifyCryptFileKey(pdf.c_str(), 1, &match), KeyOpenFailed);
    CloseHandle(held);
    ASSERT_TRUE(FailReadFileAfter(0, ERROR_CRC));
    KeySearchResult failedRead = IdentifyCryptFileKey(pdf.c_str(), 1, &match);
    StopFailingReadFile();
    EXPECT_EQ(failedRead, KeyReadFailed);
    EXPECT_EQ(IdentifyCryptFileKey(pdf.c_str(), 1, &match), KeyFound);
    EXPECT_EQ(match.selector, 0);
    EXPECT_EQ(ListFolder(folder), before);
}

TEST_F(KeyFiles, APairIsConfirmedOverTheWholeFile) {
    std::wstring folder = MakeScratchFolder(L"pair");
    const char* names[] = {"large.bin", "slides.pptx", "memo.rtf", "backup.tar"};
    for (const char* name : names) {
        const KeySample& sample = SampleNamed(name);
        std::wstring original = PlacePlain(folder, sample);
        std::wstring encrypted = PlaceEncrypted(folder, sample);
        KeyMatch match;
        EXPECT_EQ(FindPairFileKey(original.c_str(), encrypted.c_str(), 1, &match, nullptr),
                  KeyFound)
            << name;
        EXPECT_EQ(match.selector, sample.selector) << name;

        // The decryptor, under the key found, gives the original back beside the input.
        RunState.KeySelector = match.selector;
        ASSERT_EQ(DecryptCryptFile(encrypted.c_str()), DecryptOk) << name;
        std::string output;
        ASSERT_TRUE(ReadWhole(original + L"(0)", &output));
        EXPECT_TRUE(output == Bytes(sample.plain, sample.size)) << name;
    }
    const KeySample& slides = SampleNamed("slides.pptx");
    KeyMatch match;
    EXPECT_EQ(FindPairFileKey((folder + L"slides.pptx").c_str(),
                              (folder + L"slides.pptx.crypt").c_str(), 0, &match, nullptr),
              KeyNoneFits);
    EXPECT_EQ(slides.selector, KeySelectorPassword);
}

TEST_F(KeyFiles, APairThatDoesNotFitSaysWhy) {
    std::wstring folder = MakeScratchFolder(L"nopair");
    const KeySample& large = SampleNamed("large.bin");
    std::wstring encrypted = PlaceEncrypted(folder, large);
    std::string original = Bytes(large.plain, large.size);

    struct Case {
        const char* what;
        std::string original;
        KeySearchResult expected;
    };
    std::string laterByte = original, firstBlock = original, tail = original;
    laterByte[50000] ^= 0x20;
    firstBlock[3] ^= 0x20;
    tail[large.size - 1] ^= 0x01;
    const Case cases[] = {
        {"differs past the head", laterByte, KeyWholeFileDiffers},
        {"differs in the last byte", tail, KeyWholeFileDiffers},
        {"differs in the first block", firstBlock, KeyNoneFits},
        {"is one byte shorter", original.substr(1), KeySizesDiffer},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteWhole(folder + L"original", c.original.data(), c.original.size()));
        KeyMatch match;
        EXPECT_EQ(
            FindPairFileKey((folder + L"original").c_str(), encrypted.c_str(), 1, &match, nullptr),
            c.expected)
            << "the original " << c.what;
        EXPECT_EQ(match.selector, KeySelectorNone);
    }

    // Too short to tell, not files, or missing.
    ASSERT_TRUE(WriteWhole(folder + L"empty", "", 0));
    ASSERT_TRUE(WriteWhole(folder + L"empty.crypt", "", 0));
    ASSERT_TRUE(WriteWhole(folder + L"three", "abc", 3));
    ASSERT_TRUE(WriteWhole(folder + L"three.crypt", "xyz", 3));
    ASSERT_TRUE(CreateDirectoryW((folder + L"sub").c_str(), nullptr));
    std::wstring before = ListFolder(folder);
    struct Pair {
        const wchar_t* original;
        const wchar_t* encrypted;
        KeySearchResult expected;
    };
    const Pair pairs[] = {
        {L"empty", L"empty.crypt", KeyTooShort},      {L"three", L"three.crypt", KeyTooShort},
        {L"sub", L"large.bin.crypt", KeyNotAFile},    {L"original", L"sub", KeyNotAFile},
        {L"gone", L"large.bin.crypt", KeyOpenFailed}, {L"original", L"gone", KeyOpenFailed},
    };
    for (const Pair& pair : pairs) {
        KeyMatch match;
        EXPECT_EQ(FindPairFileKey((folder + pair.original).c_str(),
                                  (folder + pair.encrypted).c_str(), 1, &match, nullptr),
                  pair.expected)
            << std::string(pair.original, pair.original + std::wcslen(pair.original));
    }
    EXPECT_EQ(ListFolder(folder), before);
}

} // namespace
