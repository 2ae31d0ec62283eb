// The command-line copy (in a child process with a known command line), the two file dialogs
// driven from a second thread, and the code page of the narrow file-API conversion.
#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>
#include <commctrl.h>
#include <dlgs.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "recovery/file_utilities.h"
#include "tests/recovery/scratch_files.h"
#include "common/run_state.h"

namespace {

const wchar_t ChildVariable[] = L"RESCINDO_COMMAND_LINE_CHILD";
const wchar_t ChildSwitch[] = L"--gtest_filter=CommandLine.ChildChecksItsBlock";
const wchar_t Phrase[] = L"a quoted phrase";

// Runs only in the child that CopiesIntoOneBlock starts; writes "pass" or what went wrong.
TEST(CommandLine, ChildChecksItsBlock) {
    wchar_t report[MAX_PATH];
    if (GetEnvironmentVariableW(ChildVariable, report, MAX_PATH) == 0) {
        GTEST_SKIP() << "runs as the child of CopiesIntoOneBlock";
    }
    int32_t count = -1;
    wchar_t* block = CopyCommandLine(&count);
    std::string verdict = "pass";
    wchar_t** slots = reinterpret_cast<wchar_t**>(block);
    wchar_t* strings = reinterpret_cast<wchar_t*>(slots + 3);
    if (count != 3) {
        verdict = "count " + std::to_string(count);
    } else if (slots[0] != strings || std::wcscmp(slots[0], L"d:\\cmdline\\child.exe") != 0) {
        verdict = "slot 0";
    } else if (slots[1] != slots[0] + std::wcslen(slots[0]) + 1 ||
               std::wcscmp(slots[1], ChildSwitch) != 0) {
        verdict = "slot 1";
    } else if (slots[2] != slots[1] + std::wcslen(slots[1]) + 1 ||
               std::wcscmp(slots[2], Phrase) != 0) {
        verdict = "slot 2";
    }
    delete[] block;
    WriteWholeFile(report, verdict.data(), verdict.size());
}

TEST(CommandLine, CopiesIntoOneBlock) {
    std::wstring folder = MakeScratchFolder(L"cmdline");
    wchar_t self[MAX_PATH];
    ASSERT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    // Wine names a program started from outside its drives "unix\...", reachable as "\\?\unix\...".
    std::wstring source =
        std::wcsncmp(self, L"unix\\", 5) == 0 ? L"\\\\?\\" + std::wstring(self) : self;
    std::wstring child = folder + L"child.exe";
    ASSERT_TRUE(CopyFileW(source.c_str(), child.c_str(), TRUE)) << GetLastError();
    std::wstring report = folder + L"report.txt";
    std::wstring commandLine = L"\"" + child + L"\" " + ChildSwitch + L" \"" + Phrase + L"\"";
    SetEnvironmentVariableW(ChildVariable, report.c_str());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessW(child.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                  nullptr, folder.c_str(), &startup, &process);
    SetEnvironmentVariableW(ChildVariable, nullptr);
    ASSERT_TRUE(started) << GetLastError();
    WaitForSingleObject(process.hProcess, 30000);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::string verdict;
    ASSERT_TRUE(ReadWholeFile(report, &verdict)) << "the child wrote no report";
    EXPECT_EQ(verdict, "pass");
    EXPECT_EQ(exitCode, 0u);
}

TEST(FileDialogRecord, FillsOnlyTheClassicFields) {
    RunState.DialogWindow = reinterpret_cast<HWND>(0x1234);
    OPENFILENAMEW record;
    std::memset(&record, 0xCC, sizeof record);
    wchar_t fileName[100] = L"left over";
    FillOpenFileName(&record, L"d:\\start", nullptr, 0, fileName);
    EXPECT_EQ(record.lStructSize, OPENFILENAME_SIZE_VERSION_400W);
    EXPECT_EQ(record.hwndOwner, RunState.DialogWindow);
    EXPECT_EQ(record.lpstrFile, fileName);
    EXPECT_EQ(fileName[0], L'\0');
    EXPECT_EQ(record.nMaxFile, 260u);
    EXPECT_EQ(std::memcmp(record.lpstrFilter, L"All Files\0*.*\0", sizeof L"All Files\0*.*\0"), 0);
    EXPECT_EQ(record.nFilterIndex, 1u);
    EXPECT_STREQ(record.lpstrInitialDir, L"d:\\start");
    EXPECT_EQ(record.lpstrFileTitle, nullptr);
    EXPECT_EQ(record.Flags, 0u);
    EXPECT_EQ(record.hInstance, nullptr);
    EXPECT_EQ(record.lpstrTitle, nullptr);
    EXPECT_EQ(record.lpfnHook, nullptr);
    // Nothing past the classic record is touched.
    const uint8_t* tail =
        reinterpret_cast<const uint8_t*>(&record) + OPENFILENAME_SIZE_VERSION_400W;
    for (size_t i = 0; i < sizeof record - OPENFILENAME_SIZE_VERSION_400W; ++i) {
        ASSERT_EQ(tail[i], 0xCC) << "byte " << OPENFILENAME_SIZE_VERSION_400W + i;
    }
    const wchar_t filter[] = L"Encrypted\0*.crypt\0";
    FillOpenFileName(&record, nullptr, filter, 100, fileName);
    EXPECT_EQ(record.nMaxFile, 100u);
    EXPECT_EQ(record.lpstrFilter, filter);
    EXPECT_EQ(record.lpstrInitialDir, nullptr);
    RunState.DialogWindow = nullptr;
}

// The dialog driver: waits for the common dialog owned by `owner`, reports what it shows, then
// either cancels it or types a name and accepts.
struct DialogScript {
    HWND owner;
    const wchar_t* typeName; // null: cancel
    wchar_t shownName[MAX_PATH];
    wchar_t firstFilter[64];
    bool found;
    bool nameBoxFound;
    bool closed;           // the dialog went away after the scripted action
    std::wstring controls; // what the dialog held, for the failure message
};

HWND FindOwnedDialog(HWND owner) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, L"#32770", nullptr)) != nullptr) {
        if (GetWindow(window, GW_OWNER) == owner && IsWindowVisible(window)) {
            return window;
        }
    }
    return nullptr;
}

