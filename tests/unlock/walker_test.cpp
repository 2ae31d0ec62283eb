// The shared directory walk and the name restoration on real folders of the mapped drives, then
// the dialog's view of a walk: its progress positions and its paced status text.
#include "unlock/name_rule.h"
#include "tests/support/import_hook.h"
#include "tests/support/test_window.h"
#include "tests/unlock/walk_record.h"
#include "common/run_state.h"
#include "app/unlock_run.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>

namespace {

const std::wstring Root = L"\\\\?\\D:\\walk";

class Walker : public ::testing::Test {
  protected:
    void SetUp() override {
        PrepareTestWindow();
        ClearTestDrives();
        ForgetLinkTargets();
        ASSERT_TRUE(MakeFolder(Root));
    }
    void TearDown() override { ClearTestDrives(); }
    static void Walk(const std::wstring& directory) { WalkRecorded(directory); }
};

struct Rename {
    const wchar_t* before;
    const wchar_t* after;
};

// The rule's worked examples, plus names with several spaces and Unicode names.
const Rename Renames[] = {
    {L"report.doc xx-yy ", L"report.doc"},
    {L"my file.txt 12-34 ", L"my file.txt"},
    {L"a b c-d ", L"a b"},
    {L"x-y z-w ", L"x-y"},
    {L"notes  x-y ", L"notes "},
    {L"one two three.txt q-r ", L"one two three.txt"},
    {L"\x043e\x0442\x0447\x0451\x0442.doc \x0430\x0431-\x0432\x0433 ",
     L"\x043e\x0442\x0447\x0451\x0442.doc"},
    {L"\x5199\x771f 1.jpg 7-8 ", L"\x5199\x771f 1.jpg"},
    {L"\xD83D\xDE00 smile.png e-f ", L"\xD83D\xDE00 smile.png"},
};

TEST_F(Walker, RestoresEveryExampleNameKeepingContents) {
    for (const Rename& r : Renames) {
        ASSERT_TRUE(WriteWhole(Root + L"\\" + r.before, Shown(r.before))) << Shown(r.before);
    }
    Walk(Root);
    EXPECT_EQ(RunState.UnlockedCount, static_cast<int32_t>(sizeof(Renames) / sizeof(Renames[0])));
    for (const Rename& r : Renames) {
        EXPECT_FALSE(Exists(Root + L"\\" + r.before)) << Shown(r.before);
        EXPECT_EQ(ReadWhole(Root + L"\\" + r.after), Shown(r.before)) << Shown(r.after);
    }
}

TEST_F(Walker, DamagedFolderIsRestoredAfterItsContents) {
    std::wstring outer = Root + L"\\photos ab-cd ";
    ASSERT_TRUE(MakeFolder(outer));
    ASSERT_TRUE(WriteWhole(outer + L"\\a.jpg ab-cd ", "jpeg"));
    ASSERT_TRUE(MakeFolder(outer + L"\\inner 1-2 "));
    ASSERT_TRUE(WriteWhole(outer + L"\\inner 1-2 \\deep.txt 3-4 ", "deep"));
    ASSERT_TRUE(WriteWhole(outer + L"\\plain.txt", "plain"));
    Walk(Root);
    EXPECT_EQ(RunState.UnlockedCount, 4);
    EXPECT_TRUE(IsFolder(Root + L"\\photos"));
    EXPECT_EQ(ReadWhole(Root + L"\\photos\\a.jpg"), "jpeg");
    EXPECT_EQ(ReadWhole(Root + L"\\photos\\inner\\deep.txt"), "deep");
    EXPECT_EQ(ReadWhole(Root + L"\\photos\\plain.txt"), "plain");
    EXPECT_FALSE(Exists(outer));
    // The folder was walked under its damaged name, and restored after everything in it, the
    // deepest first.
    EXPECT_EQ(Walked.entered, (std::vector<std::wstring>{L"D:\\walk", L"D:\\walk\\photos ab-cd ",
                                                         L"D:\\walk\\photos ab-cd \\inner 1-2 "}));
    EXPECT_EQ(Walked.matches,
              (std::vector<std::wstring>{L"D:\\walk\\photos ab-cd \\inner 1-2 \\deep.txt 3-4 ",
                                         L"D:\\walk\\photos ab-cd \\a.jpg ab-cd ",
                                         L"D:\\walk\\photos ab-cd \\inner 1-2 ",
                                         L"D:\\walk\\photos ab-cd "}));
    EXPECT_EQ(Walked.files, 3);
}

TEST_F(Walker, RestoredNameThatExistsLeavesBoth) {
    ASSERT_TRUE(WriteWhole(Root + L"\\report.doc", "kept"));
    ASSERT_TRUE(WriteWhole(Root + L"\\report.doc xx-yy ", "damaged"));
    ASSERT_TRUE(MakeFolder(Root + L"\\Folder"));
    ASSERT_TRUE(MakeFolder(Root + L"\\folder 1-2 "));
    Walk(Root);
    EXPECT_EQ(RunState.UnlockedCount, 0);
    EXPECT_EQ(ReadWhole(Root + L"\\report.doc"), "kept");
    EXPECT_EQ(ReadWhole(Root + L"\\report.doc xx-yy "), "damaged");
    EXPECT_TRUE(IsFolder(Root + L"\\folder 1-2 "));
}

TEST_F(Walker, NamesTheRuleLeavesAlone) {
    // Empty and dot results, and names the pattern does not take.
    const wchar_t* names[] = {L" a-b ", L". a-b ",   L".. a-b ",  L"single-x ",
                              L"a b",   L"no-space", L"two words"};
    for (const wchar_t* name : names) {
        ASSERT_TRUE(WriteWhole(Root + L"\\" + name, "x")) << Shown(name);
    }
    Walk(Root);
    EXPECT_EQ(RunState.UnlockedCount, 0);
    for (const wchar_t* name : names) {
        EXPECT_TRUE(Exists(Root + L"\\" + name)) << Shown(name);
    }
    // Called directly, a name with one space is not cut into its folder's name.
    ASSERT_TRUE(MakeFolder(Root + L"\\my dir"));
    ASSERT_TRUE(WriteWhole(Root + L"\\my dir\\single-x ", "x"));
    RestoreName((Root + L"\\my dir\\single-x ").c_str());
    RestoreName((Root + L"\\my dir\\ a-b ").c_str());
    EXPECT_EQ(RunState.UnlockedCount, 0);
    EXPECT_TRUE(Exists(Root + L"\\my dir\\single-x "));
    EXPECT_FALSE(Exists(Root + L"\\my"));
}

TEST_F(Walker, EntriesInUseOrReadOnlyLoseNothing) {
    ASSERT_TRUE(WriteWhole(Root + L"\\busy.txt a-b ", "busy"));
    ASSERT_TRUE(WriteWhole(Root + L"\\readonly.txt c-d ", "readonly"));
    ASSERT_TRUE(WriteWhole(Root + L"\\zz.txt e-f ", "last"));
    ASSERT_TRUE(
        SetFileAttributesW((Root + L"\\readonly.txt c-d ").c_str(), FILE_ATTRIBUTE_READONLY));
    // Held open without delete sharing, the file cannot be renamed.
    HANDLE busy = CreateFileW((Root + L"\\busy.txt a-b ").c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    Walk(Root);
    CloseHandle(busy);
    EXPECT_EQ(ReadWhole(Root + L"\\busy.txt a-b "), "busy");
    EXPECT_FALSE(Exists(Root + L"\\busy.txt"));
    EXPECT_EQ(ReadWhole(Root + L"\\zz.txt"), "last");
    // A read-only file may be renamed; either way its contents are under one of its names.
    int readOnlyMoved = Exists(Root + L"\\readonly.txt");
    EXPECT_EQ(ReadWhole(Root + (readOnlyMoved ? L"\\readonly.txt" : L"\\readonly.txt c-d ")),
              "readonly");
    EXPECT_EQ(RunState.UnlockedCount, 1 + readOnlyMoved);
}

TEST_F(Walker, LongPathsAreWalkedOrSkippedWhole) {
    // Folders of 200 characters down to a path of just over 1000 characters.
    std::wstring folder = Root;
    while (folder.size() < 700) {
        folder += L"\\" + std::wstring(200, L'p');
        ASSERT_TRUE(MakeFolder(folder)) << folder.size();
    }
    std::wstring fits = L"f 1-2 ";
    fits = std::wstring(1023 - folder.size() - 1 - fits.size(), L'n') + fits;
    ASSERT_EQ(folder.size() + 1 + fits.size(), 1023u);
    ASSERT_TRUE(WriteWhole(folder + L"\\" + fits, "fits"));
    // A file whose path would need 1028 characters is skipped, not cut short.
    std::wstring inner = folder + L"\\" + std::wstring(1014 - folder.size(), L'q');
    ASSERT_TRUE(MakeFolder(inner));
    ASSERT_TRUE(WriteWhole(inner + L"\\toolong x-y ", "long"));
    Walk(Root);
    EXPECT_EQ(RunState.UnlockedCount, 1);
    std::wstring restored = folder + L"\\" + fits.substr(0, fits.size() - 5);
    EXPECT_EQ(ReadWhole(restored), "fits");
    EXPECT_EQ(ReadWhole(inner + L"\\toolong x-y "), "long");
    EXPECT_EQ(Walked.tooLong, std::vector<std::wstring>{L"toolong x-y "});
}

// G: holds links back to G:\loop and to G:\ from inside G:\loop, and one to G:\target
// (see make-links.sh: Wine cannot make them from this side).
class LinkWalk : public Walker {
  protected:
    void SetUp() override {
        Walker::SetUp();
        if (!IsFolder(L"\\\\?\\G:\\loop\\a\\back\\a")) {
            GTEST_SKIP() << "drive G: with its links is not prepared";
        }
        ASSERT_TRUE(WriteWhole(L"\\\\?\\G:\\target\\far 1-2 ", "far"));
        ASSERT_TRUE(WriteWhole(L"\\\\?\\G:\\loop\\a\\near 3-4 ", "near"));
    }
    void TearDown() override {
        DeleteFileW(L"\\\\?\\G:\\loop\\a\\near");
        DeleteFileW(L"\\\\?\\G:\\target\\far");
        DeleteFileW(L"\\\\?\\G:\\target\\far 1-2 ");
        Walker::TearDown();
    }
    // On a thread with the worker's stack: a loop the guard missed would end there, at the path
    // limit, instead of overflowing the test's own stack.
    static void WalkDriveG(void*) { WalkRecorded(L"\\\\?\\G:"); }
};

TEST_F(LinkWalk, LoopsEndAndOtherLinksAreWalked) {
    RunOnWorkerStack(WalkDriveG, nullptr);
    EXPECT_EQ(RunState.UnlockedCount, 2);
    EXPECT_EQ(ReadWhole(L"\\\\?\\G:\\loop\\a\\near"), "near");
    EXPECT_EQ(ReadWhole(L"\\\\?\\G:\\target\\far"), "far");
    // The links back are not entered; the link elsewhere is, and its target again on its own.
    EXPECT_EQ(Walked.entered, (std::vector<std::wstring>{L"G:", L"G:\\loop", L"G:\\loop\\a",
                                                         L"G:\\loop\\a\\away", L"G:\\target"}));
}

BOOL WINAPI NoFileIdInfo(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

TEST_F(LinkWalk, LoopsEndWhereTheSystemHasNo128BitFileIds) {
    // As on Windows 7: the identity falls back to the volume serial and 64-bit file index.
    void* original = ReplaceImport("kernel32.dll", "GetFileInformationByHandleEx",
                                   reinterpret_cast<void*>(NoFileIdInfo));
    ASSERT_NE(original, nullptr);
    RunOnWorkerStack(WalkDriveG, nullptr);
    ReplaceImport("kernel32.dll", "GetFileInformationByHandleEx", original);
    EXPECT_EQ(RunState.UnlockedCount, 2);
    EXPECT_EQ(Walked.entered, (std::vector<std::wstring>{L"G:", L"G:\\loop", L"G:\\loop\\a",
                                                         L"G:\\loop\\a\\away", L"G:\\target"}));
}

using CreateFileFunction = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD,
                                           DWORD, HANDLE);
CreateFileFunction OriginalCreateFile = nullptr;

// The link G:\loop\a\away cannot be opened to read its identity; everything else opens as usual.
HANDLE WINAPI AwayCannotBeOpened(LPCWSTR path, DWORD access, DWORD share,
                                 LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                 HANDLE templateFile) {
    std::wstring name = path;
    if (name.size() >= 5 && name.compare(name.size() - 5, 5, L"\\away") == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return OriginalCreateFile(path, access, share, security, disposition, flags, templateFile);
}

TEST_F(LinkWalk, LinkWhoseTargetCannotBeIdentifiedIsNotEntered) {
    OriginalCreateFile = reinterpret_cast<CreateFileFunction>(
        ReplaceImport("kernel32.dll", "CreateFileW", reinterpret_cast<void*>(AwayCannotBeOpened)));
    ASSERT_NE(OriginalCreateFile, nullptr);
    RunOnWorkerStack(WalkDriveG, nullptr);
    ReplaceImport("kernel32.dll", "CreateFileW", reinterpret_cast<void*>(OriginalCreateFile));
    // Whether it leads back cannot be told, so it is left; its target is still walked on its own.
    EXPECT_EQ(Walked.entered,
              (std::vector<std::wstring>{L"G:", L"G:\\loop", L"G:\\loop\\a", L"G:\\target"}));
    EXPECT_EQ(RunState.UnlockedCount, 2);
}

// The dialog's view of one drive's walk: positions sent only when they change, the status text
// paced but always ending on the last directory entered.
class DialogWalk : public Walker {
  protected:
    static void Walk(const std::wstring& directory) {
        DirectoryWalker(directory.c_str(), SuffixPattern);
    }
};

TEST_F(DialogWalk, ProgressForAKnownTree) {
    // Sizes against 1000 used bytes, in listing order: 10 %, 35 %, 99 %, exactly 100 %, past.
    ASSERT_TRUE(MakeFileOfSize(Root + L"\\a.bin", 100));
    ASSERT_TRUE(MakeFolder(Root + L"\\b"));
    ASSERT_TRUE(MakeFileOfSize(Root + L"\\b\\inner.bin", 250));
    ASSERT_TRUE(MakeFolder(Root + L"\\b\\empty"));
    ASSERT_TRUE(MakeFileOfSize(Root + L"\\c.bin", 649));
    ASSERT_TRUE(MakeFileOfSize(Root + L"\\d.bin", 1));
    ASSERT_TRUE(MakeFileOfSize(Root + L"\\e.bin", 5));
    RunState.UsedBytes = 1000;
    Walk(Root);
    // The last file would set 100 again: not sent.
    EXPECT_EQ(Reports.positions, (std::vector<int>{10, 35, 99, 100}));
    EXPECT_EQ(RunState.WalkedBytes, 1005);
    // The start shown at once, from the drive letter on; at the end, the last directory entered.
    ASSERT_FALSE(Reports.statuses.empty());
    EXPECT_EQ(Reports.statuses.front(), L"D:\\walk");
    EXPECT_EQ(Reports.statuses.back(), L"D:\\walk\\b\\empty");
    wchar_t shown[256] = L"";
    SendMessageW(RunState.StatusBar, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(shown));
    EXPECT_EQ(std::wstring(shown), L"D:\\walk\\b\\empty");
    EXPECT_EQ(SendMessageW(RunState.ProgressBar, PBM_GETPOS, 0, 0), 100);
}

TEST_F(DialogWalk, ProgressWithNoUsedBytes) {
    ASSERT_TRUE(MakeFileOfSize(Root + L"\\a.bin", 0));
    ASSERT_TRUE(MakeFileOfSize(Root + L"\\b.bin", 7));
    RunState.UsedBytes = 0;
    Walk(Root);
    EXPECT_EQ(Reports.positions, std::vector<int>{100});
    Reports = ReportRecord();
    Walk(L"\\\\?\\D:");
    EXPECT_EQ(Reports.statuses.front(), L"D:");
    EXPECT_TRUE(Reports.positions.empty()); // the bar stands at 100 already
}

// A clock for the status pacing that the test moves: it stands still but for the first listing of
// a folder named "slow", which takes 100 ms, or it races ahead by a second at every reading.
DWORD FakeNow = 0;
int ClockRaces = 0;
using FindFirstFunction = HANDLE(WINAPI*)(LPCWSTR, FINDEX_INFO_LEVELS, LPVOID, FINDEX_SEARCH_OPS,
                                          LPVOID, DWORD);
FindFirstFunction OriginalFindFirst = nullptr;

DWORD WINAPI FakeTickCount() {
    if (ClockRaces) {
        FakeNow += 1000;
    }
    return FakeNow;
}

HANDLE WINAPI SlowFolderTakesTime(LPCWSTR path, FINDEX_INFO_LEVELS level, LPVOID found,
                                  FINDEX_SEARCH_OPS search, LPVOID filter, DWORD flags) {
    if (std::wstring(path).find(L"\\slow\\*.*") != std::wstring::npos) {
        FakeNow += 100;
    }
    return OriginalFindFirst(path, level, found, search, filter, flags);
}

class PacedStatus : public DialogWalk {
  protected:
    void SetUp() override {
        DialogWalk::SetUp();
        // walk\a\inner, walk\slow with two files, walk\z: entered in this order.
        ASSERT_TRUE(MakeFolder(Root + L"\\a"));
        ASSERT_TRUE(MakeFolder(Root + L"\\a\\inner"));
        ASSERT_TRUE(MakeFolder(Root + L"\\slow"));
        ASSERT_TRUE(MakeFileOfSize(Root + L"\\slow\\one.bin", 10));
        ASSERT_TRUE(MakeFileOfSize(Root + L"\\slow\\two.bin", 10));
        ASSERT_TRUE(MakeFolder(Root + L"\\z"));
        FakeNow = 5000;
        ClockRaces = 0;
        OriginalTickCount =
            ReplaceImport("kernel32.dll", "GetTickCount", reinterpret_cast<void*>(FakeTickCount));
        OriginalFindFirst = reinterpret_cast<FindFirstFunction>(ReplaceImport(
            "kernel32.dll", "FindFirstFileExW", reinterpret_cast<void*>(SlowFolderTakesTime)));
        ASSERT_NE(OriginalTickCount, nullptr);
        ASSERT_NE(OriginalFindFirst, nullptr);
    }
    void TearDown() override {
        if (OriginalTickCount != nullptr) {
            ReplaceImport("kernel32.dll", "GetTickCount", OriginalTickCount);
        }
        if (OriginalFindFirst != nullptr) {
            ReplaceImport("kernel32.dll", "FindFirstFileExW",
                          reinterpret_cast<void*>(OriginalFindFirst));
        }
        DialogWalk::TearDown();
    }
    void* OriginalTickCount = nullptr;
};

TEST_F(PacedStatus, ShowsTheStartAFolderThatTakesTimeAndTheLast) {
    RunState.UsedBytes = 1000;
    Walk(Root);
    // walk\a and walk\a\inner come and go within the same instant: never shown. The slow folder
    // is shown at its first file, once its listing has taken 100 ms; walk\z, entered in the same
    // instant as that, when the walk ends.
    EXPECT_EQ(Reports.statuses,
              (std::vector<std::wstring>{L"D:\\walk", L"D:\\walk\\slow", L"D:\\walk\\z"}));
}

TEST_F(PacedStatus, ShowsEveryFolderWhenEachTakesLonger) {
    ClockRaces = 1;
    RunState.UsedBytes = 1000;
    Walk(Root);
    WalkRecorded(Root);
    EXPECT_EQ(Reports.statuses, Walked.entered);
    EXPECT_EQ(Walked.entered.size(), 5u);
}

} // namespace
