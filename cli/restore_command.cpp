// restore: what the dialog's run does, on the chosen scope, with each rename printed and, with
// --journal, recorded so that undo can reverse it.
#include "cli/commands.h"
#include "cli/console_output.h"
#include "cli/console_walk.h"
#include "cli/entry_report.h"
#include "cli/exit_codes.h"
#include "cli/folder_changes.h"
#include "cli/journal_writer.h"
#include "cli/path_text.h"
#include "cli/scope.h"
#include "report/decrypt_words.h"
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
                      L"cannot write to the journal (" + ErrorWords(GetLastError()) +
                          L"); stopped after renaming \"" + Displayed(path) + L"\" to \"" +
                          Displayed(restored) + L"\", which the journal does not hold");
        StopWalk();
        return;
    }
    Restore.journalled += 1;
}

// Lines written reach the disk at least once a second, also while no damaged entry comes.
void EnteredFolder(const wchar_t* directory) {
    CountFolder(directory);
    FlushJournalWhenDue();
}

void MetFile(uint32_t sizeHigh, uint32_t sizeLow) {
    CountFile(sizeHigh, sizeLow);
    FlushJournalWhenDue();
}

const WalkReport RestoreWalkReport = {EnteredFolder, MetFile, RestoreMatch, ReportTooLong,
                                      WalkStopRequested};

std::wstring JournalNotCreated(const std::wstring& journal, uint32_t error) {
    bool exists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    return L"cannot create the journal " + Displayed(journal) + L" (" +
           (exists ? std::wstring(L"it exists already: an existing file is never overwritten, "
                                  L"name a new one")
                   : ErrorWords(error)) +
           L"); nothing was renamed";
}

} // namespace

int RunRestore(const CommandCall& call) {
    OpenOutput(HasOption(call, OptionJson), HasOption(call, OptionQuiet));
    WalkSummary summary = {L"restore", {}, L"", 0, 0, ExitAllDone};
    std::wstring reason;
    const std::vector<std::wstring>* journal = OptionValues(call, OptionJournal);
    uint32_t error = 0;
    if (!ChooseScopes(call.operands, &summary.scopes, &reason)) {
        return ReportFailure(ExitBadInput, reason);
    }
    if (journal != nullptr) {
        summary.journal = FullPathOf(journal->front());
        if (!CreateJournal(summary.journal, &error)) {
            return ReportFailure(ExitJournalFailed, JournalNotCreated(summary.journal, error));
        }
        Restore.journalling = 1;
    }
    StopWalkOnCtrlC();
    WalkScopes(summary.scopes, &RestoreWalkReport);
    int journalClosed = CloseJournal();
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
                   Displayed(summary.journal));
    }
    return summary.exitCode;
}
