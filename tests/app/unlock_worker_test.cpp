// Whole runs: StartUnlockRun on the test window, the worker over every mapped drive (C: is the
// prefix's own, holding no damaged names; D:, E: and F: are the test's), the result box.
#include "tests/support/import_hook.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/test_window.h"
#include "tests/support/wide_text.h"
#include "unlock/drive_rule.h"
#include "common/run_state.h"
#include "app/unlock_run.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace {

class WholeRun : public ::testing::Test {
  protected:
    void SetUp() override {
        PrepareTestWindow();
        ClearTestDrives();
    }
    void TearDown() override { ClearTestDrives(); }
};

// The drive letters whose directories the run entered, in order of first entry.
std::wstring EnteredDrives() {
    std::wstring letters;
    for (const std::wstring& status : Reports.statuses) {
        if (!status.empty() && letters.find(status[0]) == std::wstring::npos) {
            letters += status[0];
        }
    }
    return letters;
}

TEST_F(WholeRun, CountsAddUpOverDrivesInOneResult) {
    ASSERT_TRUE(WriteWhole(L"\\\\?\\D:\\one.txt a-b ", "1"));
    ASSERT_TRUE(MakeFolder(L"\\\\?\\D:\\dir x-y "));
    ASSERT_TRUE(WriteWhole(L"\\\\?\\D:\\dir x-y \\two.txt c-d ", "2"));
    ASSERT_TRUE(WriteWhole(L"\\\\?\\E:\\three 1-2 ", "3"));
    ASSERT_TRUE(WriteWhole(L"\\\\?\\F:\\four 3-4 ", "4"));
    ASSERT_TRUE(WriteWhole(L"\\\\?\\F:\\four", "taken"));
    // Two letters in the mask whose volume device cannot be opened (Wine refuses the device of
    // a letter defined onto a folder, and there is no device behind the other): both skipped.
    ASSERT_TRUE(DefineDosDeviceW(0, L"H:", L"D:\\dir x-y "));
    ASSERT_TRUE(DefineDosDeviceW(DDD_RAW_TARGET_PATH, L"I:", L"\\Device\\RescindoNone"));
    DWORD mask = GetLogicalDrives();
    RunOutcome outcome = RunWholeUnlock();
    DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"H:", nullptr);
    DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_RAW_TARGET_PATH, L"I:", nullptr);
    ASSERT_TRUE(outcome.ended);
    EXPECT_EQ(outcome.boxes, 1);
    EXPECT_EQ(outcome.text, L"Unlocked 4 file(s)");
    EXPECT_EQ(outcome.caption, L"Done");
    EXPECT_EQ(outcome.exitCode, 4u);
    EXPECT_EQ(std::wstring(RunState.ResultText), L"Unlocked 4 file(s)");
    EXPECT_EQ(RunState.KeySelector, -1);
    EXPECT_EQ(ReadWhole(L"\\\\?\\D:\\dir\\two.txt"), "2");
    EXPECT_EQ(ReadWhole(L"\\\\?\\E:\\three"), "3");
    EXPECT_EQ(ReadWhole(L"\\\\?\\F:\\four"), "taken");
    // Every drive under Wine refuses the media check as not supported and is fixed: all are
    // searched, in letter order, but for the two without a device, and no letter outside the
    // mask.
    std::wstring inMask;
    for (int bit = 0; bit < 32; ++bit) {
        if ((mask & (1u << bit)) && bit != 'H' - 'A' && bit != 'I' - 'A') {
            inMask += DriveLetterOfBit(bit);
        }
    }
    EXPECT_EQ(mask & 0x180u, 0x180u);
    EXPECT_EQ(EnteredDrives(), inMask);
    EXPECT_NE(inMask.find(L"DEFG"), std::wstring::npos);
    // Step 1 and range 0..100 before the walk; the bar ends at 100.
    ASSERT_EQ(Reports.steps.size(), 1u);
    EXPECT_EQ(Reports.steps[0], 1u);
    ASSERT_EQ(Reports.ranges.size(), 1u);
    EXPECT_EQ(Reports.ranges[0], MAKELPARAM(0, 100));
    ASSERT_FALSE(Reports.positions.empty());
    EXPECT_EQ(Reports.positions.back(), 100);
    for (size_t i = 0; i < Reports.positions.size(); ++i) {
        EXPECT_GE(Reports.positions[i], 0);
        EXPECT_LE(Reports.positions[i], 100);
        if (i > 0) {
            EXPECT_NE(Reports.positions[i], Reports.positions[i - 1]) << "sent twice at " << i;
        }
    }
    for (const std::wstring& status : Reports.statuses) {
        EXPECT_EQ(status.find(L"\\\\?\\"), std::wstring::npos) << Utf8(status);
    }
}

TEST_F(WholeRun, RussianResultAndNothingFound) {
    RunState.RussianUi = 1;
    ASSERT_TRUE(WriteWhole(L"\\\\?\\E:\\a b-c ", "a"));
    ASSERT_TRUE(WriteWhole(L"\\\\?\\E:\\d e-f ", "d"));
    ASSERT_TRUE(WriteWhole(L"\\\\?\\F:\\g h-i ", "g"));
    RunOutcome outcome = RunWholeUnlock();
    ASSERT_TRUE(outcome.ended);
    EXPECT_EQ(outcome.boxes, 1);
    EXPECT_EQ(outcome.text, L"\x0420\x0430\x0437\x0431\x043b\x043e\x043a\x0438\x0440\x043e\x0432"
                            L"\x0430\x043d\x043e 3 \x0444\x0430\x0439\x043b(\x043e\x0432)");
    EXPECT_EQ(outcome.caption, L"Done");
    RunState.RussianUi = 0;
    Reports = ReportRecord();
    outcome = RunWholeUnlock();
    EXPECT_EQ(outcome.boxes, 1);
    EXPECT_EQ(outcome.text, L"Unlocked 0 file(s)");
}

