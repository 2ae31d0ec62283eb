// scan: walks exactly as restore would and renames nothing; tells for each damaged entry what
// restore would do with it.
#include "cli/commands.h"
#include "cli/console_output.h"
#include "cli/console_walk.h"
#include "cli/damaged_entry.h"
#include "cli/entry_report.h"
#include "cli/exit_codes.h"
#include "cli/folder_changes.h"
#include "cli/scope.h"
#include "unlock/walk_tree.h"
#include <windows.h>

namespace {

// restore renames the entries of a folder one after another in the walk's order, and each rename
// finds its name taken exactly when an entry of that name exists at that moment: MoveFileW never
// replaces. So the prediction follows the renames it predicts: a name is taken when an earlier
// predicted rename in this folder made it (the first of two entries that restore to one name
// wins, the second finds it taken), or when an entry of that name is there now and no earlier
// predicted rename has moved it away (a name an earlier rename frees is free). Refusals by the
// system (access, in use, read-only media) show only when restore tries. The system is asked
// whether the name exists only when the walk's listing of the folder cannot rule it out: under
// Wine a name that does not exist is sought through the whole folder, once for every damaged
// entry.
bool WouldBeTaken(const wchar_t* name) {
    bool existsNow =
        ListingMayHoldName(name) && GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES;
    return NameWasMade(name) || (existsNow && !NameWasFreed(name));
}

// A rename step as restore would make it, foreseen: taken as WouldBeTaken says, else noted as
// made so that the steps after it see its name taken and its old name free.
RestoreOutcome ForeseeStep(const wchar_t* from, const wchar_t* to, uint32_t* error) {
    *error = 0;
    if (WouldBeTaken(to)) {
        return RestoreNameTaken;
    }
    NoteRename(from, to);
    return RestoreDone;
}

RenameStepper Foreseer = {ForeseeStep, nullptr, 0, 1};

void PredictMatch(const wchar_t* path) {
    HandleDamagedEntry(path, &Foreseer);
}

const WalkReport ScanWalkReport = {CountFolder,       CountFile,    PredictMatch, ReportTooLong,
                                   WalkStopRequested, ConsiderLink, nullptr};

} // namespace

int RunScan(const CommandCall& call) {
    OpenOutput(HasOption(call, OptionJson), HasOption(call, OptionQuiet));
    WalkSummary summary = {L"scan", {}, L"", 0, 0, ExitAllDone};
    std::wstring reason;
    if (!ChooseScopes(call.operands, &summary.scopes, &reason)) {
        summary.exitCode = ReportFailure(ExitBadInput, reason);
    } else {
        Foreseer.keepBoth = HasOption(call, OptionKeepBoth);
        LimitLinksTo(summary.scopes, call.operands.empty() || HasOption(call, OptionFollowLinks));
        StopWalkOnCtrlC();
        WalkScopes(summary.scopes, &ScanWalkReport);
        bool left = WalkTally.left > 0 || WalkTally.foldersNotSearched > 0 || WalkTally.stopped;
        summary.exitCode = left ? ExitSomeLeft : ExitAllDone;
        ReportWalkSummary(summary);
    }
    return summary.exitCode;
}
