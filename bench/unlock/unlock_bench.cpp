// Speed of the dialog's walk of one drive beside a plain listing of the same tree, under Wine.
//   unlock_bench.exe [repeats [RESCINDO-CLI.EXE]]
// For two tree shapes of 100,000 files (100 folders of 1,000 files, and 10,000 folders of 10 files
// like a real disk), built under D:\bench (D: must be an empty scratch drive):
//   - clean tree: the walk with real controls owned by another thread (a progress bar and a status
//     bar that this thread pumps, as the dialog does) beside a plain single-pass enumeration, and
//     the same walk with no controls;
//   - one name in a hundred damaged: the walk with the controls beside the same walk with none,
//     each on a freshly damaged tree, so both make the same renames;
//   - given the console program: its scan of the clean tree beside a plain enumeration made by a
//     process of this benchmark's own (unlock_bench.exe --count FOLDER), both whole processes;
//     then, with one name in a hundred damaged, its scan with --json and with --quiet beside the
//     same enumeration.
// Each figure is the best of the repeats. The tree is deleted at the end.
#include "unlock/name_rule.h"
#include "common/run_state.h"
#include "app/unlock_run.h"
#include "unlock/walk_limits.h"
#include "unlock/walk_tree.h"
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const std::wstring Root = L"\\\\?\\D:\\bench";
const wchar_t DamageSuffix[] = L" ab-cd ";

struct Tree {
    const char* name;
    int outer;                            // folders at the first level
    int inner;                            // folders in each of those
    int files;                            // files in each inner folder
    long long fileCount;                  // made
    std::vector<std::wstring> damageable; // one file in a hundred, by its clean path
};

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
    }
}

void BuildTree(Tree* tree) {
    CreateDirectoryW(Root.c_str(), nullptr);
    tree->fileCount = 0;
    tree->damageable.clear();
    for (int outer = 0; outer < tree->outer; ++outer) {
        std::wstring top = Root + L"\\top" + std::to_wstring(outer);
        CreateDirectoryW(top.c_str(), nullptr);
        for (int inner = 0; inner < tree->inner; ++inner) {
            std::wstring leaf = top + L"\\leaf" + std::to_wstring(inner);
            CreateDirectoryW(leaf.c_str(), nullptr);
            for (int file = 0; file < tree->files; ++file) {
                std::wstring path = leaf + L"\\file" + std::to_wstring(file) + L".dat";
                MakeFile(path);
                ++tree->fileCount;
                if (tree->fileCount % 100 == 7) {
                    tree->damageable.push_back(path);
                }
            }
        }
    }
}

void Damage(const Tree& tree) {
    for (const std::wstring& path : tree.damageable) {
        MoveFileW(path.c_str(), (path + DamageSuffix).c_str());
    }
}

// The plain enumeration: one listing per directory, fixed buffers, nothing else. The reference
// lists as most programs do (FindFirstFileW, which also fills in each entry's short name); the
// same with the walk's own listing flags is printed beside it.
long long CountFiles(const wchar_t* directory, int walkFlags) {
    long long count = 0;
    wchar_t path[WalkPathCapacity];
    WIN32_FIND_DATAW found;
    wsprintfW(path, L"%s\\*.*", directory);
    HANDLE listing = walkFlags ? OpenListing(path, &found) : FindFirstFileW(path, &found);
    if (listing == INVALID_HANDLE_VALUE) {
        return 0;
    }
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (lstrcmpW(found.cFileName, L".") != 0 && lstrcmpW(found.cFileName, L"..") != 0) {
                wsprintfW(path, L"%s\\%s", directory, found.cFileName);
                count += CountFiles(path, walkFlags);
            }
        } else {
            ++count;
        }
    } while (FindNextFileW(listing, &found));
    FindClose(listing);
    if (walkFlags == 2) {
        // The walk's second listing: only the entries matching the pattern.
        wsprintfW(path, L"%s\\%s", directory, SuffixPattern);
        listing = OpenListing(path, &found);
        if (listing != INVALID_HANDLE_VALUE) {
            while (FindNextFileW(listing, &found)) {
            }
            FindClose(listing);
        }
    }
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

