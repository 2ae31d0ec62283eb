// The console's walks: see cli/console_walk.h.
#include "cli/console_walk.h"

#include <windows.h>

#include "cli/console_output.h"
#include "cli/entry_report.h"
#include "cli/path_text.h"
#include "unlock/name_rule.h"
#include "unlock/path_forms.h"
#include "unlock/walk_limits.h"

WalkTallyRecord WalkTally = {};

namespace {

// A few times a second: often enough to see it move, rarely enough to cost nothing.
const DWORD ProgressIntervalMs = 250;

// How long a console close, log-off or shutdown waits for the command to close its journal: the
// system grants five seconds before it ends the process.
const DWORD CloseGraceMs = 4500;

struct WalkRecord {
    volatile LONG stopRequested; // set by the Ctrl+C handler's thread too
    HANDLE finished;             // set once the command has closed what it wrote
    DWORD startedAt;
    DWORD progressShownAt;
    wchar_t currentFolder[WalkPathCapacity];
};
WalkRecord Walk = {};

// The scopes a command walks, each as given and as the system resolves it (a scope reached
// through a link has another path of its own), and whether links leading outside them are
// entered.
struct LinkRuleRecord {
    std::vector<std::wstring> scopes;
    int followOutside;
};
LinkRuleRecord LinkRule = {{}, 1};

// The path the system gives the directory itself, without a trailing separator; empty when it
// cannot be opened.
std::wstring ResolvedPathOf(const std::wstring& directory) {
    std::wstring path = directory;
    if (!path.empty() && path.back() == L':') {
        path += L'\\'; // a drive's start directory names its volume; its root is D:\ .
    }
    HANDLE handle = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return L"";
    }
    wchar_t resolved[WalkPathCapacity];
    DWORD length = GetFinalPathNameByHandleW(handle, resolved, WalkPathCapacity,
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(handle);
    if (length == 0 || length >= WalkPathCapacity) {
        return L"";
    }
    std::wstring text(resolved, length);
    while (!text.empty() && text.back() == L'\\') {
        text.pop_back();
    }
    return text;
}

bool LiesWithinAScope(const wchar_t* target) {
    for (const std::wstring& scope : LinkRule.scopes) {
        if (target[0] != L'\0' && !scope.empty() && LiesWithin(target, scope.c_str())) {
            return true;
        }
    }
    return false;
}

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

// A log-off reaches a process in session 0 (a service, a task run by the system) for every user
// who logs off, and that process goes on: only one in the user's own session is about to end.
bool EndsWithTheLogOff() {
    DWORD session = 0;
    return ProcessIdToSessionId(GetCurrentProcessId(), &session) && session != 0;
}

BOOL WINAPI StopOnCtrlC(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        // The first press ends the walk cleanly; a second one, while it has not yet ended, ends
        // the program as the console would.
        return InterlockedExchange(&Walk.stopRequested, 1) == 0 ? TRUE : FALSE;
    case CTRL_LOGOFF_EVENT:
        if (!EndsWithTheLogOff()) {
            return TRUE;
        }
        [[fallthrough]];
    case CTRL_CLOSE_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        // The process ends when this returns: the walk stops after the rename in progress, and
        // the command closes its journal meanwhile.
        InterlockedExchange(&Walk.stopRequested, 1);
        if (Walk.finished != nullptr) {
            WaitForSingleObject(Walk.finished, CloseGraceMs);
        }
        return TRUE;
    default:
        return FALSE;
    }
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

void LimitLinksTo(const std::vector<std::wstring>& scopes, int followOutside) {
    LinkRule.scopes.clear();
    for (const std::wstring& scope : scopes) {
        LinkRule.scopes.push_back(scope);
        std::wstring resolved = ResolvedPathOf(scope);
        if (!resolved.empty() && resolved != scope) {
            LinkRule.scopes.push_back(resolved);
        }
    }
    LinkRule.followOutside = followOutside;
}

int ConsiderLink(const wchar_t* linkPath, const wchar_t* targetPath, LinkVerdict verdict) {
    EntryOutcome reported;
    switch (verdict) {
    case LinkEnter:
        // A target inside a scope is walked as part of that scope, by its own path: entered
        // through the link as well, it would be walked twice.
        if (LiesWithinAScope(targetPath)) {
            return 0;
        }
        if (LinkRule.followOutside) {
            return 1;
        }
        reported = EntryLinkOutside;
        break;
    case LinkLeadsBack:
    case LinkWalkedAlready:
        return 0; // its target is searched all the same
    case LinkTargetUnknown:
        reported = EntryLinkUnknown;
        break;
    case LinkRecordFull:
    default:
        reported = EntryLinkTooMany;
        WalkTally.foldersNotSearched += 1;
        break;
    }
    WalkTally.linksNotFollowed += 1;
    ReportEntry(reported, linkPath, targetPath, 0);
    return 0;
}

void WalkScopes(const std::vector<std::wstring>& scopes, const WalkReport* report) {
    ForgetLinkTargets();
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
    if (Walk.finished == nullptr) {
        Walk.finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    SetConsoleCtrlHandler(StopOnCtrlC, TRUE);
}

void MarkCommandFinished() {
    if (Walk.finished != nullptr) {
        SetEvent(Walk.finished);
    }
}
