// restore: what the dialog's run does, on the chosen scope, with each rename printed and, with
// --journal, recorded so that undo can reverse it.
#include "cli/commands.h"
#include "cli/console_output.h"
#include "cli/entry_report.h"
#include "cli/exit_codes.h"
#include "cli/journal_writer.h"
#include "cli/scope.h"
#include "cli/walk_scopes.h"
#include "unlock/real_paths.h"
#include "unlock/restore_name.h"
#include "unlock/walk_limits.h"
#include <windows.h>

namespace {

struct RestoreRecord {
    int journalling;
    int journalFailed;
    int64_t journalled;
};
RestoreRecord Restore = {};

void RestoreMatch(const wchar_t* path) {
    // A name this run made that the listing shows again, where the platform's listing sees
    // entries added while it is read: that entry has been handled already.
    if (NameWasMade(path)) {
        return;
    }
    WalkTally.damaged += 1;
    wchar_t restored[WalkPathCapacity];
    uint32_t error = 0;
    RestoreOutcome outcome = RestoreNameTo(path, restored, &error);
    if (outcome != RestoreDone) {
        WalkTally.left += 1;
        ReportEntry(outcome == RestoreLeftByRule  ? EntryLeftByRule
                    : outcome == RestoreNameTaken ? EntryNameTaken
                                                  : EntryRefused,
                    path, restored, error);
        return;
    }
    NoteRename(path, restored);
    WalkTally.restored += 1;
    ReportEntry(EntryRestored, path, restored, 0);
    if (!Restore.journalling) {
        return;
    }
    if (!AppendJournalRename(path, restored)) {
        // A rename the journal does not hold could not be undone: nothing more is renamed.
        Restore.journalFailed = 1;
        ReportFailure(ExitJournalFailed,
                      L"cannot write to the journal (" + ErrorText(GetLastError()) +
                          L"); stopped after renaming \"" + DisplayedPath(path) + L"\" to \"" +
                          DisplayedPath(restored) + L"\", which the journal does not hold");
        StopWalk();
        return;
    }
    Restore.journalled += 1;
}

std::wstring FullPathOf(const std::wstring& path) {
    wchar_t full[WalkPathCapacity];
    DWORD length = GetFullPathNameW(path.c_str(), WalkPathCapacity, full, nullptr);
    return length > 0 && length < WalkPathCapacity ? std::wstring(full, length) : path;
}

} // namespace

int RunRestore(const CommandCall& call) {
    OpenOutput(HasOption(call, OptionJson), HasOption(call, OptionQuiet));
    RedirectionState redirection;
    BeginRealPaths(&redirection);
    WalkSummary summary = {L"restore", {}, L"", 0, 0, ExitAllDone};
    std::wstring reason;
    if (!ChooseScopes(call.operands, &summary.scopes, &reason)) {
        EndRealPaths(&redirection);
        return ReportFailure(ExitBadInput, reason);
    }
    const std::vector<std::wstring>* journal = OptionValues(call, OptionJournal);
    if (journal != nullptr) {
        summary.journal = FullPathOf(journal->front());
        uint32_t error = 0;
        if (!CreateJournal(summary.journal, &error)) {
            EndRealPaths(&redirection);
            return ReportFailure(
                ExitJournalFailed,
                L"cannot create the journal " + DisplayedPath(summary.journal) + L" (" +
                    (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS
                         ? std::wstring(L"it exists already: an existing file is never "
                                        L"overwritten, name a new one")
                         : ErrorText(error)) +
                    L"); nothing was renamed");
        }
        Restore.journalling = 1;
    }
    StopWalkOnCtrlC();
    WalkScopes(summary.scopes, RestoreMatch, Restore.journalling ? FlushJournalWhenDue : nullptr);
    int journalClosed = CloseJournal();
    EndRealPaths(&redirection);
    summary.journalled = Restore.journalled;
    summary.journalFailed = Restore.journalFailed;
    if (Restore.journalFailed || !journalClosed) {
        summary.exitCode = ExitJournalFailed;
    } else if (WalkTally.left > 0 || WalkTally.foldersNotSearched > 0 || WalkTally.stopped) {
        summary.exitCode = ExitSomeLeft;
    }
    ReportWalkSummary(summary);
    if (!journalClosed && !Restore.journalFailed) {
        WriteError(L"the journal could not be written to the disk at the end: check " +
                   DisplayedPath(summary.journal));
    }
    return summary.exitCode;
}
