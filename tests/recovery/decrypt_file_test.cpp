// The ".crypt" decryptor on real files in d:, against ciphertexts made by OpenSSL.
#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "recovery/decrypt_file.h"
#include "recovery/key_select.h"
#include "recovery/password_key.h"
#include "tests/recovery/cipher_state_reset.h"
#include "tests/support/hex.h"
#include "tests/recovery/crypt_fixtures.h"
#include "tests/recovery/removed_files.h"
#include "tests/support/failing_file_calls.h"
#include "tests/support/import_hook.h"
#include "tests/support/scratch_tree.h"
#include "common/run_state.h"

namespace {

class CryptFileDecryptor : public ::testing::Test {
  protected:
    void SetUp() override {
        StartCipherStateAfresh();
        RunState.KeySelector = CryptFixtureKeyIndex;
        RunState.UnlockedCount = 0;
        ASSERT_EQ(DerivePasswordKey(CryptFixturePassword), 1);
    }
    // Writes fixture `index`'s ciphertext as <folder><name> and returns the path.
    static std::wstring PlaceFixture(const std::wstring& folder, const wchar_t* name,
                                     uint32_t index) {
        std::wstring path = folder + name;
        EXPECT_TRUE(WriteWhole(path, CryptFixtures[index].cipher, CryptFixtures[index].size));
        return path;
    }
    static uint32_t FixtureOfSize(int32_t selector, uint32_t size) {
        for (uint32_t i = 0; i < CryptFixtureCount; ++i) {
            if (CryptFixtures[i].selector == selector && CryptFixtures[i].size == size) {
                return i;
            }
        }
        ADD_FAILURE() << "no fixture of size " << size;
        return 0;
    }
};

TEST_F(CryptFileDecryptor, OpenSslCiphertextsDecryptByteForByte) {
    std::wstring folder = MakeScratchFolder(L"fixtures");
    for (uint32_t i = 0; i < CryptFixtureCount; ++i) {
        const CryptFixture& fixture = CryptFixtures[i];
        std::wstring name(fixture.name, fixture.name + std::strlen(fixture.name));
        std::wstring input = PlaceFixture(folder, (name + L".bin.crypt").c_str(), i);
        RunState.KeySelector = fixture.selector;
        int32_t countBefore = RunState.UnlockedCount;
        ASSERT_EQ(DecryptCryptFile(input.c_str()), DecryptOk) << fixture.name;
        EXPECT_EQ(RunState.UnlockedCount, countBefore + 1);

        std::string output, stillInput;
        std::string plain(reinterpret_cast<const char*>(fixture.plain), fixture.size);
        ASSERT_TRUE(ReadWhole(folder + name + L".bin", &output)) << fixture.name;
        ASSERT_EQ(output.size(), plain.size()) << fixture.name;
        for (size_t at = 0; at < plain.size(); at += 64) {
            ASSERT_EQ(Hex(output.substr(at, 64), 64), Hex(plain.substr(at, 64), 64))
                << fixture.name << " at byte " << at;
        }
        ASSERT_TRUE(ReadWhole(input, &stillInput));
        EXPECT_TRUE(stillInput ==
                    std::string(reinterpret_cast<const char*>(fixture.cipher), fixture.size))
            << fixture.name << ": the input changed";
    }
}

TEST_F(CryptFileDecryptor, CounterNamesTheOutputAndTheSameInputDecryptsAlike) {
    std::wstring folder = MakeScratchFolder(L"counter");
    uint32_t index = FixtureOfSize(CryptFixtureKeyIndex, 8195);
    std::wstring input = PlaceFixture(folder, L"report.doc.crypt", index);
    ASSERT_TRUE(WriteWhole(folder + L"report.doc", "old", 3));
    ASSERT_TRUE(CreateDirectoryW((folder + L"report.doc(0)").c_str(), nullptr));
    ASSERT_EQ(DecryptCryptFile(input.c_str()), DecryptOk);
    ASSERT_EQ(DecryptCryptFile(input.c_str()), DecryptOk);
    EXPECT_EQ(RunState.UnlockedCount, 2);
    EXPECT_EQ(ListFolder(folder),
              L"report.doc|report.doc(0)|report.doc(1)|report.doc(2)|report.doc.crypt");
    std::string first, second, old;
    ASSERT_TRUE(ReadWhole(folder + L"report.doc(1)", &first));
    ASSERT_TRUE(ReadWhole(folder + L"report.doc(2)", &second));
    ASSERT_TRUE(ReadWhole(folder + L"report.doc", &old));
    EXPECT_TRUE(first ==
                std::string(reinterpret_cast<const char*>(CryptFixtures[index].plain), 8195))
        << Hex(first, 32);
    EXPECT_TRUE(second == first) << Hex(second, 32);
    EXPECT_EQ(old, "old");
}

TEST_F(CryptFileDecryptor, OnlyAFinalCaseExactCryptExtensionIsTaken) {
    std::wstring folder = MakeScratchFolder(L"names");
    ASSERT_TRUE(CreateDirectoryW((folder + L"dir.crypt").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((folder + L"my.folder").c_str(), nullptr));
    const wchar_t* refused[] = {L"photo.CRYPT",     L"archive.crypt.bak", L"plain",
                                L"dir.crypt\\file", L"my.folder\\file",   L"b.cryptx"};
    for (const wchar_t* name : refused) {
        ASSERT_TRUE(WriteWhole(folder + name, "data", 4));
    }
    std::wstring before = ListFolder(folder);
    for (const wchar_t* name : refused) {
        EXPECT_EQ(DecryptCryptFile((folder + name).c_str()), DecryptNotCryptFile) << name;
    }
    EXPECT_EQ(DecryptCryptFile(L"no dot at all"), DecryptNotCryptFile);
    EXPECT_EQ(ListFolder(folder), before);
    EXPECT_EQ(ListFolder(folder + L"dir.crypt\\"), L"file");
    EXPECT_EQ(RunState.UnlockedCount, 0);

    // A dot in a folder name is no obstacle when the file itself ends in ".crypt".
    std::wstring input =
        PlaceFixture(folder, L"my.folder\\file.crypt", FixtureOfSize(CryptFixtureKeyIndex, 8));
    EXPECT_EQ(DecryptCryptFile(input.c_str()), DecryptOk);
    EXPECT_EQ(ListFolder(folder + L"my.folder\\"), L"file|file(0)|file.crypt");
}

TEST_F(CryptFileDecryptor, NoKeyOrABadSelectorOpensNothing) {
    std::wstring folder = MakeScratchFolder(L"nokey");
    std::wstring input = PlaceFixture(folder, L"x.crypt", FixtureOfSize(CryptFixtureKeyIndex, 5));
    const int32_t selectors[] = {KeySelectorNone, -2, 10, 255, 257};
    for (int32_t selector : selectors) {
        RunState.KeySelector = selector;
        EXPECT_EQ(DecryptCryptFile(input.c_str()), DecryptNoKey) << selector;
    }
    RunState.KeySelector = KeySelectorNone;
    EXPECT_EQ(DecryptCryptFile((folder + L"x.txt").c_str()), DecryptNotCryptFile);
    EXPECT_EQ(ListFolder(folder), L"x.crypt");
    EXPECT_EQ(CipherStateReady, 0);
    EXPECT_EQ(RunState.UnlockedCount, 0);
}

TEST_F(CryptFileDecryptor, MissingInputAndOverlongPathReturnTwoAndCreateNothing) {
    std::wstring folder = MakeScratchFolder(L"open");
    EXPECT_EQ(DecryptCryptFile((folder + L"missing.crypt").c_str()), DecryptOpenFailed);
    EXPECT_EQ(ListFolder(folder), L"");

    // d:\open\ is 8 characters; a name of 251 makes the longest path that fits, 252 one too many.
    std::wstring fits = folder + std::wstring(245, L'f') + L".crypt";
    std::wstring tooLong = folder + std::wstring(246, L'g') + L".crypt";
    ASSERT_EQ(fits.size(), 259u);
    uint32_t index = FixtureOfSize(CryptFixtureKeyIndex, 8192);
    ASSERT_TRUE(WriteWhole(fits, CryptFixtures[index].cipher, 8192));
    ASSERT_TRUE(WriteWhole(L"\\\\?\\" + tooLong, CryptFixtures[index].cipher, 8192));
    std::wstring before = ListFolder(folder);
    EXPECT_EQ(DecryptCryptFile(tooLong.c_str()), DecryptOpenFailed);
    EXPECT_EQ(ListFolder(folder), before);
    EXPECT_EQ(DecryptCryptFile(fits.c_str()), DecryptOk);
    EXPECT_TRUE(Exists(folder + std::wstring(245, L'f')));
    EXPECT_EQ(RunState.UnlockedCount, 1);
}

// Import hooks: names taken the moment they are created or renamed to, a file that appears while
// the output is written, a failing size query, a size past 4 GiB, a failing write.
using CreateFileFunction = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD,
                                           DWORD, HANDLE);
CreateFileFunction RealCreateNamed = nullptr;
decltype(&MoveFileW) RealMoveNamed = nullptr;

// Every name under this prefix is taken, but those under the free prefix; the last one tried is
// kept. A file written under AppearingName as soon as the unfinished file exists.
std::wstring TakenPrefix;
std::wstring FreePrefix;
std::wstring LastProbed;
std::wstring AppearingName;

bool IsTaken(LPCWSTR name) {
    bool free =
        !FreePrefix.empty() && std::wcsncmp(name, FreePrefix.c_str(), FreePrefix.size()) == 0;
    return !TakenPrefix.empty() && !free &&
           std::wcsncmp(name, TakenPrefix.c_str(), TakenPrefix.size()) == 0;
}

HANDLE WINAPI CreateWhereTaken(LPCWSTR name, DWORD access, DWORD share,
                               LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                               HANDLE templateFile) {
    if (disposition == CREATE_NEW && IsTaken(name)) {
        LastProbed = name;
        SetLastError(ERROR_FILE_EXISTS);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE file = RealCreateNamed(name, access, share, security, disposition, flags, templateFile);
    if (disposition == CREATE_NEW && !AppearingName.empty()) {
        std::wstring appearing = AppearingName;
        AppearingName.clear();
        WriteWhole(appearing, "someone else's", 14);
    }
    return file;
}

BOOL WINAPI MoveWhereTaken(LPCWSTR from, LPCWSTR to) {
    if (IsTaken(to)) {
        LastProbed = to;
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    return RealMoveNamed(from, to);
}

void HookNames() {
    RealCreateNamed = reinterpret_cast<CreateFileFunction>(
        ReplaceImport("kernel32.dll", "CreateFileW", reinterpret_cast<void*>(&CreateWhereTaken)));
    RealMoveNamed = reinterpret_cast<decltype(&MoveFileW)>(
        ReplaceImport("kernel32.dll", "MoveFileW", reinterpret_cast<void*>(&MoveWhereTaken)));
}

void UnhookNames() {
    ReplaceImport("kernel32.dll", "CreateFileW", reinterpret_cast<void*>(RealCreateNamed));
    ReplaceImport("kernel32.dll", "MoveFileW", reinterpret_cast<void*>(RealMoveNamed));
}

TEST_F(CryptFileDecryptor, NoFittingNameReturnsThreeAndCreatesNothing) {
    std::wstring folder = MakeScratchFolder(L"full");
    // The unfinished file's row comes first: a base name of 253 characters takes only ".part" in
    // the 260-character buffer, a short one runs its counter up to the largest text its suffix
    // buffer holds. With the unfinished names free, the final names' row of the long base ends
    // at "(9999)", not "(10000)", and the file written is removed again.
    std::wstring bases[] = {folder + std::wstring(253 - folder.size(), L'n'), folder + L"s"};
    const wchar_t* lastUnfinished[] = {L".part", L".part(9999999)"};
    HookNames();
    ASSERT_NE(RealCreateNamed, nullptr);
    ASSERT_NE(RealMoveNamed, nullptr);
    wchar_t output[DecryptNameCapacity];
    uint32_t error = 0;
    for (int i = 0; i < 2; ++i) {
        std::wstring input = bases[i] + L".crypt";
        ASSERT_TRUE(WriteWhole(input, "12345678", 8));
        std::wstring before = ListFolder(folder);
        TakenPrefix = bases[i];
        DecryptResult result = DecryptCryptFileTo(input.c_str(), nullptr, output, &error);
        TakenPrefix.clear();
        EXPECT_EQ(result, DecryptCreateFailed);
        EXPECT_EQ(error, static_cast<uint32_t>(ERROR_FILENAME_EXCED_RANGE));
        EXPECT_EQ(LastProbed, bases[i] + lastUnfinished[i]);
        EXPECT_EQ(ListFolder(folder), before);
        if (i == 0) {
            TakenPrefix = bases[i];
            FreePrefix = bases[i] + L".part";
            StartRecordingRemovals();
            result = DecryptCryptFileTo(input.c_str(), nullptr, output, &error);
            std::vector<RemovedFile> removed = StopRecordingRemovals();
            TakenPrefix.clear();
            FreePrefix.clear();
            EXPECT_EQ(result, DecryptCreateFailed);
            EXPECT_EQ(error, static_cast<uint32_t>(ERROR_FILENAME_EXCED_RANGE));
            EXPECT_EQ(LastProbed, bases[i] + L"(9999)");
            ASSERT_EQ(removed.size(), 1u);
            EXPECT_EQ(removed[0].path, bases[i] + L".part");
            EXPECT_EQ(removed[0].contents.size(), 8u);
            EXPECT_EQ(ListFolder(folder), before);
        }
        EXPECT_TRUE(DeleteFileW(input.c_str())); // the input was closed again
    }
    UnhookNames();
    EXPECT_EQ(RunState.UnlockedCount, 0);
}

TEST_F(CryptFileDecryptor, ANameThatAppearsWhileTheOutputIsWrittenIsNeverOverwritten) {
    std::wstring folder = MakeScratchFolder(L"race");
    std::wstring input = PlaceFixture(folder, L"late.txt.crypt", FixtureOfSize(256, 16384));
    RunState.KeySelector = KeySelectorPassword;
    AppearingName = folder + L"late.txt";
    HookNames();
    ASSERT_NE(RealCreateNamed, nullptr);
    DecryptResult result = DecryptCryptFile(input.c_str());
    UnhookNames();
    EXPECT_EQ(result, DecryptOk);
    std::string appeared, output;
    ASSERT_TRUE(ReadWhole(folder + L"late.txt", &appeared));
    EXPECT_EQ(appeared, "someone else's");
    ASSERT_TRUE(ReadWhole(folder + L"late.txt(0)", &output));
    EXPECT_EQ(output.size(), 16384u);
}

int64_t ExtraSize;
BOOL FailSize;
decltype(&GetFileSizeEx) RealGetFileSizeEx;
BOOL WINAPI AlteredFileSize(HANDLE file, PLARGE_INTEGER size) {
    if (FailSize) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    BOOL ok = RealGetFileSizeEx(file, size);
    size->QuadPart += ExtraSize;
    return ok;
}

TEST_F(CryptFileDecryptor, SizeIsSixtyFourBitsAndAFailedQueryReturnsFour) {
    std::wstring folder = MakeScratchFolder(L"size");
    std::wstring input = PlaceFixture(folder, L"s.crypt", FixtureOfSize(CryptFixtureKeyIndex, 8));
    RealGetFileSizeEx = reinterpret_cast<decltype(&GetFileSizeEx)>(
        ReplaceImport("kernel32.dll", "GetFileSizeEx", reinterpret_cast<void*>(&AlteredFileSize)));
    ASSERT_NE(RealGetFileSizeEx, nullptr);
    FailSize = TRUE;
    DecryptResult failed = DecryptCryptFile(input.c_str());
    // 4 GiB more than the file holds: a 32-bit size would see 8 bytes and succeed.
    FailSize = FALSE;
    ExtraSize = int64_t{1} << 32;
    DecryptResult beyond = DecryptCryptFile(input.c_str());
    ReplaceImport("kernel32.dll", "GetFileSizeEx", reinterpret_cast<void*>(RealGetFileSizeEx));
    EXPECT_EQ(failed, DecryptReadFailed);
    EXPECT_EQ(beyond, DecryptReadFailed);
    EXPECT_EQ(RunState.UnlockedCount, 0);
    EXPECT_EQ(ListFolder(folder), L"s.crypt"); // nothing is left of either
}

TEST_F(CryptFileDecryptor, FailedWriteReturnsFiveWithItsReasonAndRemovesTheWrittenPart) {
    std::wstring folder = MakeScratchFolder(L"write");
    uint32_t index = FixtureOfSize(CryptFixtureKeyIndex, 16384);
    std::wstring input = PlaceFixture(folder, L"w.crypt", index);
    ASSERT_TRUE(FailWriteFileAfter(1, ERROR_DISK_FULL));
    wchar_t output[DecryptNameCapacity];
    uint32_t error = 0;
    StartRecordingRemovals();
    DecryptResult result = DecryptCryptFileTo(input.c_str(), nullptr, output, &error);
    std::vector<RemovedFile> removed = StopRecordingRemovals();
    StopFailingWriteFile();
    EXPECT_EQ(result, DecryptWriteFailed);
    EXPECT_EQ(error, static_cast<uint32_t>(ERROR_DISK_FULL));
    EXPECT_EQ(output[0], L'\0');
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].path, folder + L"w.part");
    EXPECT_EQ(removed[0].contents.size(), 8192u);
    EXPECT_TRUE(removed[0].contents ==
                std::string(reinterpret_cast<const char*>(CryptFixtures[index].plain), 8192))
        << Hex(removed[0].contents);
    EXPECT_EQ(ListFolder(folder), L"w.crypt");
    EXPECT_EQ(RunState.UnlockedCount, 0);
}

TEST_F(CryptFileDecryptor, FailedReadReturnsFourWithItsReasonAndRemovesTheWrittenPart) {
    std::wstring folder = MakeScratchFolder(L"read");
    uint32_t index = FixtureOfSize(256, 16384);
    std::wstring input = PlaceFixture(folder, L"r.crypt", index);
    RunState.KeySelector = KeySelectorPassword;
    ASSERT_TRUE(FailReadFileAfter(1, ERROR_CRC));
    wchar_t output[DecryptNameCapacity];
    uint32_t error = 0;
    StartRecordingRemovals();
    DecryptResult result = DecryptCryptFileTo(input.c_str(), nullptr, output, &error);
    std::vector<RemovedFile> removed = StopRecordingRemovals();
    StopFailingReadFile();
    EXPECT_EQ(result, DecryptReadFailed);
    EXPECT_EQ(error, static_cast<uint32_t>(ERROR_CRC));
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].path, folder + L"r.part");
    EXPECT_EQ(removed[0].contents.size(), 8192u);
    EXPECT_TRUE(removed[0].contents ==
                std::string(reinterpret_cast<const char*>(CryptFixtures[index].plain), 8192))
        << Hex(removed[0].contents);
    EXPECT_EQ(ListFolder(folder), L"r.crypt");
    EXPECT_EQ(RunState.UnlockedCount, 0);
}

