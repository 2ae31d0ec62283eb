// The main dialog of the real program under Wine, driven as a person would: its texts, its keys
// and buttons, and one unlock run over damaged names on the test drives, in English and in Russian.
#include "app/texts.h"
#include "common/language.h"
#include "res/resource.h"
#include "tests/support/program_driver.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/wide_text.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <cstdio>
#include <vector>

namespace {
// Upper bounds only: a run walks the prefix's own c: before the test drives.
const DWORD ExitLimitMs = 10000;
const DWORD RunLimitMs = 120000;

struct Damaged {
    const wchar_t* damaged;
    const wchar_t* restored;
};

// A damaged folder holding damaged files and a damaged folder; the folder itself is restored
// after its contents. The restored paths name the entries where they end up.
const Damaged DamagedTree[] = {
    {L"D:\\photo 2019.jpg x7-k2m ", L"D:\\photo 2019.jpg"},
    {L"D:\\report.docx id-4096 ", L"D:\\report.docx"},
    {L"D:\\Work a-1 ", L"D:\\Work"},
    {L"D:\\Work a-1 \\plan.xlsx b-2 ", L"D:\\Work\\plan.xlsx"},
    {L"D:\\Work a-1 \\Deep c-3 ", L"D:\\Work\\Deep"},
    {L"D:\\Work a-1 \\Deep c-3 \\Отчёт.txt d-4 ", L"D:\\Work\\Deep\\Отчёт.txt"},
    {L"E:\\letter.doc q-9 ", L"E:\\letter.doc"},
    {L"E:\\archive.zip 1-1 ", L"E:\\archive.zip"},
};
const int DamagedFileCount = 8;

// Names the run must leave alone.
const wchar_t* const CleanFiles[] = {L"D:\\notes.txt", L"D:\\Work a-1 \\keep me.txt",
                                     L"E:\\no-suffix here.txt"};

void MakeDamagedTree() {
    for (const Damaged& entry : DamagedTree) {
        std::wstring path = entry.damaged;
        bool folder = path.find(L'.') == std::wstring::npos;
        ASSERT_TRUE(folder ? MakeFolder(path) : MakeFileHoldingItsPath(path))
            << "cannot make " << path;
    }
    for (const wchar_t* clean : CleanFiles) {
        ASSERT_TRUE(MakeFileHoldingItsPath(clean)) << "cannot make " << clean;
    }
}

// Waits until every message posted to the dialog thread before this call has been handled: a
// posted selection change in the edit control comes through the same queue behind them.
void DrainPostedMessages(ProgramRun* run) {
    HWND edit = GetDlgItem(run->dialog, IDC_TEXT);
    static int marker = 1;
    marker = marker % 5 + 1;
    PostMessageW(edit, EM_SETSEL, 0, marker);
    for (int tries = 0; tries < 500; ++tries) {
        DWORD_PTR selection = 0;
        SendMessageTimeoutW(edit, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &selection);
        if (HIWORD(selection) == marker && IsRunning(run)) {
            return;
        }
        if (!IsRunning(run)) {
            return;
        }
        Sleep(10);
    }
    ADD_FAILURE() << "the dialog thread did not handle its posted messages";
}

int ProgressPosition(ProgramRun* run) {
    HWND bar = FindChildOfClass(run->dialog, PROGRESS_CLASSW);
    DWORD_PTR position = 0;
    SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &position);
    return static_cast<int>(position);
}

class MainDialog : public testing::Test {
  protected:
    void TearDown() override { StopProgram(&run); }
    ProgramRun run = {};
};

