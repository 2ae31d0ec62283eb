// Files of several megabytes through the decryptor's overlapped reading, decrypting and writing:
// the chunks that grow from 8 KiB to 2 MiB must form one CBC chain in file order, and a failed
// read or write part way must leave exactly the chunks before it on disk.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "crypto/blowfish.h"
#include "crypto/des.h"
#include "recovery/decrypt_file.h"
#include "recovery/key_select.h"
#include "recovery/password_key.h"
#include "tests/recovery/cipher_state_reset.h"
#include "tests/recovery/crypt_fixtures.h"
#include "tests/support/hex.h"
#include "tests/support/import_hook.h"
#include "tests/support/scratch_tree.h"
#include "common/run_state.h"

namespace {

// The chunks of 8 KiB to 2 MiB, one more of 2 MiB, then 8 KiB and 5 bytes.
const uint32_t LargeSize = 6 * 1048576 + 5;

class CryptFileDecryptorLarge : public ::testing::Test {
  protected:
    void SetUp() override {
        StartCipherStateAfresh();
        RunState.UnlockedCount = 0;
        ASSERT_EQ(DerivePasswordKey(CryptFixturePassword), 1);
        cipher.resize(LargeSize);
        uint32_t seed = 12345;
        for (char& byte : cipher) {
            seed = seed * 1103515245u + 12345u;
            byte = static_cast<char>(seed >> 24);
        }
    }

    // The whole file decrypted in memory in one call, starting where SelectKey starts a file.
    std::string DecryptInMemory(int32_t selector) const {
        std::string plain = cipher;
        auto* bytes = reinterpret_cast<uint8_t*>(&plain[0]);
        EXPECT_EQ(SelectKey(selector), 1);
        if (selector == KeySelectorPassword) {
            BlowfishCbcDecrypt(&ProcessBlowfish, bytes, bytes, LargeSize);
        } else {
            TripleDesCbcDecrypt(bytes, bytes, LargeSize);
        }
        return plain;
    }

    std::string cipher;
};

// Where the first difference is, or "" when there is none.
std::string FirstDifference(const std::string& ours, const std::string& expected) {
    if (ours.size() != expected.size()) {
        return std::to_string(ours.size()) + " bytes instead of " + std::to_string(expected.size());
    }
    for (size_t at = 0; at < ours.size(); ++at) {
        if (ours[at] != expected[at]) {
            return "at byte " + std::to_string(at) + ": " + Hex(ours.substr(at, 16)) +
                   " instead of " + Hex(expected.substr(at, 16));
        }
    }
    return "";
}

TEST_F(CryptFileDecryptorLarge, EachCipherDecryptsAsOneChain) {
    std::wstring folder = MakeScratchFolder(L"large");
    std::wstring input = folder + L"big.bin.crypt";
    ASSERT_TRUE(WriteWhole(input, cipher.data(), cipher.size()));
    for (int32_t selector : {CryptFixtureKeyIndex, KeySelectorPassword}) {
        std::string expected = DecryptInMemory(selector);
        RunState.KeySelector = selector;
        ASSERT_EQ(DecryptCryptFile(input.c_str()), DecryptOk) << selector;
        std::string output;
        ASSERT_TRUE(ReadWhole(folder + L"big.bin", &output));
        EXPECT_EQ(FirstDifference(output, expected), "") << "selector " << selector;
        ASSERT_TRUE(DeleteFileW((folder + L"big.bin").c_str()));
    }
    EXPECT_EQ(RunState.UnlockedCount, 2);
}

decltype(&CreateThread) RealCreateThread;
HANDLE WINAPI NoThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD,
                       LPDWORD) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

