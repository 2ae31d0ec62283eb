// Works the decrypt window for scripts/decrypt-screenshots.sh, which runs it without anyone at the
// screen: puts OpenSSL-made .crypt files into D:\Documents, waits for the window, presses Search
// all drives (the script has made thousands of folders beside it, so that the search takes a
// while), then Decrypt, and after each step reports the window's place on the screen
// ("screenshot NAME x y w h") and waits until the script has taken its screenshot (it creates
// C:\rescindo-shots\NAME); at the end it presses Exit. Not a test.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "res/decrypt_resource.h"
#include "tests/decrypt_app/crypt_files.h"
#include "tests/decrypt_app/window_driver.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/wide_text.h"

namespace {

const DWORD ShowLimitMs = 120000;
const DWORD RunLimitMs = 120000;
const DWORD SignalLimitMs = 60000;

struct CaptionSearch {
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    std::wstring caption = ReadText(window);
    if (IsWindowVisible(window) && ReadClassName(window) == L"#32770" &&
        caption.compare(0, 10, L"Rescindo: ") == 0) {
        reinterpret_cast<CaptionSearch*>(parameter)->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindow() {
    CaptionSearch search = {nullptr};
    WaitFor(
        [&] {
            EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        ShowLimitMs);
    return search.found;
}

bool Snapshot(HWND window, const char* name) {
    Sleep(500); // let the last paint reach the screen
    RECT box;
    GetWindowRect(window, &box);
    std::printf("screenshot %s %ld %ld %ld %ld\n", name, box.left, box.top, box.right - box.left,
                box.bottom - box.top);
    std::fflush(stdout);
    std::wstring signal = L"C:\\rescindo-shots\\" + std::wstring(name, name + std::strlen(name));
    return WaitFor([&] { return GetFileAttributesW(signal.c_str()) != INVALID_FILE_ATTRIBUTES; },
                   SignalLimitMs);
}

} // namespace

int main() {
    const std::wstring folder = L"\\\\?\\D:\\Documents";
    MakeFolder(folder);
    for (const char* name :
         {"report.pdf", "sheet.xlsx", "letter.docx", "photo.jpg", "archive.zip", "readme.txt"}) {
        PlaceCrypt(folder, name);
    }
    ProgramRun run = {};
    run.dialog = WaitForWindow();
    if (run.dialog == nullptr) {
        std::printf("the window did not appear\n");
        return 1;
    }
    DWORD process = 0;
    run.process.dwThreadId = GetWindowThreadProcessId(run.dialog, &process);
    run.process.dwProcessId = process;
    Snapshot(run.dialog, "ready");
    Click(Control(run, IDC_SEARCH_DRIVES));
    if (WaitFor(
            [&] {
                return StatusText(run).find(L'D') != std::wstring::npos &&
                       IsWindowEnabled(Control(run, IDC_STOP));
            },
            ShowLimitMs)) {
        Snapshot(run.dialog, "searching");
    }
    WaitUntilIdle(run, RunLimitMs);
    Snapshot(run.dialog, "listed");
    Click(Control(run, IDC_DECRYPT));
    if (!WaitUntilIdle(run, RunLimitMs)) {
        std::printf("the run did not end\n");
        return 1;
    }
    std::printf("status: %s\n", Utf8(StatusText(run)).c_str());
    std::fflush(stdout);
    Snapshot(run.dialog, "finished");
    Click(Control(run, IDC_EXIT));
    return 0;
}
