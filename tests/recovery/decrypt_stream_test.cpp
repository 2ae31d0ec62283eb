// Files of several megabytes through the decryptor's overlapped reading, decrypting and writing:
// the chunks that grow from 8 KiB to 2 MiB must form one CBC chain in file order; a failed read or
// write part way must have written exactly the chunks before it, and then remove them; a stop
// asked for part way ends the file at the next chunk.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "crypto/blowfish.h"
#include "crypto/des.h"
#include "recovery/decrypt_file.h"
#include "recovery/key_select.h"
#include "recovery/password_key.h"
#include "tests/recovery/cipher_state_reset.h"
#include "tests/recovery/crypt_fixtures.h"
#include "tests/support/hex.h"
#include "tests/recovery/removed_files.h"
#include "tests/support/failing_file_calls.h"
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

// The sixth read or the seventh write fails: chunks of 8, 16, 32, 64 and 128 KiB are read
// before the one, those and one of 256 KiB written before the other.
TEST_F(CryptFileDecryptorLarge, AFailurePartWayWritesTheChunksBeforeItThenRemovesThem) {
    std::wstring folder = MakeScratchFolder(L"largefail");
    std::wstring input = folder + L"big.crypt";
    ASSERT_TRUE(WriteWhole(input, cipher.data(), cipher.size()));
    std::string expected = DecryptInMemory(CryptFixtureKeyIndex);
    RunState.KeySelector = CryptFixtureKeyIndex;
    wchar_t output[DecryptNameCapacity];
    uint32_t readError = 0, writeError = 0;

    StartRecordingRemovals();
    ASSERT_TRUE(FailReadFileAfter(5, ERROR_CRC));
    DecryptResult readResult = DecryptCryptFileTo(input.c_str(), nullptr, output, &readError);
    StopFailingReadFile();

    ASSERT_TRUE(FailWriteFileAfter(6, ERROR_DISK_FULL));
    DecryptResult writeResult = DecryptCryptFileTo(input.c_str(), nullptr, output, &writeError);
    StopFailingWriteFile();
    std::vector<RemovedFile> removed = StopRecordingRemovals();

    EXPECT_EQ(readResult, DecryptReadFailed);
    EXPECT_EQ(readError, static_cast<uint32_t>(ERROR_CRC));
    EXPECT_EQ(writeResult, DecryptWriteFailed);
    EXPECT_EQ(writeError, static_cast<uint32_t>(ERROR_DISK_FULL));
    EXPECT_EQ(output[0], L'\0');
    ASSERT_EQ(removed.size(), 2u);
    EXPECT_EQ(removed[0].path, folder + L"big.part");
    EXPECT_EQ(removed[1].path, folder + L"big.part");
    EXPECT_EQ(FirstDifference(removed[0].contents, expected.substr(0, 248 * 1024)), "");
    EXPECT_EQ(FirstDifference(removed[1].contents, expected.substr(0, 504 * 1024)), "");
    EXPECT_EQ(ListFolder(folder), L"big.crypt");
    EXPECT_EQ(RunState.UnlockedCount, 0);
}

// Progress is told after each chunk; a stop asked for after the third ends the file there.
struct WatchRecord {
    std::vector<uint64_t> done;
    uint64_t all;
    int stopAfter; // chunks; -1: never
};
WatchRecord Watched;

void RecordProgress(uint64_t done, uint64_t all) {
    Watched.done.push_back(done);
    Watched.all = all;
}

int StopAfterSomeChunks() {
    return Watched.stopAfter >= 0 && static_cast<int>(Watched.done.size()) >= Watched.stopAfter;
}

TEST_F(CryptFileDecryptorLarge, ProgressByChunkAndAStopPartWayLeavesNothing) {
    std::wstring folder = MakeScratchFolder(L"largestop");
    std::wstring input = folder + L"big.crypt";
    ASSERT_TRUE(WriteWhole(input, cipher.data(), cipher.size()));
    std::string expected = DecryptInMemory(KeySelectorPassword);
    RunState.KeySelector = KeySelectorPassword;
    const DecryptWatch watch = {RecordProgress, StopAfterSomeChunks};
    wchar_t output[DecryptNameCapacity];
    uint32_t error = 0;

    Watched = WatchRecord{{}, 0, -1};
    ASSERT_EQ(DecryptCryptFileTo(input.c_str(), &watch, output, &error), DecryptOk);
    EXPECT_EQ(std::wstring(output), folder + L"big");
    // 8 KiB doubling to 2 MiB, one more of 2 MiB, then the last 8 KiB and 5 bytes.
    const std::vector<uint64_t> chunks = {8192,    24576,   57344,   122880,  253952, 516096,
                                          1040384, 2088960, 4186112, 6283264, 6291461};
    EXPECT_EQ(Watched.done, chunks);
    EXPECT_EQ(Watched.all, static_cast<uint64_t>(LargeSize));
    std::string whole;
    ASSERT_TRUE(ReadWhole(folder + L"big", &whole));
    EXPECT_EQ(FirstDifference(whole, expected), "");

    Watched = WatchRecord{{}, 0, 3};
    StartRecordingRemovals();
    EXPECT_EQ(DecryptCryptFileTo(input.c_str(), &watch, output, &error), DecryptStopped);
    std::vector<RemovedFile> removed = StopRecordingRemovals();
    EXPECT_EQ(Watched.done.size(), 3u);
    EXPECT_EQ(output[0], L'\0');
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].path, folder + L"big.part");
    EXPECT_LE(removed[0].contents.size(), 57344u);
    EXPECT_EQ(ListFolder(folder), L"big|big.crypt");
    EXPECT_EQ(RunState.UnlockedCount, 1);
}

} // namespace