// Without a helper thread the same chunks go one after the other on the caller's thread.
TEST_F(CryptFileDecryptorLarge, WithoutAHelperThreadTheResultIsTheSame) {
    std::wstring folder = MakeScratchFolder(L"nothread");
    std::wstring input = folder + L"big.crypt";
    ASSERT_TRUE(WriteWhole(input, cipher.data(), cipher.size()));
    std::string expected = DecryptInMemory(KeySelectorPassword);
    RunState.KeySelector = KeySelectorPassword;
    RealCreateThread = reinterpret_cast<decltype(&CreateThread)>(
        ReplaceImport("kernel32.dll", "CreateThread", reinterpret_cast<void*>(&NoThread)));
    ASSERT_NE(RealCreateThread, nullptr);
    DecryptResult result = DecryptCryptFile(input.c_str());
    ReplaceImport("kernel32.dll", "CreateThread", reinterpret_cast<void*>(RealCreateThread));
    EXPECT_EQ(result, DecryptOk);
    std::string output;
    ASSERT_TRUE(ReadWhole(folder + L"big", &output));
    EXPECT_EQ(FirstDifference(output, expected), "");
}

int CallsBeforeFailure;
decltype(&ReadFile) RealReadFile;
decltype(&WriteFile) RealWriteFile;

BOOL WINAPI ReadThenFail(HANDLE file, LPVOID data, DWORD size, LPDWORD got,
                         LPOVERLAPPED overlapped) {
    if (CallsBeforeFailure-- == 0) {
        SetLastError(ERROR_CRC);
        return FALSE;
    }
    return RealReadFile(file, data, size, got, overlapped);
}

BOOL WINAPI WriteThenFail(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                          LPOVERLAPPED overlapped) {
    if (CallsBeforeFailure-- == 0) {
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return RealWriteFile(file, data, size, written, overlapped);
}

// The sixth read or the seventh write fails: chunks of 8, 16, 32, 64 and 128 KiB are read
// before the one, those and one of 256 KiB written before the other.
TEST_F(CryptFileDecryptorLarge, AFailurePartWayKeepsTheChunksBeforeIt) {
    std::wstring folder = MakeScratchFolder(L"largefail");
    std::wstring input = folder + L"big.crypt";
    ASSERT_TRUE(WriteWhole(input, cipher.data(), cipher.size()));
    std::string expected = DecryptInMemory(CryptFixtureKeyIndex);
    RunState.KeySelector = CryptFixtureKeyIndex;

    CallsBeforeFailure = 5;
    RealReadFile = reinterpret_cast<decltype(&ReadFile)>(
        ReplaceImport("kernel32.dll", "ReadFile", reinterpret_cast<void*>(&ReadThenFail)));
    ASSERT_NE(RealReadFile, nullptr);
    DecryptResult readResult = DecryptCryptFile(input.c_str());
    ReplaceImport("kernel32.dll", "ReadFile", reinterpret_cast<void*>(RealReadFile));

    CallsBeforeFailure = 6;
    RealWriteFile = reinterpret_cast<decltype(&WriteFile)>(
        ReplaceImport("kernel32.dll", "WriteFile", reinterpret_cast<void*>(&WriteThenFail)));
    ASSERT_NE(RealWriteFile, nullptr);
    DecryptResult writeResult = DecryptCryptFile(input.c_str());
    ReplaceImport("kernel32.dll", "WriteFile", reinterpret_cast<void*>(RealWriteFile));

    EXPECT_EQ(readResult, DecryptReadFailed);
    EXPECT_EQ(writeResult, DecryptWriteFailed);
    std::string afterRead, afterWrite;
    ASSERT_TRUE(ReadWhole(folder + L"big", &afterRead));
    ASSERT_TRUE(ReadWhole(folder + L"big(0)", &afterWrite));
    EXPECT_EQ(FirstDifference(afterRead, expected.substr(0, 248 * 1024)), "");
    EXPECT_EQ(FirstDifference(afterWrite, expected.substr(0, 504 * 1024)), "");
    EXPECT_EQ(RunState.UnlockedCount, 0);
}

} // namespace
