// The decrypt window beside the console program, both timed from outside as a person would see
// them, in one run.
// Speed: a folder of .crypt files decrypted by rescindo-cli decrypt --auto (the whole process) and
// by the window started with the folder (from the press of Decrypt until the run has ended), in
// turn, the best of several rounds each; then the window again with its list, and then all of it,
// not redrawn during the run, which shows what its redraws cost. Beside each time, the threads'
// time on a processor: the console program's, the window's worker's and its dialog thread's.
// The list: a tree of many small .crypt files listed by the window beside a plain enumeration of
// the same tree, then paged through and sorted by each column, each step timed until the window
// has handled it and painted, beside the pause a user notices.
//   window_bench.exe DECRYPT.EXE CLI.EXE SPEED-FOLDER|- LIST-ROOT|- [ROUNDS] [--no-remote]
//                    [--beside DECRYPT.EXE]
// --no-remote: nothing is read from or written into the window's memory (a program of another
// width or an emulated one): the headers are found by their columns' widths and the rows are not
// read, so a click that sorts nothing cannot be told from one that does.
// --beside DECRYPT.EXE: another build of the window decrypts the folder in the same rounds, so
// that a change to the window can be tried against the build as it is on a busy machine.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench/bench_files.h"
#include "res/decrypt_resource.h"
#include "tests/decrypt_app/window_driver.h"
#include "tests/support/program_driver.h"
#include "tests/support/remote_controls.h"

namespace {

constexpr double SpeedTarget = 0.95;
// About the pause a user notices between a click and what it does.
constexpr double NoticedMs = 100.0;
// Sorting 100,000 rows may keep the window busy for long; a message unanswered this long means
// the window is lost.
constexpr UINT AnswerLimitMs = 120000;
constexpr double ListLimitSeconds = 1800.0;
constexpr double RunLimitSeconds = 600.0;

double Seconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double FileTimeSeconds(const FILETIME& time) {
    return static_cast<double>(static_cast<uint64_t>(time.dwHighDateTime) << 32 |
                               time.dwLowDateTime) /
           1e7;
}

// Time on a processor, kernel and user, of one thread: Wine tells it for a thread of another
// process, not for the whole of one.
double ThreadBusySeconds(HANDLE thread) {
    FILETIME created, ended, kernel, user;
    return GetThreadTimes(thread, &created, &ended, &kernel, &user)
               ? FileTimeSeconds(kernel) + FileTimeSeconds(user)
               : 0.0;
}

// Threads of another process, each one's time on a processor as last seen: Wine tells it only
// while the thread runs, so the threads are looked at as the process works, and the largest time
// seen of each is kept.
struct ThreadWatch {
    std::vector<DWORD> ids;
    std::vector<HANDLE> threads;
    std::vector<double> seen;
};

// Adds the process's threads not watched yet, all but leftOut.
void WatchThreads(DWORD processId, DWORD leftOut, ThreadWatch* watch) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return;
    }
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != processId || entry.th32ThreadID == leftOut ||
            std::find(watch->ids.begin(), watch->ids.end(), entry.th32ThreadID) !=
                watch->ids.end()) {
            continue;
        }
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        if (thread != nullptr) {
            watch->ids.push_back(entry.th32ThreadID);
            watch->threads.push_back(thread);
            watch->seen.push_back(0);
        }
    }
    CloseHandle(snapshot);
}

void LookAtThreads(ThreadWatch* watch) {
    for (size_t i = 0; i < watch->threads.size(); ++i) {
        watch->seen[i] = std::max(watch->seen[i], ThreadBusySeconds(watch->threads[i]));
    }
}

double WatchedSeconds(ThreadWatch* watch) {
    LookAtThreads(watch);
    double seconds = 0;
    for (double seen : watch->seen) {
        seconds += seen;
    }
    return seconds;
}

void EndWatch(ThreadWatch* watch) {
    for (HANDLE thread : watch->threads) {
        CloseHandle(thread);
    }
    *watch = ThreadWatch{};
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, AnswerLimitMs, &result);
    return static_cast<LRESULT>(result);
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

int CountCryptFiles(const std::wstring& folder) {
    int count = 0;
    for (const std::wstring& name : FileNamesIn(folder)) {
        count += EndsWithCrypt(name) ? 1 : 0;
    }
    return count;
}

