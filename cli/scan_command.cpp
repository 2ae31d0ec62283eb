// scan: walks exactly as restore would and renames nothing; tells for each damaged entry what
// restore would do with it.
#include "cli/commands.h"
#include "cli/console_output.h"
#include "cli/console_walk.h"
#include "cli/entry_report.h"
#include "cli/exit_codes.h"
#include "cli/folder_changes.h"
#include "cli/scope.h"
#include "unlock/name_rule.h"
#include "unlock/walk_limits.h"
#include <windows.h>

namespace {

struct ScanRecord {
    int keepBoth;
};
ScanRecord Scan = {};

// restore renames the entries of a folder one after another in the walk's order, and each rename
// finds its name taken exactly when an entry of that name exists at that moment: MoveFileW never
// replaces. So the prediction follows the renames it predicts: a name is taken when an earlier
// predicted rename in this folder made it (the first of two entries that restore to one name
// wins, the second finds it taken), or when an entry of that name is there now and no earlier
// predicted rename has moved it away (a name an earlier rename frees is free). Refusals by the
// system (access, in use, read-only media) show only when restore tries.
bool WouldBeTaken(const wchar_t* name) {
    bool existsNow = GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES;
    return NameWasMade(name) || (existsNow && !NameWasFreed(name));
}

// The first name in the form of a copy that restore --keep-both would find free; false when none
// fits.
bool FreeCopyName(const wchar_t* path, const wchar_t* restored, wchar_t* target) {
    DWORD attributes = GetFileAttributesW(path);
    int isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    for (int number = 2;; ++number) {
        if (!CopyNameOf(restored, isFolder, number, target, WalkPathCapacity)) {
            return false;
        }
        if (!WouldBeTaken(target)) {
            return true;
        }
    }
}

// What restore would do with one damaged entry: every suffix cut in turn, as restore cuts them.
void PredictMatch(const wchar_t* path) {
    WalkTally.damaged += 1;
    wchar_t current[WalkPathCapacity];
    wchar_t restored[WalkPathCapacity];
    wchar_t target[WalkPathCapacity];
    lstrcpynW(current, path, WalkPathCapacity);
    EntryDetails details = {0, 0, L""};
    EntryOutcome outcome = EntryWouldRestore;
    for (;;) {
        if (!CutRestoredName(current, restored, WalkPathCapacity)) {
            outcome = EntryLeftByRule;
            break;
        }
        bool last = !CarriesDamageSuffix(restored);
        lstrcpynW(target, restored, WalkPathCapacity);
        if (WouldBeTaken(restored)) {
            if (!(Scan.keepBoth && last && FreeCopyName(current, restored, target))) {
                outcome = EntryNameTaken;
                break;
            }
            details.keptBoth = 1;
        }
        NoteRename(current, target);
        details.suffixes += 1;
        lstrcpynW(current, target, WalkPathCapacity);
        if (last) {
            break;
        }
    }
    ReportDamagedEntry(outcome, path, current, restored, 0, details);
}

const WalkReport ScanWalkReport = {CountFolder,   CountFile,         PredictMatch,
                                   ReportTooLong, WalkStopRequested, ConsiderLink};

} // namespace

int RunScan(const CommandCall& call) {
    OpenOutput(HasOption(call, OptionJson), HasOption(call, OptionQuiet));
    WalkSummary summary = {L"scan", {}, L"", 0, 0, ExitAllDone};
    std::wstring reason;
    if (!ChooseScopes(call.operands, &summary.scopes, &reason)) {
        summary.exitCode = ReportFailure(ExitBadInput, reason);
    } else {
        Scan.keepBoth = HasOption(call, OptionKeepBoth);
        LimitLinksTo(call.operands.empty() ? nullptr : &summary.scopes,
                     HasOption(call, OptionFollowLinks));
        StopWalkOnCtrlC();
        WalkScopes(summary.scopes, &ScanWalkReport);
        bool left = WalkTally.left > 0 || WalkTally.foldersNotSearched > 0 || WalkTally.stopped;
        summary.exitCode = left ? ExitSomeLeft : ExitAllDone;
        ReportWalkSummary(summary);
    }
    return summary.exitCode;
}
