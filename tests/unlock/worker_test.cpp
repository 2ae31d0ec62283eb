// Whole runs: StartUnlockRun on the test window, the worker over every mapped drive (C: is the
// prefix's own, holding no damaged names; D:, E: and F: are the test's), the result box.
#include "tests/unlock/test_window.h"
#include "unlock/drive_rule.h"
#include "unlock/run_state.h"
#include "unlock/unlock_run.h"
#include "app/texts.h"
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
    for (int position : Reports.positions) {
        EXPECT_GE(position, 0);
        EXPECT_LE(position, 100);
    }
    for (const std::wstring& status : Reports.statuses) {
        EXPECT_EQ(status.find(L"\\\\?\\"), std::wstring::npos) << Shown(status);
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

TEST(ControlWrappers, WithoutControlsDoNothing) {
    PrepareTestWindow();
    RunStateRecord saved = RunState;
    RunState.ProgressBar = nullptr;
    RunState.StatusBar = nullptr;
    SetProgressRange(0, 100);
    SetProgressStep(1);
    SetProgressPos(50);
    SetProgressBarColor();
    SetStatusText(L"x");
    RunState = saved;
    EXPECT_TRUE(Reports.positions.empty());
    EXPECT_TRUE(Reports.statuses.empty());
    SetProgressRange(0, 70000); // each bound cut to 16 bits
    SetProgressPos(42);
    ASSERT_EQ(Reports.ranges.size(), 1u);
    EXPECT_EQ(Reports.ranges[0], MAKELPARAM(0, 70000 & 0xFFFF));
    EXPECT_EQ(Reports.positions, std::vector<int>{42});
    SetProgressRange(0, 100);
    SetProgressBarColor();
    EXPECT_EQ(SendMessageW(RunState.ProgressBar, PBM_GETBARCOLOR, 0, 0), RGB(0, 153, 51));
}

} // namespace
