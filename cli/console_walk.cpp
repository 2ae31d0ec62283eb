// The console's walks: see cli/console_walk.h.
#include "cli/console_walk.h"

#include <windows.h>

#include "cli/console_output.h"
#include "cli/entry_report.h"
#include "cli/path_text.h"
#include "unlock/name_rule.h"
#include "unlock/walk_limits.h"

WalkTallyRecord WalkTally = {};

namespace {

// A few times a second: often enough to see it move, rarely enough to cost nothing.
const DWORD ProgressIntervalMs = 250;

struct WalkRecord {
    volatile LONG stopRequested; // set by the Ctrl+C handler's thread too
    DWORD startedAt;
    DWORD progressShownAt;
    wchar_t currentFolder[WalkPathCapacity];
};
WalkRecord Walk = {};

void ShowProgress() {
    if (!ProgressLineIsDue()) {
        return;
    }
    DWORD elapsedMs = GetTickCount() - Walk.startedAt;
    int64_t rate = elapsedMs > 0 ? WalkTally.files * 1000 / elapsedMs : 0;
    ShowProgressLine(std::to_wstring(WalkTally.folders) + L" folders, " +
                     std::to_wstring(WalkTally.files) + L" files, " + std::to_wstring(rate) +
                     L" files/s  " + Displayed(Walk.currentFolder));
}

BOOL WINAPI StopOnCtrlC(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    // The first press ends the walk cleanly; a second one, while it has not yet ended, ends the
    // program as the console would.
    return InterlockedExchange(&Walk.stopRequested, 1) == 0 ? TRUE : FALSE;
}

} // namespace

int ProgressLineIsDue() {
    if (!OutputMode.progress) {
        return 0;
    }
    DWORD now = GetTickCount();
    if (now - Walk.progressShownAt < ProgressIntervalMs) {
        return 0;
    }
    Walk.progressShownAt = now;
    return 1;
}

void CountFolder(const wchar_t* directory) {
    WalkTally.folders += 1;
    if (OutputMode.progress) {
        lstrcpynW(Walk.currentFolder, directory, WalkPathCapacity);
        ShowProgress();
    }
}

void CountFile(uint32_t, uint32_t) {
    WalkTally.files += 1;
    ShowProgress();
}

void ReportTooLong(const wchar_t* directory, const wchar_t* name, int isMatch) {
    std::wstring path = std::wstring(directory) + L"\\" + name;
    if (isMatch) {
        WalkTally.damaged += 1;
        WalkTally.left += 1;
        ReportEntry(EntryTooLong, path, L"", 0);
    } else {
        WalkTally.foldersNotSearched += 1;
        ReportEntry(EntryFolderTooLong, path, L"", 0);
    }
}

int WalkStopRequested() {
    return Walk.stopRequested != 0;
}

void WalkScopes(const std::vector<std::wstring>& scopes, const WalkReport* report) {
    Walk.startedAt = GetTickCount();
    Walk.progressShownAt = Walk.startedAt - ProgressIntervalMs;
    for (const std::wstring& scope : scopes) {
        if (WalkStopRequested()) {
            break;
        }
        WalkTree(scope.c_str(), SuffixPattern, report);
    }
    WalkTally.stopped = WalkStopRequested();
    ClearProgressLine();
}

void StopWalk() {
    InterlockedExchange(&Walk.stopRequested, 1);
}

void StopWalkOnCtrlC() {
    SetConsoleCtrlHandler(StopOnCtrlC, TRUE);
}
