// Speed of the unlock walk: files per second of a full walk (two listings per directory, loop
// check, a synchronous progress message per file to a real progress bar owned by another
// thread, renames) beside a plain single-pass enumeration of the same tree.
//   unlock_bench.exe [directories-per-level] [files-per-directory]
// Builds its tree under D:\bench (D: must be an empty scratch drive), walks it, prints the
// figures and deletes the tree.
#include "common/run_state.h"
#include "unlock/unlock_run.h"
#include "unlock/walk_limits.h"
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const std::wstring Root = L"\\\\?\\D:\\bench";
long long CreatedFiles = 0;
long long DamagedFiles = 0;

double Seconds() {
    static LARGE_INTEGER frequency = {};
    if (frequency.QuadPart == 0) {
        QueryPerformanceFrequency(&frequency);
    }
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void MakeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, "bench", 5, &written, nullptr);
        CloseHandle(file);
        ++CreatedFiles;
    }
}

// Two levels of directories, files in the leaves; one file in a hundred is damaged.
void BuildTree(int directories, int files) {
    CreateDirectoryW(Root.c_str(), nullptr);
    for (int outer = 0; outer < directories; ++outer) {
        std::wstring top = Root + L"\\top" + std::to_wstring(outer);
        CreateDirectoryW(top.c_str(), nullptr);
        for (int inner = 0; inner < directories; ++inner) {
            std::wstring leaf = top + L"\\leaf" + std::to_wstring(inner);
            CreateDirectoryW(leaf.c_str(), nullptr);
            for (int file = 0; file < files; ++file) {
                std::wstring name = L"\\file" + std::to_wstring(file) + L".dat";
                if (file % 100 == 7) {
                    name += L" ab-cd ";
                    ++DamagedFiles;
                }
                MakeFile(leaf + name);
            }
        }
    }
}

// The plain enumeration: one listing per directory, nothing else.
long long CountFiles(const std::wstring& directory) {
    long long count = 0;
    WIN32_FIND_DATAW found;
    HANDLE listing = FindFirstFileW((directory + L"\\*.*").c_str(), &found);
    if (listing == INVALID_HANDLE_VALUE) {
        return 0;
    }
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (lstrcmpW(found.cFileName, L".") != 0 && lstrcmpW(found.cFileName, L"..") != 0) {
                count += CountFiles(directory + L"\\" + found.cFileName);
            }
        } else {
            ++count;
        }
    } while (FindNextFileW(listing, &found));
    FindClose(listing);
    return count;
}

void DeleteTree(const std::wstring& directory) {
    WIN32_FIND_DATAW found;
    HANDLE listing = FindFirstFileW((directory + L"\\*").c_str(), &found);
    if (listing != INVALID_HANDLE_VALUE) {
        do {
            std::wstring entry = directory + L"\\" + found.cFileName;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (lstrcmpW(found.cFileName, L".") != 0 && lstrcmpW(found.cFileName, L"..") != 0) {
                    DeleteTree(entry);
                }
            } else {
                DeleteFileW(entry.c_str());
            }
        } while (FindNextFileW(listing, &found));
        FindClose(listing);
    }
    RemoveDirectoryW(directory.c_str());
}

DWORD WINAPI WalkThread(LPVOID) {
    DirectoryWalker(Root.c_str(), SuffixPattern);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int directories = argc > 1 ? std::atoi(argv[1]) : 10;
    int files = argc > 2 ? std::atoi(argv[2]) : 1000;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    HWND window = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200,
                                  nullptr, nullptr, nullptr, nullptr);
    RunState.ProgressBar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 10, 10,
                                           300, 20, window, nullptr, nullptr, nullptr);
    RunState.StatusBar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0,
                                         0, window, nullptr, nullptr, nullptr);
    SetProgressRange(0, 100);

    double start = Seconds();
    BuildTree(directories, files);
    std::printf("tree: %lld files (%lld damaged) in %d directories, built in %.1f s\n",
                CreatedFiles, DamagedFiles, 1 + directories + directories * directories,
                Seconds() - start);

    CountFiles(Root); // warm the caches once for both
    start = Seconds();
    long long counted = CountFiles(Root);
    double plain = Seconds() - start;

    RunState.UsedBytes = CreatedFiles * 5;
    RunState.WalkedBytes = 0;
    RunState.UnlockedCount = 0;
    start = Seconds();
    HANDLE worker = CreateThread(nullptr, WorkerStackBytes, WalkThread, nullptr,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    while (MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
    double full = Seconds() - start;
    CloseHandle(worker);

    // The same walk again with no controls to report to (and nothing left to rename): the
    // share of the time that goes to the synchronous progress and status messages.
    int32_t restored = RunState.UnlockedCount;
    HWND progressBar = RunState.ProgressBar;
    HWND statusBar = RunState.StatusBar;
    RunState.ProgressBar = nullptr;
    RunState.StatusBar = nullptr;
    RunState.WalkedBytes = 0;
    start = Seconds();
    WalkThread(nullptr);
    double silent = Seconds() - start;
    RunState.ProgressBar = progressBar;
    RunState.StatusBar = statusBar;

    double plainRate = static_cast<double>(counted) / plain;
    double fullRate = static_cast<double>(counted) / full;
    std::printf("plain enumeration: %lld files in %.2f s = %.0f files/s\n", counted, plain,
                plainRate);
    std::printf("unlock walk:       %lld files in %.2f s = %.0f files/s, %d names restored\n",
                counted, full, fullRate, static_cast<int>(restored));
    std::printf("same walk without controls: %.2f s = %.0f files/s\n", silent,
                static_cast<double>(counted) / silent);
    std::printf("ratio unlock/plain: %.3f\n", fullRate / plainRate);
    DeleteTree(Root);
    return restored == DamagedFiles ? 0 : 1;
}