struct Move {
    std::wstring first;
    std::wstring second;
    uint64_t sizeBefore; // of the file moved, as it was just before the move
};
std::vector<Move> Moves;
decltype(&MoveFileW) RealMoveFile;
BOOL WINAPI RecordMove(LPCWSTR from, LPCWSTR to) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(from, GetFileExInfoStandard, &data);
    Moves.push_back(
        {from, to, (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
    return RealMoveFile(from, to);
}

// A create that fails gives the system's reason for that create, whatever the name's state after.
decltype(&CreateFileW) RealCreateFile;
HANDLE WINAPI RefuseNewFiles(LPCWSTR name, DWORD access, DWORD share,
                             LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                             HANDLE templateFile) {
    if (disposition == CREATE_NEW) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return RealCreateFile(name, access, share, security, disposition, flags, templateFile);
}

TEST_F(CryptFileDecryptor, FailedCreateGivesItsOwnReason) {
    std::wstring folder = MakeScratchFolder(L"denied");
    std::wstring input =
        PlaceFixture(folder, L"d.txt.crypt", FixtureOfSize(CryptFixtureKeyIndex, 8));
    RealCreateFile = reinterpret_cast<decltype(&CreateFileW)>(
        ReplaceImport("kernel32.dll", "CreateFileW", reinterpret_cast<void*>(&RefuseNewFiles)));
    ASSERT_NE(RealCreateFile, nullptr);
    wchar_t output[DecryptNameCapacity];
    uint32_t error = 0;
    DecryptResult result = DecryptCryptFileTo(input.c_str(), nullptr, output, &error);
    ReplaceImport("kernel32.dll", "CreateFileW", reinterpret_cast<void*>(RealCreateFile));
    EXPECT_EQ(result, DecryptCreateFailed);
    EXPECT_EQ(error, static_cast<uint32_t>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ListFolder(folder), L"d.txt.crypt");
}

// The unfinished file takes a name of its own that nothing else holds; it never shows under the
// final name, and an existing ".part" file (one a crashed run left, or the user's) is left as it
// is and named; a folder of such a name is no file left unfinished.
TEST_F(CryptFileDecryptor, TheUnfinishedFileHasANameOfItsOwn) {
    std::wstring folder = MakeScratchFolder(L"part");
    std::wstring input =
        PlaceFixture(folder, L"p.doc.crypt", FixtureOfSize(CryptFixtureKeyIndex, 16384));
    ASSERT_TRUE(WriteWhole(folder + L"p.doc.part", "mine", 4));
    StartRecordingRemovals();
    RealMoveFile = reinterpret_cast<decltype(&MoveFileW)>(
        ReplaceImport("kernel32.dll", "MoveFileW", reinterpret_cast<void*>(&RecordMove)));
    ASSERT_NE(RealMoveFile, nullptr);
    DecryptTarget target = {};
    target.pathCapacity = DecryptNameCapacity;
    DecryptResult result = DecryptCryptFileAs(input.c_str(), &target);
    ReplaceImport("kernel32.dll", "MoveFileW", reinterpret_cast<void*>(RealMoveFile));
    std::vector<RemovedFile> removed = StopRecordingRemovals();
    EXPECT_EQ(result, DecryptOk);
    EXPECT_EQ(target.outputCounter, DecryptNameBare);
    EXPECT_EQ(target.leftoverCounter, DecryptNameBare);
    wchar_t name[DecryptFileNameCapacity];
    ASSERT_EQ(DecryptedNameOf(input.c_str(), DecryptUnfinishedNames, target.leftoverCounter, name,
                              DecryptFileNameCapacity),
              1);
    EXPECT_EQ(std::wstring(name), L"p.doc.part");
    EXPECT_TRUE(removed.empty());
    ASSERT_EQ(Moves.size(), 1u);
    EXPECT_EQ(Moves[0].first, folder + L"p.doc.part(0)");
    EXPECT_EQ(Moves[0].second, folder + L"p.doc");
    EXPECT_EQ(Moves[0].sizeBefore, 16384u); // whole before it took the final name
    std::string mine;
    ASSERT_TRUE(ReadWhole(folder + L"p.doc.part", &mine));
    EXPECT_EQ(mine, "mine");
    EXPECT_EQ(ListFolder(folder), L"p.doc|p.doc.crypt|p.doc.part");

    // Again: the first output and the first leftover keep their names and their bytes.
    ASSERT_TRUE(CreateDirectoryW((folder + L"q.doc.part").c_str(), nullptr));
    std::wstring second =
        PlaceFixture(folder, L"q.doc.crypt", FixtureOfSize(CryptFixtureKeyIndex, 8));
    ASSERT_EQ(DecryptCryptFileAs(second.c_str(), &target), DecryptOk);
    EXPECT_EQ(target.outputCounter, DecryptNameBare);
    EXPECT_EQ(target.leftoverCounter, DecryptNameNone);
    ASSERT_EQ(DecryptCryptFileAs(input.c_str(), &target), DecryptOk);
    EXPECT_EQ(target.outputCounter, 0);
    EXPECT_EQ(target.leftoverCounter, DecryptNameBare);
    ASSERT_EQ(DecryptedNameOf(input.c_str(), DecryptOutputNames, target.outputCounter, name,
                              DecryptFileNameCapacity),
              1);
    EXPECT_EQ(std::wstring(name), L"p.doc(0)");
    ASSERT_TRUE(ReadWhole(folder + L"p.doc.part", &mine));
    EXPECT_EQ(mine, "mine");
}

} // namespace