// The reference for the window's listing: every folder below root listed the cheapest way the
// system offers, the .crypt files counted.
int64_t EnumerateCryptFiles(const std::wstring& root) {
    int64_t count = 0;
    std::vector<std::wstring> folders(1, root);
    while (!folders.empty()) {
        std::wstring folder = folders.back();
        folders.pop_back();
        WIN32_FIND_DATAW found;
        HANDLE listing =
            FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found,
                             FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (listing == INVALID_HANDLE_VALUE) {
            continue;
        }
        do {
            std::wstring name = found.cFileName;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (name != L"." && name != L"..") {
                    folders.push_back(folder + L"\\" + name);
                }
            } else if (EndsWithCrypt(name)) {
                ++count;
            }
        } while (FindNextFileW(listing, &found));
        FindClose(listing);
    }
    return count;
}

struct ConsoleRun {
    double seconds; // negative when it failed
    double busy;    // its threads on a processor
    DWORD exitCode;
};

// The console program as a whole process, its output to NUL.
ConsoleRun TimeConsole(const std::wstring& commandLine) {
    ConsoleRun result = {-1, 0, 1};
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nul =
        CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherit, OPEN_EXISTING, 0, nullptr);
    startup.hStdOutput = nul;
    startup.hStdError = nul;
    startup.hStdInput = nul;
    PROCESS_INFORMATION process;
    std::wstring line = commandLine;
    double start = Seconds();
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        CloseHandle(nul);
        return result;
    }
    // The console program may do its work on threads it starts: they are looked for as it goes.
    ThreadWatch watch;
    for (int looks = 0; WaitForSingleObject(process.hProcess, 5) == WAIT_TIMEOUT; ++looks) {
        if (looks % 10 == 0) {
            WatchThreads(process.dwProcessId, 0, &watch);
        }
        LookAtThreads(&watch);
    }
    double took = Seconds() - start;
    result.busy = WatchedSeconds(&watch);
    EndWatch(&watch);
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    result.seconds = result.exitCode == 0 ? took : -1;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(nul);
    return result;
}

// Memory in the window's process for the records that messages to its controls point to.
struct RemoteMemory {
    HANDLE process;
    void* address;
};

