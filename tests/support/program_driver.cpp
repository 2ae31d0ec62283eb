#include "tests/support/program_driver.h"

#include <commctrl.h>

#include "tests/support/remote_controls.h"

std::wstring ProgramPath;

namespace {
// Start-up of a program under Wine takes about a second; this is only an upper bound.
const DWORD StartLimitMs = 30000;
const DWORD PollMs = 20;

struct BoxSearch {
    DWORD processId;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK MatchBox(HWND window, LPARAM param) {
    BoxSearch* search = reinterpret_cast<BoxSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window) ||
        ReadClassName(window) != L"#32770") {
        return TRUE;
    }
    if (search->caption != nullptr && ReadText(window) != search->caption) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}
} // namespace

bool StartProgram(ProgramRun* run) {
    return StartProgramCaptioned(run, L"Rescindo");
}

bool StartProgramCaptioned(ProgramRun* run, const wchar_t* caption, const std::wstring& arguments) {
    run->dialog = nullptr;
    ZeroMemory(&run->process, sizeof(run->process));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    std::wstring commandLine = L"\"" + ProgramPath + L"\"";
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }
    if (!CreateProcessW(ProgramPath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        L"C:\\", &startup, &run->process)) {
        return false;
    }
    for (DWORD waited = 0; waited < StartLimitMs; waited += PollMs) {
        // The dialog counts as up once it is visible and set up, that is, captioned.
        HWND dialog = FindBox(run, caption);
        if (dialog != nullptr) {
            run->dialog = dialog;
            return true;
        }
        if (!IsRunning(run)) {
            return false;
        }
        Sleep(PollMs);
    }
    return false;
}

void StopProgram(ProgramRun* run) {
    if (run->process.hProcess == nullptr) {
        return;
    }
    if (IsRunning(run)) {
        TerminateProcess(run->process.hProcess, 99);
        WaitForSingleObject(run->process.hProcess, MessageLimitMs);
    }
    CloseHandle(run->process.hThread);
    CloseHandle(run->process.hProcess);
    ZeroMemory(&run->process, sizeof(run->process));
}

long WaitForExit(ProgramRun* run, DWORD limitMs) {
    if (WaitForSingleObject(run->process.hProcess, limitMs) != WAIT_OBJECT_0) {
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(run->process.hProcess, &code);
    return static_cast<long>(code);
}

bool IsRunning(ProgramRun* run) {
    return WaitForSingleObject(run->process.hProcess, 0) == WAIT_TIMEOUT;
}

std::wstring ReadText(HWND window) {
    wchar_t text[8192];
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, sizeof(text) / sizeof(text[0]),
                             reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, MessageLimitMs,
                             &copied)) {
        return L"<no answer>";
    }
    return std::wstring(text, copied);
}

std::wstring ReadClassName(HWND window) {
    wchar_t name[64];
    int length = GetClassNameW(window, name, 64);
    return std::wstring(name, length > 0 ? length : 0);
}

HWND FindChildOfClass(HWND parent, const wchar_t* className) {
    return FindWindowExW(parent, nullptr, className, nullptr);
}

void Click(HWND button) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, MessageLimitMs, &result);
}

HWND FocusedWindow(ProgramRun* run) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(run->process.dwThreadId, &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

void PressKey(ProgramRun* run, WPARAM key) {
    HWND focus = FocusedWindow(run);
    UINT scan = MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
    PostMessageW(focus, WM_KEYDOWN, key, 1 | (static_cast<LPARAM>(scan) << 16));
    PostMessageW(focus, WM_KEYUP, key, 1 | (static_cast<LPARAM>(scan) << 16) | 0xC0000000);
}

HWND FindBox(ProgramRun* run, const wchar_t* caption) {
    BoxSearch search = {run->process.dwProcessId, caption, nullptr};
    EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForBox(ProgramRun* run, const wchar_t* caption, DWORD limitMs) {
    for (DWORD waited = 0;; waited += PollMs) {
        HWND box = FindBox(run, caption);
        if (box != nullptr || waited >= limitMs || !IsRunning(run)) {
            return box;
        }
        Sleep(PollMs);
    }
}
