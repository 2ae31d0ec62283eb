// The console's report to the shared walk: counts, progress on standard error, the entries too
// long to handle, and the stop.
#include "unlock/name_rule.h"
#include "cli/walk_scopes.h"
#include "cli/console_output.h"
#include "cli/entry_report.h"
#include "cli/scope.h"
#include "app/unlock_run.h"
#include "unlock/walk_limits.h"
#include "unlock/walk_tree.h"
#include <windows.h>
#include <unordered_set>

WalkTallyRecord WalkTally = {};

namespace {

// A few times a second: often enough to see it move, rarely enough to cost nothing.
const DWORD ProgressIntervalMs = 250;

struct WalkRecord {
    void (*handleMatch)(const wchar_t* path);
    void (*handleTooLong)(const std::wstring& path); // null: a damaged entry left as too long
    void (*whileWalking)();
    volatile LONG stopRequested; // set by the Ctrl+C handler's thread too
    DWORD startedAt;
    DWORD progressShownAt;
    wchar_t currentFolder[WalkPathCapacity];
};
WalkRecord Walk = {};

struct FolderChangesRecord {
    std::wstring folder; // the folder the names below belong to
    std::unordered_set<std::wstring> made;
    std::unordered_set<std::wstring> freed;
};
FolderChangesRecord FolderChanges;

void ShowProgress() {
    DWORD now = GetTickCount();
    if (now - Walk.progressShownAt < ProgressIntervalMs) {
        return;
    }
    Walk.progressShownAt = now;
    DWORD elapsedMs = now - Walk.startedAt;
    int64_t rate = elapsedMs > 0 ? WalkTally.files * 1000 / elapsedMs : 0;
    ShowProgressLine(std::to_wstring(WalkTally.folders) + L" folders, " +
                     std::to_wstring(WalkTally.files) + L" files, " + std::to_wstring(rate) +
                     L" files/s  " + DisplayedPath(Walk.currentFolder));
}

void EnteredDirectory(const wchar_t* directory) {
    WalkTally.folders += 1;
    if (Walk.whileWalking != nullptr) {
        Walk.whileWalking();
    }
    if (OutputMode.progress) {
        lstrcpynW(Walk.currentFolder, directory, WalkPathCapacity);
        ShowProgress();
    }
}

void MetFile(uint32_t, uint32_t) {
    WalkTally.files += 1;
    if (Walk.whileWalking != nullptr) {
        Walk.whileWalking();
    }
    if (OutputMode.progress) {
        ShowProgress();
    }
}

void MetMatch(const wchar_t* path) {
    Walk.handleMatch(path);
}

void MetTooLong(const wchar_t* directory, const wchar_t* name, int isMatch) {
    std::wstring path = std::wstring(directory) + L"\\" + name;
    if (isMatch && Walk.handleTooLong != nullptr) {
        Walk.handleTooLong(path);
    } else if (isMatch) {
        WalkTally.damaged += 1;
        WalkTally.left += 1;
        ReportEntry(EntryTooLong, path, L"", 0);
    } else {
        WalkTally.foldersNotSearched += 1;
        ReportEntry(EntryFolderTooLong, path, L"", 0);
    }
}

int StopRequested() {
    return Walk.stopRequested != 0;
}

const WalkReport ConsoleWalkReport = {EnteredDirectory, MetFile, MetMatch, MetTooLong,
                                      StopRequested};

void WalkEach(const std::vector<std::wstring>& scopes, const wchar_t* pattern,
              void (*handleMatch)(const wchar_t* path)) {
    Walk.handleMatch = handleMatch;
    Walk.startedAt = GetTickCount();
    Walk.progressShownAt = Walk.startedAt - ProgressIntervalMs;
    for (const std::wstring& scope : scopes) {
        if (StopRequested()) {
            break;
        }
        WalkTree(scope.c_str(), pattern, &ConsoleWalkReport);
    }
    WalkTally.stopped = StopRequested();
    ClearProgressLine();
}

BOOL WINAPI StopOnCtrlC(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    // The first press ends the walk cleanly; a second one, while it has not yet ended, ends the
    // program as the console would.
    return InterlockedExchange(&Walk.stopRequested, 1) == 0 ? TRUE : FALSE;
}

// The key a name is compared by: the name in capitals, as a case-insensitive file system compares
// names. Should the mapping fail, the name itself.
std::wstring NameKey(const wchar_t* path) {
    const wchar_t* name = path;
    for (const wchar_t* c = path; *c != L'\0'; ++c) {
        if (*c == L'\\') {
            name = c + 1;
        }
    }
    int length = lstrlenW(name);
    std::wstring key(static_cast<size_t>(length), L'\0');
    if (length > 0 && LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, name, length, &key[0],
                                    length, nullptr, nullptr, 0) != length) {
        key.assign(name, static_cast<size_t>(length));
    }
    return key;
}

// Keeps the record for the folder of path; a path in another folder starts it afresh.
void UseFolderOf(const wchar_t* path) {
    const wchar_t* lastSeparator = path;
    for (const wchar_t* c = path; *c != L'\0'; ++c) {
        if (*c == L'\\') {
            lastSeparator = c;
        }
    }
    size_t length = static_cast<size_t>(lastSeparator - path);
    if (FolderChanges.folder.size() != length ||
        FolderChanges.folder.compare(0, length, path, length) != 0) {
        FolderChanges.folder.assign(path, length);
        FolderChanges.made.clear();
        FolderChanges.freed.clear();
    }
}

} // namespace

void WalkScopes(const std::vector<std::wstring>& scopes, void (*handleMatch)(const wchar_t* path),
                void (*whileWalking)()) {
    Walk.handleTooLong = nullptr;
    Walk.whileWalking = whileWalking;
    WalkEach(scopes, SuffixPattern, handleMatch);
}

void WalkScopesMatching(const std::vector<std::wstring>& scopes, const wchar_t* pattern,
                        void (*handleMatch)(const wchar_t* path),
                        void (*handleTooLong)(const std::wstring& path)) {
    Walk.handleTooLong = handleTooLong;
    Walk.whileWalking = nullptr;
    WalkEach(scopes, pattern, handleMatch);
}

void StopWalk() {
    InterlockedExchange(&Walk.stopRequested, 1);
}

void StopWalkOnCtrlC() {
    SetConsoleCtrlHandler(StopOnCtrlC, TRUE);
}

int WalkStopped() {
    return StopRequested();
}

void NoteRename(const wchar_t* path, const wchar_t* restored) {
    UseFolderOf(path);
    std::wstring oldKey = NameKey(path);
    std::wstring newKey = NameKey(restored);
    FolderChanges.made.erase(oldKey);
    FolderChanges.freed.insert(oldKey);
    FolderChanges.freed.erase(newKey);
    FolderChanges.made.insert(newKey);
}

int NameWasMade(const wchar_t* path) {
    UseFolderOf(path);
    return FolderChanges.made.count(NameKey(path)) > 0 ? 1 : 0;
}

int NameWasFreed(const wchar_t* path) {
    UseFolderOf(path);
    return FolderChanges.freed.count(NameKey(path)) > 0 ? 1 : 0;
}