BOOL CALLBACK ListControl(HWND control, LPARAM parameter) {
    wchar_t name[64];
    GetClassNameW(control, name, 64);
    *reinterpret_cast<std::wstring*>(parameter) +=
        std::wstring(name) + L":" + std::to_wstring(GetDlgCtrlID(control)) + L" ";
    return TRUE;
}

// The file name box: an edit control, alone or inside the file name combo box.
HWND FileNameControl(HWND dialog) {
    HWND control = GetDlgItem(dialog, cmb13);
    if (control == nullptr) {
        control = GetDlgItem(dialog, edt1);
    }
    wchar_t name[32] = {};
    GetClassNameW(control, name, 32);
    if (_wcsicmp(name, L"ComboBoxEx32") == 0) {
        return reinterpret_cast<HWND>(SendMessageW(control, CBEM_GETEDITCONTROL, 0, 0));
    }
    if (_wcsicmp(name, L"ComboBox") == 0) {
        return FindWindowExW(control, nullptr, L"Edit", nullptr);
    }
    return control;
}

DWORD WINAPI DriveDialog(void* parameter) {
    auto* script = static_cast<DialogScript*>(parameter);
    HWND dialog = nullptr;
    for (int tries = 0; tries < 1000 && dialog == nullptr; ++tries) {
        Sleep(10);
        dialog = FindOwnedDialog(script->owner);
    }
    if (dialog == nullptr) {
        return 1;
    }
    script->found = true;
    Sleep(100); // let the dialog finish setting itself up
    EnumChildWindows(dialog, ListControl, reinterpret_cast<LPARAM>(&script->controls));
    HWND name = FileNameControl(dialog);
    script->nameBoxFound = name != nullptr;
    SendMessageW(name, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(script->shownName));
    SendMessageW(GetDlgItem(dialog, cmb1), CB_GETLBTEXT, 0,
                 reinterpret_cast<LPARAM>(script->firstFilter));
    if (script->typeName == nullptr) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else {
        SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(script->typeName));
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    }
    for (int tries = 0; tries < 300 && IsWindow(dialog); ++tries) {
        Sleep(10);
    }
    script->closed = !IsWindow(dialog);
    // Whatever is still open (the dialog, or a message box it raised) is cancelled, so a
    // failing test ends instead of waiting for a user.
    for (int tries = 0; tries < 50 && IsWindow(dialog); ++tries) {
        HWND top = FindOwnedDialog(dialog);
        PostMessageW(top != nullptr ? top : dialog, WM_COMMAND, IDCANCEL, 0);
        Sleep(50);
    }
    return 0;
}

class FileDialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(owner, nullptr);
        RunState.DialogWindow = owner;
    }
    void TearDown() override {
        RunState.DialogWindow = nullptr;
        DestroyWindow(owner);
    }
    HANDLE StartDriver(DialogScript* script) {
        script->owner = owner;
        return CreateThread(nullptr, 0, DriveDialog, script, 0, nullptr);
    }
    HWND owner = nullptr;
};

TEST_F(FileDialogs, CancelledOpenDialogGivesZero) {
    std::wstring folder = MakeScratchFolder(L"dialogs");
    DialogScript script = {};
    HANDLE driver = StartDriver(&script);
    wchar_t fileName[MAX_PATH] = L"stale name";
    int32_t chosen = ChooseOpenFile(folder.c_str(), nullptr, 0, fileName);
    WaitForSingleObject(driver, 15000);
    CloseHandle(driver);
    EXPECT_TRUE(script.found);
    EXPECT_TRUE(script.nameBoxFound) << script.controls;
    EXPECT_TRUE(script.closed) << script.controls;
    EXPECT_EQ(chosen, 0);
    EXPECT_STREQ(script.shownName, L"");
    EXPECT_STREQ(script.firstFilter, L"All Files");
}

TEST_F(FileDialogs, SaveDialogReturnsTheTypedName) {
    std::wstring folder = MakeScratchFolder(L"dialogs");
    DialogScript script = {};
    script.typeName = L"typed.txt";
    HANDLE driver = StartDriver(&script);
    wchar_t fileName[MAX_PATH] = L"stale name";
    int32_t chosen = ChooseSaveFile(folder.c_str(), L"Text\0*.txt\0Everything\0*.*\0", 0, fileName);
    WaitForSingleObject(driver, 15000);
    CloseHandle(driver);
    EXPECT_TRUE(script.found);
    EXPECT_TRUE(script.nameBoxFound) << script.controls;
    EXPECT_TRUE(script.closed) << script.controls;
    EXPECT_EQ(chosen, 1);
    EXPECT_STREQ(script.shownName, L"");
    EXPECT_STREQ(script.firstFilter, L"Text");
    EXPECT_EQ(_wcsicmp(fileName, (folder + L"typed.txt").c_str()), 0) << fileName;
}

TEST_F(FileDialogs, NullBufferShowsNothing) {
    EXPECT_EQ(ChooseOpenFile(nullptr, nullptr, 0, nullptr), 0);
    EXPECT_EQ(ChooseSaveFile(nullptr, nullptr, 0, nullptr), 0);
    EXPECT_EQ(FindOwnedDialog(owner), nullptr);
}

TEST(FileApiNarrow, FollowsTheFileApiCodePage) {
    // U+00E9 and a decomposed e + U+0301, which the composite check joins into one character.
    const wchar_t text[] = L"caf\u00e9 e\u0301";
    char expectedAnsi[16] = {}, expectedOem[16] = {}, got[16] = {};
    const DWORD flags = WC_COMPOSITECHECK | WC_SEPCHARS;
    int ansiLength =
        WideCharToMultiByte(CP_ACP, flags, text, -1, expectedAnsi, 16, nullptr, nullptr);
    int oemLength =
        WideCharToMultiByte(CP_OEMCP, flags, text, -1, expectedOem, 16, nullptr, nullptr);
    ASSERT_GT(ansiLength, 0);
    ASSERT_NE(std::string(expectedAnsi), std::string(expectedOem))
        << "code pages " << GetACP() << " and " << GetOEMCP() << " agree on the test text";

    ASSERT_TRUE(AreFileApisANSI());
    EXPECT_EQ(ToFileApiNarrow(text, -1, got, 16), ansiLength);
    EXPECT_STREQ(got, expectedAnsi);
    EXPECT_EQ(ToFileApiNarrow(text, -1, nullptr, 0), ansiLength);

    SetFileApisToOEM();
    std::memset(got, 0, sizeof got);
    int oemGot = ToFileApiNarrow(text, -1, got, 16);
    SetFileApisToANSI();
    EXPECT_EQ(oemGot, oemLength);
    EXPECT_STREQ(got, expectedOem);

    EXPECT_EQ(ToFileApiNarrow(text, -1, got, 2), 0); // too small: the conversion fails
}

} // namespace
