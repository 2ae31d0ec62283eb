// The test window of the dialog's unlock run: see tests/support/test_window.h.
#include "tests/support/test_window.h"
#include "common/run_state.h"
#include "app/unlock_run.h"
#include "tests/support/wide_text.h"
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
                    Reports.statuses.empty() ? "-" : Utf8(Reports.statuses.back()).c_str(),
                    static_cast<unsigned>(Reports.positions.size()));
    }
    GetExitCodeThread(worker, &outcome.exitCode);
    CloseHandle(worker);
    RunState.WorkerThread = nullptr;
    return outcome;
}