TEST_F(MainDialog, ShowsEnglishTextsAndLayout) {
    ASSERT_TRUE(StartProgram(&run));
    HWND continueButton = GetDlgItem(run.dialog, IDC_CONTINUE);
    HWND exitButton = GetDlgItem(run.dialog, IDC_EXIT);
    HWND edit = GetDlgItem(run.dialog, IDC_TEXT);
    EXPECT_EQ(ReadText(run.dialog), L"Rescindo");
    EXPECT_EQ(ReadText(continueButton), L"Continue");
    EXPECT_EQ(ReadText(exitButton), L"Exit");
    wchar_t* expected = BuildDialogText(0);
    ASSERT_NE(expected, nullptr);
    EXPECT_EQ(ReadText(edit), expected);
    delete[] expected;

    // A caption but no system menu, hence no close box; the focus on Exit.
    LONG style = GetWindowLongW(run.dialog, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(style & WS_SYSMENU, 0);
    EXPECT_EQ(FocusedWindow(&run), exitButton);
    // Tab order as in the template, then the two bars made at set-up.
    EXPECT_EQ(GetWindow(run.dialog, GW_CHILD), continueButton);
    EXPECT_EQ(GetWindow(continueButton, GW_HWNDNEXT), exitButton);
    EXPECT_EQ(GetWindow(exitButton, GW_HWNDNEXT), edit);
    HWND bar = FindChildOfClass(run.dialog, PROGRESS_CLASSW);
    HWND status = FindChildOfClass(run.dialog, STATUSCLASSNAMEW);
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(ReadText(status), L"");
    EXPECT_TRUE(IsWindowEnabled(continueButton));

    // Exit before any run: the program ends with exit code 0.
    Click(exitButton);
    EXPECT_EQ(WaitForExit(&run, ExitLimitMs), 0);
}

TEST_F(MainDialog, EscapeAndCloseCommandDoNothing) {
    ASSERT_TRUE(StartProgram(&run));
    PressKey(&run, VK_ESCAPE);
    PostMessageW(run.dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageW(run.dialog, WM_CLOSE, 0, 0);
    DrainPostedMessages(&run);
    EXPECT_TRUE(IsRunning(&run));
    EXPECT_TRUE(IsWindowVisible(run.dialog));
    Click(GetDlgItem(run.dialog, IDC_EXIT));
    EXPECT_EQ(WaitForExit(&run, ExitLimitMs), 0);
}

TEST_F(MainDialog, EnterRightAfterStartEndsTheProgram) {
    ASSERT_TRUE(StartProgram(&run));
    PressKey(&run, VK_RETURN);
    EXPECT_EQ(WaitForExit(&run, ExitLimitMs), 0);
}

TEST_F(MainDialog, ContinueRestoresDamagedNamesOnce) {
    MakeDamagedTree();
    ASSERT_TRUE(StartProgram(&run));
    HWND continueButton = GetDlgItem(run.dialog, IDC_CONTINUE);
    Click(continueButton);
    EXPECT_FALSE(IsWindowEnabled(continueButton));

    HWND box = WaitForBox(&run, L"Done", RunLimitMs);
    ASSERT_NE(box, nullptr) << "no \"Done\" box";
    EXPECT_EQ(GetWindow(box, GW_OWNER), run.dialog);
    EXPECT_EQ(ReadText(GetDlgItem(box, 0xFFFF)),
              L"Unlocked " + std::to_wstring(DamagedFileCount) + L" file(s)");
    EXPECT_EQ(ProgressPosition(&run), 100);
    // The box is modal to the dialog.
    EXPECT_FALSE(IsWindowEnabled(run.dialog));
    for (const Damaged& entry : DamagedTree) {
        EXPECT_FALSE(Exists(entry.damaged)) << "still damaged: " << entry.damaged;
        EXPECT_TRUE(Exists(entry.restored)) << "not restored: " << entry.restored;
    }
    EXPECT_EQ(ReadWhole(L"D:\\Work\\Deep\\Отчёт.txt"),
              Utf8(L"D:\\Work a-1 \\Deep c-3 \\Отчёт.txt d-4 "));
    EXPECT_TRUE(Exists(L"D:\\notes.txt"));
    EXPECT_TRUE(Exists(L"D:\\Work\\keep me.txt"));
    EXPECT_TRUE(Exists(L"E:\\no-suffix here.txt"));

    Click(GetDlgItem(box, IDOK));
    for (int tries = 0; tries < 250 && IsWindow(box); ++tries) {
        Sleep(20);
    }
    EXPECT_FALSE(IsWindow(box));
    EXPECT_TRUE(IsWindowEnabled(run.dialog));

    // Finished: Continue stays disabled and Esc starts nothing, so a name damaged now stays
    // damaged. Only Exit still responds.
    ASSERT_TRUE(MakeFileHoldingItsPath(L"D:\\late.txt z-1 "));
    EXPECT_FALSE(IsWindowEnabled(continueButton));
    PressKey(&run, VK_ESCAPE);
    DrainPostedMessages(&run);
    EXPECT_TRUE(IsRunning(&run));
    EXPECT_EQ(FindBox(&run, L"Done"), nullptr);
    EXPECT_TRUE(Exists(L"D:\\late.txt z-1 "));
    Click(GetDlgItem(run.dialog, IDC_EXIT));
    EXPECT_EQ(WaitForExit(&run, ExitLimitMs), 0);
}

TEST_F(MainDialog, FurtherContinueCommandsStartNoSecondRun) {
    const wchar_t* const damaged[] = {L"D:\\one.txt a-1 ", L"D:\\two.txt b-2 ", L"D:\\three c-3 ",
                                      L"E:\\four.doc d-4 ", L"E:\\five.pdf e-5 "};
    for (const wchar_t* name : damaged) {
        ASSERT_TRUE(MakeFileHoldingItsPath(name));
    }
    ASSERT_TRUE(StartProgram(&run));
    // Continue disables itself, but another program can still send the dialog its command:
    // two at once, as such a program would.
    WPARAM command = MAKEWPARAM(IDC_CONTINUE, BN_CLICKED);
    DWORD started = GetTickCount();
    PostMessageW(run.dialog, WM_COMMAND, command, 0);
    PostMessageW(run.dialog, WM_COMMAND, command, 0);
    HWND box = WaitForBox(&run, L"Done", RunLimitMs);
    ASSERT_NE(box, nullptr) << "no \"Done\" box";
    DWORD runTook = GetTickCount() - started;
    EXPECT_EQ(ReadText(GetDlgItem(box, 0xFFFF)), L"Unlocked 5 file(s)");
    Click(GetDlgItem(box, IDOK));
    // And once more after the run. A second run would show its own box within about the time the
    // first took: wait twice that.
    PostMessageW(run.dialog, WM_COMMAND, command, 0);
    DrainPostedMessages(&run);
    Sleep(2 * runTook + 1000);
    EXPECT_EQ(FindBox(&run, L"Done"), nullptr) << "a second run reported";
    EXPECT_TRUE(Exists(L"D:\\one.txt"));
    EXPECT_TRUE(Exists(L"E:\\five.pdf"));
    Click(GetDlgItem(run.dialog, IDC_EXIT));
    EXPECT_EQ(WaitForExit(&run, ExitLimitMs), 0);
}

TEST_F(MainDialog, ExitDuringALongRunEndsAtOnce) {
    // Enough damaged files that the run is still renaming when Exit arrives.
    const int folders = 30;
    const int filesPerFolder = 50;
    std::vector<std::wstring> damaged;
    std::vector<std::wstring> restored;
    for (int f = 0; f < folders; ++f) {
        wchar_t folder[64];
        wsprintfW(folder, L"D:\\folder%03d", f);
        ASSERT_TRUE(MakeFolder(folder));
        for (int n = 0; n < filesPerFolder; ++n) {
            wchar_t name[96];
            wsprintfW(name, L"%s\\file%03d.dat k-%d ", folder, n, n);
            ASSERT_TRUE(MakeFileHoldingItsPath(name));
            damaged.push_back(name);
            wsprintfW(name, L"%s\\file%03d.dat", folder, n);
            restored.push_back(name);
        }
    }
    ASSERT_TRUE(StartProgram(&run));
    Click(GetDlgItem(run.dialog, IDC_CONTINUE));
    // Exit as soon as the first name on D: is back.
    bool started = false;
    for (DWORD waited = 0; waited < RunLimitMs && !started; waited += 5) {
        started = Exists(restored[0]);
        if (!started) {
            Sleep(5);
        }
    }
    ASSERT_TRUE(started) << "the run never reached D:";
    Click(GetDlgItem(run.dialog, IDC_EXIT));
    ASSERT_EQ(WaitForExit(&run, ExitLimitMs), 0);

    // Every file is there under exactly one of its names; some are back, some were never reached.
    int back = 0;
    int left = 0;
    for (size_t i = 0; i < damaged.size(); ++i) {
        bool isBack = Exists(restored[i]);
        bool isLeft = Exists(damaged[i]);
        EXPECT_NE(isBack, isLeft) << "file " << i << " lost or doubled";
        back += isBack;
        left += isLeft;
    }
    std::printf("%d of %d names restored when Exit ended the run\n", back, back + left);
    EXPECT_GT(back, 0);
    EXPECT_GT(left, 0) << "the run finished before Exit: make the tree larger";
    // What was restored stays restored after the program is gone.
    int stillBack = 0;
    for (const std::wstring& name : restored) {
        stillBack += Exists(name);
    }
    EXPECT_EQ(stillBack, back);
}

// Run alone with a Russian user locale (tests/gui/CMakeLists.txt).
TEST_F(MainDialog, ShowsRussianTextsAndResult) {
    ASSERT_EQ(IsRussianUi(), 1) << "run with a Russian user locale (LOCPATH and LANG=ru_RU.UTF-8)";
    ASSERT_TRUE(MakeFileHoldingItsPath(L"D:\\акт сверки.pdf a-1 "));
    ASSERT_TRUE(MakeFileHoldingItsPath(L"D:\\смета.xls b-2 "));
    ASSERT_TRUE(MakeFileHoldingItsPath(L"D:\\photo.jpg c-3 "));
    ASSERT_TRUE(StartProgram(&run));
    EXPECT_EQ(ReadText(run.dialog), L"Rescindo");
    EXPECT_EQ(ReadText(GetDlgItem(run.dialog, IDC_CONTINUE)), L"Продолжить");
    EXPECT_EQ(ReadText(GetDlgItem(run.dialog, IDC_EXIT)), L"Выход");
    wchar_t* expected = BuildDialogText(1);
    ASSERT_NE(expected, nullptr);
    EXPECT_EQ(ReadText(GetDlgItem(run.dialog, IDC_TEXT)), expected);
    delete[] expected;

    Click(GetDlgItem(run.dialog, IDC_CONTINUE));
    HWND box = WaitForBox(&run, L"Done", RunLimitMs);
    EXPECT_NE(box, nullptr) << "no \"Done\" box";
    if (box != nullptr) {
        EXPECT_EQ(ReadText(GetDlgItem(box, 0xFFFF)), L"Разблокировано 3 файл(ов)");
        Click(GetDlgItem(box, IDOK));
    }
    EXPECT_TRUE(Exists(L"D:\\акт сверки.pdf"));
    EXPECT_TRUE(Exists(L"D:\\смета.xls"));
    EXPECT_TRUE(Exists(L"D:\\photo.jpg"));
    Click(GetDlgItem(run.dialog, IDC_EXIT));
    EXPECT_EQ(WaitForExit(&run, ExitLimitMs), 0);
}

} // namespace