// One drive's walk as in a run: on a worker with the worker's stack while this thread, which owns
// the controls (if any), pumps their messages. Returns the seconds taken; *restored the renames.
double TimeWalk(HWND progressBar, HWND statusBar, const Tree& tree, int32_t* restored) {
    RunState.ProgressBar = progressBar;
    RunState.StatusBar = statusBar;
    RunState.UsedBytes = tree.fileCount * 5;
    RunState.WalkedBytes = 0;
    RunState.UnlockedCount = 0;
    ResetDialogReport();
    double start = Seconds();
    HANDLE worker = CreateThread(nullptr, WorkerStackBytes, WalkThread, nullptr,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    while (MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
    double took = Seconds() - start;
    CloseHandle(worker);
    *restored = RunState.UnlockedCount;
    return took;
}

double Best(double a, double b) {
    return a < b ? a : b;
}

double TimeCount(const Tree& tree, int walkFlags, int* failures) {
    double start = Seconds();
    long long counted = CountFiles(Root.c_str(), walkFlags);
    double took = Seconds() - start;
    *failures += counted != tree.fileCount;
    return took;
}

// Runs the command line with its output on NUL and returns its seconds, or -1 when it failed.
double TimeProcess(const std::wstring& commandLine) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul;
    startup.hStdOutput = nul;
    startup.hStdError = nul;
    PROCESS_INFORMATION process;
    std::wstring line = commandLine;
    double start = Seconds();
    BOOL started = CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &process);
    CloseHandle(nul);
    if (!started) {
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    double took = Seconds() - start;
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode == 0 ? took : -1;
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

// This program's own path, as another process can start it.
std::wstring SelfPath() {
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, &self[0], MAX_PATH));
    if (self.compare(0, 5, L"unix\\") == 0) {
        self = L"\\\\?\\" + self; // how Wine names a program started from outside its drives
    }
    return self;
}

// The console program's scan beside a plain enumeration, both as processes; best of the repeats.
// Then the same tree with one name in a hundred damaged (in the tree of 10,000 folders, one file
// in every tenth folder), as a drive worth scanning is: its scan with --json, one line per damaged
// entry, and with --quiet, beside the plain enumeration of that tree. Scan renames nothing, so one
// damaging serves all rounds; the tree is left damaged.
void MeasureConsoleScan(const Tree& tree, const std::wstring& program, int repeats) {
    std::wstring count = Quoted(SelfPath()) + L" --count " + Quoted(Root);
    double plain = 1e9, scan = 1e9;
    int failures = 0;
    for (int round = 0; round < repeats; ++round) {
        double counted = TimeProcess(count);
        double scanned = TimeProcess(Quoted(program) + L" scan --quiet " + Quoted(Root));
        failures += counted < 0 || scanned < 0;
        plain = counted >= 0 && counted < plain ? counted : plain;
        scan = scanned >= 0 && scanned < scan ? scanned : scan;
    }
    double files = static_cast<double>(tree.fileCount);
    std::printf("  plain enumeration, a process of its own:     %9.0f files/s\n", files / plain);
    std::printf("  rescindo-cli scan --quiet, clean:            %9.0f files/s\n", files / scan);
    std::printf("    ratio to plain %.3f (target >= 0.9)%s\n", plain / scan,
                failures ? "; some runs failed" : "");

    Damage(tree);
    double plainDamaged = 1e9, json = 1e9, quiet = 1e9;
    failures = 0;
    for (int round = 0; round < repeats; ++round) {
        double counted = TimeProcess(count);
        double listed = TimeProcess(Quoted(program) + L" scan --json " + Quoted(Root));
        double scanned = TimeProcess(Quoted(program) + L" scan --quiet " + Quoted(Root));
        failures += counted < 0 || listed < 0 || scanned < 0;
        plainDamaged = counted >= 0 && counted < plainDamaged ? counted : plainDamaged;
        json = listed >= 0 && listed < json ? listed : json;
        quiet = scanned >= 0 && scanned < quiet ? scanned : quiet;
    }
    std::printf("  plain enumeration, 1%% damaged:               %9.0f files/s\n",
                files / plainDamaged);
    std::printf("  rescindo-cli scan --json, 1%% damaged:        %9.0f files/s\n", files / json);
    std::printf("    ratio to plain %.3f (target >= 0.9)%s\n", plainDamaged / json,
                failures ? "; some runs failed" : "");
    std::printf("  rescindo-cli scan --quiet, 1%% damaged:       %9.0f files/s\n", files / quiet);
    std::printf("    ratio to plain %.3f\n", plainDamaged / quiet);
}

