// One drive's walk as the dialog shows it, on real folders of the mapped drives: progress
// positions sent only when they change, and the status text paced but always ending on the last
// directory entered.
#include "unlock/name_rule.h"
#include "tests/support/import_hook.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/test_window.h"
#include "tests/support/walk_record.h"
#include "common/run_state.h"
#include "app/unlock_run.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const std::wstring Root = WalkRoot;

// The dialog's view of one drive's walk: positions sent only when they change, the status text
// paced but always ending on the last directory entered.
class DialogWalk : public FreshWalkRoot {
  protected:
    void SetUp() override {
        PrepareTestWindow();
        FreshWalkRoot::SetUp();
    }
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
