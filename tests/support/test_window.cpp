// The test window and the file helpers of the unlock tests.
#include "tests/support/test_window.h"
#include "common/run_state.h"
#include "app/unlock_run.h"
#include "unlock/walk_limits.h"
#include <commctrl.h>
#include <cstdio>

ReportRecord Reports;

namespace {
WNDPROC OriginalProgressProc = nullptr;
WNDPROC OriginalStatusProc = nullptr;
HWND TestWindow = nullptr;

LRESULT CALLBACK RecordingProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PBM_SETPOS) {
        Reports.positions.push_back(static_cast<int>(wParam));
    } else if (message == PBM_SETRANGE) {
        Reports.ranges.push_back(lParam);
    } else if (message == PBM_SETSTEP) {
        Reports.steps.push_back(wParam);
    }
    return CallWindowProcW(OriginalProgressProc, window, message, wParam, lParam);
}

LRESULT CALLBACK RecordingStatusProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT) {
        Reports.statuses.push_back(reinterpret_cast<const wchar_t*>(lParam));
    }
    return CallWindowProcW(OriginalStatusProc, window, message, wParam, lParam);
}

struct BodyCall {
    void (*body)(void*);
    void* context;
};

DWORD WINAPI BodyThread(LPVOID parameter) {
    BodyCall* call = static_cast<BodyCall*>(parameter);
    call->body(call->context);
    return 0;
}

void PumpOnce() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

BOOL CALLBACK RememberDialogWindow(HWND window, LPARAM found) {
    wchar_t className[32];
    GetClassNameW(window, className, 32);
    if (lstrcmpW(className, L"#32770") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND FindResultBox(DWORD threadId) {
    HWND found = nullptr;
    EnumThreadWindows(threadId, RememberDialogWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}
} // namespace

void PrepareTestWindow() {
    if (TestWindow == nullptr) {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        TestWindow = CreateWindowExW(0, L"STATIC", L"unlock test", WS_OVERLAPPEDWINDOW, 0, 0, 400,
                                     200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        HWND progress = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 10, 10, 300,
                                        20, TestWindow, nullptr, nullptr, nullptr);
        HWND status = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                      TestWindow, nullptr, nullptr, nullptr);
        OriginalProgressProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            progress, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProgressProc)));
        OriginalStatusProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            status, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingStatusProc)));
        RunState.Instance = GetModuleHandleW(nullptr);
        RunState.DialogWindow = TestWindow;
        RunState.ProgressBar = progress;
        RunState.StatusBar = status;
    }
    Reports = ReportRecord();
    RunState.RussianUi = 0;
    RunState.UnlockedCount = 0;
    RunState.UsedBytes = 0;
    RunState.WalkedBytes = 0;
    RunState.KeySelector = 0;
    ResetDialogReport();
}

int PumpUntilThreadEnds(HANDLE thread) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 60000) {
        DWORD wait = MsgWaitForMultipleObjects(1, &thread, FALSE, 100, QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0) {
            return 1;
        }
        PumpOnce();
    }
    return 0;
}

void RunOnWorkerStack(void (*body)(void* context), void* context) {
    BodyCall call = {body, context};
    HANDLE thread = CreateThread(nullptr, WorkerStackBytes, BodyThread, &call,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread != nullptr) {
        PumpUntilThreadEnds(thread);
        CloseHandle(thread);
    }
}

RunOutcome RunWholeUnlock() {
    RunOutcome outcome = {0, L"", L"", 0, 0};
    StartUnlockRun();
    HANDLE worker = RunState.WorkerThread;
    if (worker == nullptr) {
        return outcome;
    }
    DWORD workerId = GetThreadId(worker);
    HWND pressed = nullptr;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 60000) {
        DWORD wait = MsgWaitForMultipleObjects(1, &worker, FALSE, 20, QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0) {
            outcome.ended = 1;
            break;
        }
        PumpOnce();
        HWND box = FindResultBox(workerId);
        // A box is read and pressed once it shows its text: it is found as soon as it exists.
        if (box != nullptr && box != pressed && IsWindowVisible(box)) {
            wchar_t text[4096] = L"";
            GetDlgItemTextW(box, 0xFFFF, text, 4096);
            if (text[0] == L'\0') {
                continue;
            }
            outcome.boxes += 1;
            if (outcome.boxes == 1) {
                outcome.text = text;
                SendMessageW(box, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
                outcome.caption = text;
            }
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            pressed = box;
        }
    }
    if (!outcome.ended) {
        std::printf("worker still running: %u statuses, last %s, %u positions\n",
                    static_cast<unsigned>(Reports.statuses.size()),
                    Reports.statuses.empty() ? "-" : Shown(Reports.statuses.back()).c_str(),
                    static_cast<unsigned>(Reports.positions.size()));
    }
    GetExitCodeThread(worker, &outcome.exitCode);
    CloseHandle(worker);
    RunState.WorkerThread = nullptr;
    return outcome;
}

int MakeFolder(const std::wstring& path) {
    return CreateDirectoryW(path.c_str(), nullptr) ? 1 : 0;
}

int WriteWhole(const std::wstring& path, const std::string& data) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    DWORD written = 0;
    BOOL ok = data.empty() ||
              WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == data.size() ? 1 : 0;
}

int MakeFileOfSize(const std::wstring& path, DWORD size) {
    return WriteWhole(path, std::string(size, 'r'));
}

int Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES ? 1 : 0;
}

int IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadWhole(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "<missing>";
    }
    std::string data;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
        data.append(buffer, got);
    }
    CloseHandle(file);
    return data;
}

void ClearFolder(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE listing = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (listing == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        std::wstring entry = path + L"\\" + name;
        SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A link is removed, not followed; the length bound ends any loop the platform
            // does not show as a link.
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && entry.size() < 1100) {
                ClearFolder(entry);
            }
            RemoveDirectoryW(entry.c_str());
        } else {
            DeleteFileW(entry.c_str());
        }
    } while (FindNextFileW(listing, &found));
    FindClose(listing);
}

void ClearTestDrives() {
    ClearFolder(L"\\\\?\\D:");
    ClearFolder(L"\\\\?\\E:");
    ClearFolder(L"\\\\?\\F:");
}

std::string Shown(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) {
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
    }
    return out;
}