int Measure(Tree* tree, HWND progressBar, HWND statusBar, int repeats,
            const std::wstring& program) {
    double start = Seconds();
    BuildTree(tree);
    std::printf("\n%s: %lld files in %d folders, %zu of them damageable; built in %.1f s\n",
                tree->name, tree->fileCount, 1 + tree->outer + tree->outer * tree->inner,
                tree->damageable.size(), Seconds() - start);
    int failures = 0;
    TimeCount(*tree, 0, &failures); // warms the caches once for all

    double plain = 1e9;
    double plainWalkFlags = 1e9;
    double twoListings = 1e9;
    double silentClean = 1e9;
    double walkClean = 1e9;
    double walkDamaged = 1e9;
    double silentDamaged = 1e9;
    int32_t restored = 0;
    int32_t damaged = static_cast<int32_t>(tree->damageable.size());
    // Interleaved, so that a busy moment of the machine spreads over all figures alike.
    for (int round = 0; round < repeats; ++round) {
        plain = Best(plain, TimeCount(*tree, 0, &failures));
        plainWalkFlags = Best(plainWalkFlags, TimeCount(*tree, 1, &failures));
        twoListings = Best(twoListings, TimeCount(*tree, 2, &failures));
        silentClean = Best(silentClean, TimeWalk(nullptr, nullptr, *tree, &restored));
        failures += restored != 0;
        walkClean = Best(walkClean, TimeWalk(progressBar, statusBar, *tree, &restored));
        failures += restored != 0;

        Damage(*tree);
        walkDamaged = Best(walkDamaged, TimeWalk(progressBar, statusBar, *tree, &restored));
        failures += restored != damaged;
        Damage(*tree);
        silentDamaged = Best(silentDamaged, TimeWalk(nullptr, nullptr, *tree, &restored));
        failures += restored != damaged;
    }

    double files = static_cast<double>(tree->fileCount);
    std::printf("  plain enumeration (FindFirstFileW):          %9.0f files/s\n", files / plain);
    std::printf("  plain enumeration with the walk's flags:     %9.0f files/s\n",
                files / plainWalkFlags);
    std::printf("  both of the walk's listings, nothing else:   %9.0f files/s\n",
                files / twoListings);
    std::printf("  walk without controls, clean:                %9.0f files/s\n",
                files / silentClean);
    std::printf("  walk with controls, clean:                   %9.0f files/s\n",
                files / walkClean);
    std::printf("    ratio to plain %.3f (target >= 0.9); to plain with the walk's flags %.3f\n",
                plain / walkClean, plainWalkFlags / walkClean);
    std::printf("  walk with controls, 1%% damaged:              %9.0f files/s\n",
                files / walkDamaged);
    std::printf("  walk without controls, 1%% damaged:           %9.0f files/s\n",
                files / silentDamaged);
    std::printf("    ratio with/without controls %.3f (target >= 0.9)\n",
                silentDamaged / walkDamaged);
    if (!program.empty()) {
        MeasureConsoleScan(*tree, program, repeats);
    }
    DeleteTree(Root);
    return failures;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--count") {
        std::wstring folder(argv[2], argv[2] + std::strlen(argv[2]));
        return CountFiles(folder.c_str(), 0) > 0 ? 0 : 1;
    }
    int repeats = argc > 1 ? std::atoi(argv[1]) : 3;
    std::wstring program = argc > 2 ? std::wstring(argv[2], argv[2] + std::strlen(argv[2])) : L"";
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    HWND window = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200,
                                  nullptr, nullptr, nullptr, nullptr);
    HWND progressBar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 10, 10, 300,
                                       20, window, nullptr, nullptr, nullptr);
    HWND statusBar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                     window, nullptr, nullptr, nullptr);
    RunState.ProgressBar = progressBar;
    SetProgressRange(0, 100);

    Tree wide = {"100 folders of 1,000 files", 10, 10, 1000, 0, {}};
    Tree deep = {"10,000 folders of 10 files", 100, 100, 10, 0, {}};
    int failures = Measure(&wide, progressBar, statusBar, repeats, program);
    failures += Measure(&deep, progressBar, statusBar, repeats, program);
    if (failures != 0) {
        std::printf("\n%d runs did not count or restore what they should\n", failures);
    }
    return failures == 0 ? 0 : 1;
}
