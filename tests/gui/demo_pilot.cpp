// Presses Continue for scripts/demo.sh when no one is at the screen: waits for the program's
// dialog, starts the run, reports the "Done" message and the dialog's place on the screen, and
// after each report waits until the script has taken its screenshot (it creates the file
// C:\rescindo-demo\<name> in the sandbox) before going on; at the end it presses Exit.
#include "res/resource.h"
#include "tests/support/program_driver.h"
#include "tests/support/wide_text.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {
// The 32-bit program can take long to start under emulation; these are upper bounds only.
const DWORD ShowLimitMs = 300000;
const DWORD RunLimitMs = 300000;
const DWORD SignalLimitMs = 60000;

HWND WaitForTopLevel(const wchar_t* caption, DWORD limitMs) {
    for (DWORD waited = 0; waited < limitMs; waited += 50) {
        HWND window = FindWindowW(L"#32770", caption);
        if (window != nullptr && IsWindowVisible(window)) {
            return window;
        }
        Sleep(50);
    }
    return nullptr;
}

// Tells the script where the dialog (and the box above it, if any) is and waits for its
// screenshot.
bool Snapshot(HWND dialog, HWND above, const char* name) {
    Sleep(300); // let the last paint reach the screen
    RECT box;
    GetWindowRect(dialog, &box);
    if (above != nullptr) {
        RECT extra;
        GetWindowRect(above, &extra);
        UnionRect(&box, &box, &extra);
    }
    std::printf("screenshot %s %ld %ld %ld %ld\n", name, box.left, box.top, box.right - box.left,
                box.bottom - box.top);
    std::fflush(stdout);
    std::wstring signal = L"C:\\rescindo-demo\\" + std::wstring(name, name + std::strlen(name));
    for (DWORD waited = 0; waited < SignalLimitMs; waited += 50) {
        if (GetFileAttributesW(signal.c_str()) != INVALID_FILE_ATTRIBUTES) {
            return true;
        }
        Sleep(50);
    }
    return false;
}
} // namespace

int main() {
    HWND dialog = WaitForTopLevel(L"Rescindo", ShowLimitMs);
    if (dialog == nullptr) {
        std::printf("the dialog did not appear\n");
        return 1;
    }
    Snapshot(dialog, nullptr, "ready");
    Click(GetDlgItem(dialog, IDC_CONTINUE));
    std::printf("pressed Continue\n");
    std::fflush(stdout);
    HWND box = WaitForTopLevel(L"Done", RunLimitMs);
    if (box == nullptr) {
        std::printf("no \"Done\" message\n");
        return 1;
    }
    std::printf("\"Done\": %s\n", Utf8(ReadText(GetDlgItem(box, 0xFFFF))).c_str());
    std::fflush(stdout);
    Snapshot(dialog, box, "done");
    Click(GetDlgItem(box, IDOK));
    Snapshot(dialog, nullptr, "finished");
    Click(GetDlgItem(dialog, IDC_EXIT));
    std::printf("pressed Exit\n");
    return 0;
}
