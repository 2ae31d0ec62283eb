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

// restore renames the entries of a folder one after another in the walk's order, and each rename
// finds the restored name taken exactly when an entry of that name exists at that moment:
// MoveFileW never replaces. So the prediction follows the renames it predicts: the name is taken
// when an earlier predicted rename in this folder made it (the first of two entries that restore
// to one name wins, the second finds it taken), or when an entry of that name is there now and no
// earlier predicted rename has moved it away (a name an earlier rename frees is free). Refusals
// by the system (access, in use, read-only media) show only when restore tries.
void PredictMatch(const wchar_t* path) {
    WalkTally.damaged += 1;
    wchar_t restored[WalkPathCapacity];
    if (!CutRestoredName(path, restored, WalkPathCapacity)) {
        WalkTally.left += 1;
        ReportEntry(EntryLeftByRule, path, L"", 0);
        return;
    }
    bool existsNow = GetFileAttributesW(restored) != INVALID_FILE_ATTRIBUTES;
    if (NameWasMade(restored) || (existsNow && !NameWasFreed(restored))) {
        WalkTally.left += 1;
        ReportEntry(EntryNameTaken, path, restored, 0);
        return;
    }
    NoteRename(path, restored);
    WalkTally.restored += 1;
    ReportEntry(EntryWouldRestore, path, restored, 0);
}

const WalkReport ScanWalkReport = {CountFolder, CountFile, PredictMatch, ReportTooLong,
                                   WalkStopRequested};

} // namespace

int RunScan(const CommandCall& call) {
    OpenOutput(HasOption(call, OptionJson), HasOption(call, OptionQuiet));
    WalkSummary summary = {L"scan", {}, L"", 0, 0, ExitAllDone};
    std::wstring reason;
    if (!ChooseScopes(call.operands, &summary.scopes, &reason)) {
        summary.exitCode = ReportFailure(ExitBadInput, reason);
    } else {
        StopWalkOnCtrlC();
        WalkScopes(summary.scopes, &ScanWalkReport);
        bool left = WalkTally.left > 0 || WalkTally.foldersNotSearched > 0 || WalkTally.stopped;
        summary.exitCode = left ? ExitSomeLeft : ExitAllDone;
        ReportWalkSummary(summary);
    }
    return summary.exitCode;
}