RemoteMemory OpenRemoteMemory(HWND window, size_t size) {
    RemoteMemory memory = {nullptr, nullptr};
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    memory.process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
    if (memory.process != nullptr) {
        memory.address =
            VirtualAllocEx(memory.process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    return memory;
}

void CloseRemoteMemory(RemoteMemory* memory) {
    if (memory->address != nullptr) {
        VirtualFreeEx(memory->process, memory->address, 0, MEM_RELEASE);
    }
    if (memory->process != nullptr) {
        CloseHandle(memory->process);
    }
    *memory = RemoteMemory{nullptr, nullptr};
}

bool WriteRemote(const RemoteMemory& memory, const void* data, size_t size) {
    SIZE_T done = 0;
    return memory.address != nullptr &&
           WriteProcessMemory(memory.process, memory.address, data, size, &done) && done == size;
}

bool ReadRemote(const RemoteMemory& memory, void* data, size_t size) {
    SIZE_T done = 0;
    return memory.address != nullptr &&
           ReadProcessMemory(memory.process, memory.address, data, size, &done) && done == size;
}

// The window started with one path, and its controls.
struct Window {
    ProgramRun run;
    HWND list;
    HWND decrypt;
    HWND stop;
    HWND progress;
    double startedAt;
    double upAt;
    double listedAt;
};

bool Listing(const Window& window) {
    return !IsWindowEnabled(window.decrypt) || IsWindowEnabled(window.stop);
}

// Enabled states are kept with the window, not by its thread: asking for them every
// millisecond takes nothing from the window while it works.
bool WaitWhile(Window* window, bool (*going)(const Window&), double limitSeconds,
               ThreadWatch* watch = nullptr) {
    for (double start = Seconds(), looked = start; going(*window);) {
        double now = Seconds();
        if (now - start > limitSeconds || !IsRunning(&window->run)) {
            return false;
        }
        if (watch != nullptr && now - looked > 0.005) {
            LookAtThreads(watch);
            looked = now;
        }
        Sleep(1);
    }
    return true;
}

// Starts the window with path on its command line and waits until it has listed the files.
bool OpenWindow(const std::wstring& path, Window* window) {
    *window = Window{};
    window->startedAt = Seconds();
    if (!StartProgramCaptioned(&window->run, EnglishCaption, Quoted(path))) {
        std::printf("FAILED: the window did not come up for %ls\n", path.c_str());
        StopProgram(&window->run);
        return false;
    }
    window->upAt = Seconds();
    window->list = Control(window->run, IDC_FILE_LIST);
    window->decrypt = Control(window->run, IDC_DECRYPT);
    window->stop = Control(window->run, IDC_STOP);
    window->progress = Control(window->run, IDC_PROGRESS);
    if (!WaitWhile(window, Listing, ListLimitSeconds)) {
        std::printf("FAILED: the window did not finish listing %ls\n", path.c_str());
        StopProgram(&window->run);
        return false;
    }
    window->listedAt = Seconds();
    return true;
}

void CloseWindow(Window* window) {
    Click(Control(window->run, IDC_EXIT));
    if (WaitForExit(&window->run, 30000) < 0) {
        std::printf("the window did not close on Exit; ended\n");
    }
    StopProgram(&window->run);
}

// Waits until the window's thread has handled every message posted to it so far: a progress
// bar's step, which the window never uses, posted behind them comes back once they are done.
void WaitUntilHandled(const Window& window) {
    static int marker = 1000;
    ++marker;
    PostMessageW(window.progress, PBM_SETSTEP, marker, 0);
    double start = Seconds();
    while (Send(window.progress, PBM_GETSTEP, 0, 0) != marker &&
           Seconds() - start < AnswerLimitMs / 1000.0) {
    }
}

// What UpdateWindow does for a window of this process: whatever the list has left to paint is
// painted before this returns. The sent WM_NULL comes back once the window's thread is free
// again; it does not wait for a paint, which the system makes only when the queue is empty, so
// the list's update region is asked as well.
bool PaintedNow(const Window& window) {
    RedrawWindow(window.list, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    Send(window.run.dialog, WM_NULL, 0, 0);
    double start = Seconds();
    while (GetUpdateRect(window.list, nullptr, FALSE)) {
        if (Seconds() - start > AnswerLimitMs / 1000.0) {
            return false;
        }
        Send(window.run.dialog, WM_NULL, 0, 0);
        Sleep(0);
    }
    return true;
}

// How the window runs: as it is, with some of it kept from redrawing during the run, or another
// build of it (--beside), so that a change can be tried against the build as it is.
enum WindowWay : int {
    WayAsItIs,
    WayListHeld,
    WayNothingRedrawn,
    WayBeside,
    WindowWays,
};
const char* const WindowWayWords[WindowWays] = {
    "as it is", "list not redrawn (WM_SETREDRAW off)",
    "window not redrawn (the dialog's WM_SETREDRAW off)", "the other build (--beside)"};

// The other build of the window, if one was named.
std::wstring BesideProgram;

struct WindowRun {
    double seconds;    // from the press of Decrypt until the run has ended; negative when it failed
    double whole;      // from the start of the process until it has ended
    double dialogBusy; // the dialog's thread on a processor during the run
    double workerBusy; // the other threads, the worker's, on a processor during the run
};

bool Running(const Window& window) {
    return IsWindowEnabled(window.stop) != FALSE;
}

WindowRun TimeWindow(const std::wstring& folder, int files, WindowWay way) {
    WindowRun result = {-1, -1, 0, 0};
    std::wstring asItIs = ProgramPath;
    if (way == WayBeside) {
        ProgramPath = BesideProgram;
    }
    Window window;
    bool opened = OpenWindow(folder, &window);
    ProgramPath = asItIs;
    if (!opened) {
        return result;
    }
    int rows = ListViewRowCount(window.list);
    if (rows != files) {
        std::printf("FAILED: the window listed %d files of %d\n", rows, files);
        CloseWindow(&window);
        return result;
    }
    HWND held = way == WayListHeld         ? window.list
                : way == WayNothingRedrawn ? window.run.dialog
                                           : nullptr;
    if (held != nullptr) {
        Send(held, WM_SETREDRAW, FALSE, 0);
    }
    double dialogBusy = ThreadBusySeconds(window.run.process.hThread);
    double start = Seconds();
    Click(window.decrypt);
    // The worker was started by the press, before the click came back.
    ThreadWatch watch;
    WatchThreads(window.run.process.dwProcessId, window.run.process.dwThreadId, &watch);
    bool ended = WaitWhile(&window, Running, RunLimitSeconds, &watch);
    double seconds = Seconds() - start;
    result.dialogBusy = ThreadBusySeconds(window.run.process.hThread) - dialogBusy;
    result.workerBusy = WatchedSeconds(&watch);
    EndWatch(&watch);
    if (held != nullptr) {
        Send(held, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(window.run.dialog, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    }
    std::wstring status = StatusText(window.run);
    std::wstring done =
        L"Decrypted " + std::to_wstring(files) + L" of " + std::to_wstring(files) + L" files.";
    if (!ended || status != done) {
        std::printf("FAILED: the window's run %s: \"%ls\"\n", ended ? "ended" : "did not end",
                    status.c_str());
    } else {
        result.seconds = seconds;
    }
    CloseWindow(&window);
    result.whole = Seconds() - window.startedAt;
    return result;
}

struct Best {
    double seconds;
    double dialogBusy;
    double workerBusy;
    double whole;
    int failures;
};

void Keep(Best* best, double seconds, double dialogBusy, double workerBusy, double whole) {
    if (seconds < 0) {
        ++best->failures;
        return;
    }
    if (seconds < best->seconds) {
        *best = Best{seconds, dialogBusy, workerBusy, whole, best->failures};
    }
}

bool CheckOutputs(const std::wstring& folder, int files, const char* who) {
    int outputs = RemoveOutputs(folder);
    if (outputs != files) {
        std::printf("FAILED: %s left %d outputs for %d files\n", who, outputs, files);
        return false;
    }
    return true;
}

void RunWindowWay(const std::wstring& folder, int files, WindowWay way, Best* best,
                  double* seconds) {
    WindowRun run = TimeWindow(folder, files, way);
    bool whole = CheckOutputs(folder, files, "the window");
    Keep(best, whole ? run.seconds : -1, run.dialogBusy, run.workerBusy, run.whole);
    *seconds = whole ? run.seconds : -1;
}

bool TimeSpeed(const std::wstring& cli, const std::wstring& folder, int rounds) {
    int files = CountCryptFiles(folder);
    if (files == 0) {
        std::printf("FAILED: no .crypt files in %ls\n", folder.c_str());
        return false;
    }
    RemoveOutputs(folder);
    std::wstring command = Quoted(cli) + L" decrypt --auto " + Quoted(folder);
    int ways = BesideProgram.empty() ? WayBeside : WindowWays;
    Best console = {1e300, 0, 0, 0, 0};
    Best window[WindowWays];
    for (Best& best : window) {
        best = Best{1e300, 0, 0, 0, 0};
    }
    std::printf("speed: %d files in %ls, best of %d rounds, in turn\n", files, folder.c_str(),
                rounds);
    std::fflush(stdout);
    for (int round = 0; round < rounds; ++round) {
        double roundConsole = -1, roundSeconds[WindowWays] = {-1, -1, -1, -1};
        // Taking turns at which goes first spreads the cost of a cold cache over both.
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn + round) % 2 == 0) {
                ConsoleRun run = TimeConsole(command);
                if (run.seconds < 0) {
                    std::printf("FAILED: rescindo-cli decrypt ended with %lu\n", run.exitCode);
                }
                bool whole = CheckOutputs(folder, files, "rescindo-cli decrypt");
                Keep(&console, whole ? run.seconds : -1, 0, run.busy, run.seconds);
                roundConsole = whole ? run.seconds : -1;
            } else {
                RunWindowWay(folder, files, WayAsItIs, &window[WayAsItIs],
                             &roundSeconds[WayAsItIs]);
            }
        }
        for (int way = WayListHeld; way < ways; ++way) {
            RunWindowWay(folder, files, static_cast<WindowWay>(way), &window[way],
                         &roundSeconds[way]);
        }
        // Each round's own times, so that the spread the machine adds shows beside the best.
        std::printf("round %d: console %.3f s", round + 1, roundConsole);
        for (int way = WayAsItIs; way < ways; ++way) {
            std::printf(", %s %.3f s", way == WayAsItIs ? "window" : WindowWayWords[way],
                        roundSeconds[way]);
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    if (console.failures != 0 || window[WayAsItIs].failures != 0) {
        std::printf("FAILED: %d console runs and %d window runs failed\n", console.failures,
                    window[WayAsItIs].failures);
        return false;
    }
    std::printf("console rescindo-cli decrypt --auto FOLDER, whole process: %.3f s (its threads on "
                "a processor %.3f s)\n",
                console.seconds, console.workerBusy);
    std::printf("window, from the press of Decrypt to \"Decrypted %d of %d files.\": %.3f s (on a "
                "processor: its worker %.3f s, its dialog thread %.3f s)\n",
                files, files, window[WayAsItIs].seconds, window[WayAsItIs].workerBusy,
                window[WayAsItIs].dialogBusy);
    std::printf("window as a whole process (start, listing, run, Exit): %.3f s\n",
                window[WayAsItIs].whole);
    double ratio = console.seconds / window[WayAsItIs].seconds;
    std::printf("window/console speed ratio %.3f (target >= %.2f)%s\n", ratio, SpeedTarget,
                ratio < SpeedTarget ? " BELOW TARGET" : "");
    std::printf("where the window's time goes, from the press to the end, best of %d each:\n",
                rounds);
    for (int way = WayAsItIs; way < ways; ++way) {
        if (window[way].failures != 0) {
            std::printf("  %-52s %d runs failed\n", WindowWayWords[way], window[way].failures);
            continue;
        }
        std::printf("  %-52s %.3f s, speed ratio %.3f (worker %.3f s, dialog thread %.3f s)\n",
                    WindowWayWords[way], window[way].seconds, console.seconds / window[way].seconds,
                    window[way].workerBusy, window[way].dialogBusy);
    }
    std::fflush(stdout);
    return true;
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

const char* Beside(double ms) {
    return ms >= NoticedMs ? "over" : "under";
}

void TimePaging(const Window& window) {
    int rows = ListViewRowCount(window.list);
    int perPage = static_cast<int>(Send(window.list, LVM_GETCOUNTPERPAGE, 0, 0));
    Send(window.list, WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
    PaintedNow(window);
    std::vector<double> pages;
    int pendingAfterNull = 0, unpainted = 0;
    int top = static_cast<int>(Send(window.list, LVM_GETTOPINDEX, 0, 0));
    for (;;) {
        double start = Seconds();
        Send(window.list, WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
        Send(window.run.dialog, WM_NULL, 0, 0);
        pendingAfterNull += GetUpdateRect(window.list, nullptr, FALSE) ? 1 : 0;
        unpainted += PaintedNow(window) ? 0 : 1;
        double ms = (Seconds() - start) * 1e3;
        int next = static_cast<int>(Send(window.list, LVM_GETTOPINDEX, 0, 0));
        if (next == top) {
            break;
        }
        pages.push_back(ms);
        top = next;
    }
    double worst = pages.empty() ? 0 : *std::max_element(pages.begin(), pages.end());
    double median = Median(pages);
    std::printf("paging: %d rows, %d a page, %d pages down to row %d\n", rows, perPage,
                static_cast<int>(pages.size()), top);
    std::printf("paging: per page, scrolled and painted: median %.2f ms, worst %.2f ms (a user "
                "notices about %.0f ms: median %s, worst %s)\n",
                median, worst, NoticedMs, Beside(median), Beside(worst));
    std::printf(
        "paging: %d of %d pages were still to be painted when the sent WM_NULL came back%s\n",
        pendingAfterNull, static_cast<int>(pages.size()),
        unpainted != 0 ? "; SOME PAGES NEVER PAINTED" : "");
    std::fflush(stdout);
}

struct SortSeen {
    std::vector<std::wstring> cells; // the first and last rows' texts of every column
    int format;                      // the header item's format: its sort arrow
};

SortSeen SeeSort(const Window& window, HWND header, int columns, int column, bool remote) {
    SortSeen seen = {{}, 0};
    if (!remote) {
        return seen;
    }
    int rows = ListViewRowCount(window.list);
    for (int row : {0, 1, 2, rows - 1}) {
        for (int c = 0; c < columns && row >= 0 && row < rows; ++c) {
            seen.cells.push_back(ListViewCell(window.list, row, c));
        }
    }
    RemoteMemory memory = OpenRemoteMemory(header, sizeof(HDITEMW));
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    if (WriteRemote(memory, &item, sizeof item) &&
        Send(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(memory.address)) &&
        ReadRemote(memory, &item, sizeof item)) {
        seen.format = item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
    }
    CloseRemoteMemory(&memory);
    return seen;
}

// The column's title as its header shows it, or its number where the window's memory is not read.
std::string ColumnTitle(HWND header, int column, bool remote) {
    std::string title = "column " + std::to_string(column);
    const int capacity = 64;
    if (!remote) {
        return title;
    }
    RemoteMemory memory = OpenRemoteMemory(header, sizeof(HDITEMW) + capacity * sizeof(wchar_t));
    if (memory.address == nullptr) {
        CloseRemoteMemory(&memory);
        return title;
    }
    HDITEMW item = {};
    item.mask = HDI_TEXT;
    item.pszText = static_cast<wchar_t*>(memory.address) + sizeof(HDITEMW) / sizeof(wchar_t);
    item.cchTextMax = capacity;
    wchar_t text[capacity] = {};
    SIZE_T done = 0;
    if (WriteRemote(memory, &item, sizeof item) &&
        Send(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(memory.address)) &&
        ReadProcessMemory(memory.process, item.pszText, text, sizeof text, &done)) {
        text[capacity - 1] = L'\0';
        char utf8[4 * capacity];
        if (WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr) > 0) {
            title = utf8;
        }
    }
    CloseRemoteMemory(&memory);
    return title;
}

// The middle of the column's header: from the header itself, else from the widths of the columns
// before it, which need nothing in the window's memory.
POINT HeaderMiddle(const Window& window, HWND header, int column, bool remote) {
    RECT bounds = {};
    bool found = false;
    if (remote) {
        RemoteMemory memory = OpenRemoteMemory(header, sizeof(RECT));
        found = WriteRemote(memory, &bounds, sizeof bounds) &&
                Send(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(memory.address)) &&
                ReadRemote(memory, &bounds, sizeof bounds);
        CloseRemoteMemory(&memory);
    }
    if (!found) {
        GetClientRect(header, &bounds);
        int left = 0;
        for (int i = 0; i < column; ++i) {
            left += static_cast<int>(Send(window.list, LVM_GETCOLUMNWIDTH, i, 0));
        }
        bounds.left = left;
        bounds.right = left + static_cast<int>(Send(window.list, LVM_GETCOLUMNWIDTH, column, 0));
    }
    return POINT{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
}

double ClearStateMs(const Window& window, UINT stateMask) {
    RemoteMemory memory = OpenRemoteMemory(window.list, sizeof(LVITEMW));
    LVITEMW item = {};
    item.stateMask = stateMask;
    double ms = -1;
    if (WriteRemote(memory, &item, sizeof item)) {
        double start = Seconds();
        Send(window.list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
             reinterpret_cast<LPARAM>(memory.address));
        ms = (Seconds() - start) * 1e3;
    }
    CloseRemoteMemory(&memory);
    return ms;
}

void TimeSorting(const Window& window, bool remote) {
    HWND header = reinterpret_cast<HWND>(Send(window.list, LVM_GETHEADER, 0, 0));
    int columns = static_cast<int>(Send(header, HDM_GETITEMCOUNT, 0, 0));
    double worstHandled = 0, worstPainted = 0;
    int changes = 0;
    for (int column = 0; column < columns; ++column) {
        std::string title = ColumnTitle(header, column, remote);
        // The second click on the same header reverses the order.
        for (int click = 0; click < 2; ++click) {
            SortSeen before = SeeSort(window, header, columns, column, remote);
            POINT middle = HeaderMiddle(window, header, column, remote);
            LPARAM at = MAKELPARAM(middle.x, middle.y);
            double start = Seconds();
            PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
            PostMessageW(header, WM_LBUTTONUP, 0, at);
            WaitUntilHandled(window);
            double handled = (Seconds() - start) * 1e3;
            PaintedNow(window);
            double painted = (Seconds() - start) * 1e3;
            SortSeen after = SeeSort(window, header, columns, column, remote);
            bool changed = after.cells != before.cells || after.format != before.format;
            changes += changed ? 1 : 0;
            worstHandled = std::max(worstHandled, handled);
            worstPainted = std::max(worstPainted, painted);
            std::printf("sorting: %s, click %d: handled %.1f ms, painted %.1f ms%s%s\n",
                        title.c_str(), click + 1, handled, painted,
                        after.format & HDF_SORTUP     ? ", arrow up"
                        : after.format & HDF_SORTDOWN ? ", arrow down"
                                                      : "",
                        !remote   ? ""
                        : changed ? ""
                                  : ", changed nothing");
        }
    }
    if (remote && changes == 0) {
        std::printf("sorting: no click on a column header changed the rows or the header: the "
                    "window does not sort yet\n");
    }
    std::printf("sorting: worst per sort: handled %.1f ms, painted %.1f ms (a user notices about "
                "%.0f ms: %s)\n",
                worstHandled, worstPainted, NoticedMs, Beside(worstPainted));
    if (remote) {
        // A sort clears the selection of every row, which the list view may do row by row: that
        // step alone, asked of the list as the window asks it, and with the selection alone.
        std::printf("sorting: the list's clearing of every row's state (LVM_SETITEMSTATE -1): "
                    "selected and focused %.1f ms, selected alone %.1f ms\n",
                    ClearStateMs(window, LVIS_SELECTED | LVIS_FOCUSED),
                    ClearStateMs(window, LVIS_SELECTED));
    }
    std::fflush(stdout);
}

bool TimeList(const std::wstring& root, bool remote) {
    // The enumeration first, so that the window finds the folders as warm as the reference does.
    double plain = 1e300;
    int64_t files = 0;
    for (int pass = 0; pass < 2; ++pass) {
        double start = Seconds();
        files = EnumerateCryptFiles(root);
        plain = std::min(plain, Seconds() - start);
    }
    std::printf("list: %lld .crypt files below %ls\n", static_cast<long long>(files), root.c_str());
    std::printf("list: plain enumeration (FindFirstFileExW of every folder, best of 2): %.3f s\n",
                plain);
    std::fflush(stdout);
    Window window;
    if (!OpenWindow(root, &window)) {
        return false;
    }
    int rows = ListViewRowCount(window.list);
    double listing = window.listedAt - window.upAt;
    std::printf("list: window listed %d rows: %.3f s from its start, %.3f s once it was up "
                "(start-up %.3f s)\n",
                rows, window.listedAt - window.startedAt, listing, window.upAt - window.startedAt);
    std::printf("list: window/plain enumeration speed ratio %.3f\n", plain / listing);
    std::fflush(stdout);
    bool whole = rows == files;
    if (!whole) {
        std::printf("FAILED: the window listed %d rows for %lld files\n", rows,
                    static_cast<long long>(files));
    }
    TimePaging(window);
    TimeSorting(window, remote);
    CloseWindow(&window);
    return whole;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    bool remote = true;
    std::vector<std::wstring> arguments;
    for (int i = 1; i < argc; ++i) {
        if (std::wstring(argv[i]) == L"--no-remote") {
            remote = false;
        } else if (std::wstring(argv[i]) == L"--beside" && i + 1 < argc) {
            BesideProgram = argv[++i];
        } else {
            arguments.push_back(argv[i]);
        }
    }
    if (arguments.size() < 4 || arguments.size() > 5) {
        std::fprintf(stderr, "usage: window_bench DECRYPT.EXE CLI.EXE SPEED-FOLDER|- LIST-ROOT|- "
                             "[ROUNDS] [--no-remote] [--beside DECRYPT.EXE]\n");
        return 2;
    }
    ProgramPath = arguments[0];
    int rounds = arguments.size() == 5 ? _wtoi(arguments[4].c_str()) : 5;
    rounds = rounds < 1 ? 1 : rounds;
    bool passed = true;
    if (arguments[2] != L"-") {
        passed = TimeSpeed(arguments[1], arguments[2], rounds) && passed;
    }
    if (arguments[3] != L"-") {
        passed = TimeList(arguments[3], remote) && passed;
    }
    return passed ? 0 : 1;
}
