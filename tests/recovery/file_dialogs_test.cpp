// The open and save dialogs: the record they are given, and the real dialogs driven from a
// second thread.
#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>
#include <commctrl.h>
#include <dlgs.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "recovery/file_utilities.h"
#include "tests/support/scratch_tree.h"
#include "common/run_state.h"

namespace {

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

} // namespace