// Used bytes as the drives report them: D: 1000 of 10000 in use (9000 free, of which 7000 are
// the caller's), E: 400 of 400; every other drive answers nothing, which shows its files as 100.
using FreeSpaceFunction = BOOL(WINAPI*)(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

BOOL WINAPI KnownFreeSpace(LPCWSTR root, PULARGE_INTEGER callerFree, PULARGE_INTEGER total,
                           PULARGE_INTEGER free) {
    ULONGLONG values[3] = {0, 0, 0}; // caller's free, total, free
    std::wstring path = root;
    if (path == L"\\\\?\\D:\\") {
        values[0] = 7000, values[1] = 10000, values[2] = 9000;
    } else if (path == L"\\\\?\\E:\\") {
        values[0] = 0, values[1] = 400, values[2] = 0;
    } else {
        SetLastError(ERROR_NOT_READY);
        return FALSE;
    }
    if (callerFree != nullptr) {
        callerFree->QuadPart = values[0];
    }
    total->QuadPart = values[1];
    free->QuadPart = values[2];
    return TRUE;
}

TEST_F(WholeRun, ProgressOfEachDriveAgainstItsOwnUsedBytes) {
    ASSERT_TRUE(MakeFileOfSize(L"\\\\?\\D:\\a.bin", 100));
    ASSERT_TRUE(MakeFileOfSize(L"\\\\?\\D:\\b.bin", 150));
    ASSERT_TRUE(MakeFileOfSize(L"\\\\?\\E:\\c.bin", 200));
    ASSERT_TRUE(MakeFileOfSize(L"\\\\?\\E:\\d.bin", 200));
    void* original = ReplaceImport("kernel32.dll", "GetDiskFreeSpaceExW",
                                   reinterpret_cast<void*>(KnownFreeSpace));
    ASSERT_NE(original, nullptr);
    RunOutcome outcome = RunWholeUnlock();
    ReplaceImport("kernel32.dll", "GetDiskFreeSpaceExW", original);
    ASSERT_TRUE(outcome.ended);
    // C: (files, no answer): 100. D: 100 and 250 of 1000 used. E: from its own 0, 200 and 400
    // of 400. F: and G: hold no files, and the final 100 is where the bar stands already.
    EXPECT_EQ(Reports.positions, (std::vector<int>{100, 10, 25, 50, 100}));
    EXPECT_EQ(RunState.UsedBytes, 0); // the last drive searched answered nothing
}

TEST_F(WholeRun, DeepestTreeOnTheWorkersOwnStack) {
    // 500 levels: about 2.4 MiB of the walk's stack, more than a thread's default 1 MiB holds.
    std::wstring folder = MakeNestedFolders(L"\\\\?\\D:", L"d", 500);
    ASSERT_EQ(folder.size(), 6u + 2 * 500);
    ASSERT_TRUE(WriteWhole(folder + L"\\a b-c ", "at 500"));
    RunOutcome outcome = RunWholeUnlock();
    ASSERT_TRUE(outcome.ended);
    EXPECT_EQ(outcome.text, L"Unlocked 1 file(s)");
    EXPECT_EQ(ReadWhole(folder + L"\\a"), "at 500");
    // Taken apart by known paths: listing each level again would cost far more.
    DeleteFileW((folder + L"\\a").c_str());
    EXPECT_TRUE(RemoveNestedFolders(L"\\\\?\\D:", L"d", 500));
}

// The 64-bit system folder and the 32-bit one. A 32-bit process reaches the first only through
// the alias sysnative; a 64-bit process has no redirection and reaches it by its name.
std::wstring SystemFolder64() {
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return wow64 ? L"\\\\?\\C:\\windows\\sysnative" : L"\\\\?\\C:\\windows\\system32";
}
const std::wstring SystemFolder32 = L"\\\\?\\C:\\windows\\syswow64";
const std::wstring Damaged = L"\\rescindo-test.dat a-b ";
const std::wstring Restored = L"\\rescindo-test.dat";

void RemoveSystemFolderFiles() {
    for (const std::wstring& folder : {SystemFolder64(), SystemFolder32}) {
        DeleteFileW((folder + Damaged).c_str());
        DeleteFileW((folder + Restored).c_str());
    }
}

TEST_F(WholeRun, BothSystemFoldersAreSearchedOnce) {
    RemoveSystemFolderFiles();
    ASSERT_TRUE(WriteWhole(SystemFolder64() + Damaged, "64"));
    ASSERT_TRUE(WriteWhole(SystemFolder32 + Damaged, "32"));
    RunOutcome outcome = RunWholeUnlock();
    std::string restored64 = ReadWhole(SystemFolder64() + Restored);
    std::string restored32 = ReadWhole(SystemFolder32 + Restored);
    RemoveSystemFolderFiles();
    ASSERT_TRUE(outcome.ended);
    EXPECT_EQ(outcome.text, L"Unlocked 2 file(s)");
    EXPECT_EQ(restored64, "64");
    EXPECT_EQ(restored32, "32");
}

} // namespace
