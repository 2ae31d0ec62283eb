// restore: what the dialog's run does, on the chosen scope, with each rename printed and, with
// --journal, recorded so that undo can reverse it.
#include "cli/commands.h"
#include "cli/console_output.h"
#include "cli/console_walk.h"
#include "cli/damaged_entry.h"
#include "cli/entry_report.h"
#include "cli/exit_codes.h"
#include "cli/folder_changes.h"
#include "cli/journal_format.h"
#include "cli/journal_writer.h"
#include "cli/path_text.h"
#include "cli/scope.h"
#include "report/decrypt_words.h"
#include "unlock/restore_name.h"
#include <windows.h>

namespace {

struct RestoreRecord {
    int journalling;
    int journalFailed;
    int64_t journalled;
};
RestoreRecord Restore = {};

// A rename the journal does not hold could not be undone: nothing more is renamed.
void StopForTheJournal(const std::wstring& path, const std::wstring& target) {
    Restore.journalFailed = 1;
    StopWalk();
    std::wstring what = path.empty()
                            ? std::wstring(L"")
                            : L"; stopped after renaming \"" + Displayed(path) + L"\" to \"" +
                                  Displayed(target) + L"\", which the journal does not hold";
    ReportFailure(ExitJournalFailed,
                  L"cannot write to the journal (" + ErrorWords(GetLastError()) + L")" + what);
}

// Renames one step and journals it at once: the line is made before the rename and written
// straight after it, before anything that may block (printing to a pipe nobody reads), fail or
// allocate, so that a rename undo cannot find never happens.
RestoreOutcome RenameAndJournal(const wchar_t* path, const wchar_t* target, uint32_t* error) {
    std::string line = Restore.journalling ? JournalRenameLine(path, target) : std::string();
    RestoreOutcome outcome = RenameWithoutReplacing(path, target, error);
    if (outcome != RestoreDone) {
        return outcome;
    }
    if (Restore.journalling && !WriteJournalLine(line)) {
        StopForTheJournal(path, target);
    } else if (Restore.journalling) {
        Restore.journalled += 1;
    }
    NoteRename(path, target);
    return outcome;
}

int JournalFailed() {
    return Restore.journalFailed;
}

RenameStepper Renamer = {RenameAndJournal, JournalFailed, 0, 0};

void RestoreMatch(const wchar_t* path) {
    // A name this run made that the listing shows again, where the platform's listing sees
    // entries added while it is read: that entry has been handled already.
    if (NameWasMade(path)) {
        return;
    }
    HandleDamagedEntry(path, &Renamer);
}

// Lines written reach the disk at least once a second, also while no damaged entry comes.
void FlushWhileWalking() {
    if (!Restore.journalFailed && !FlushJournalWhenDue()) {
        StopForTheJournal(L"", L"");
    }
}

void EnteredFolder(const wchar_t* directory) {
    CountFolder(directory);
    FlushWhileWalking();
}

void MetFile(uint32_t sizeHigh, uint32_t sizeLow) {
    CountFile(sizeHigh, sizeLow);
    FlushWhileWalking();
}

const WalkReport RestoreWalkReport = {EnteredFolder,     MetFile,      RestoreMatch, ReportTooLong,
                                      WalkStopRequested, ConsiderLink, nullptr};

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
    Renamer.keepBoth = HasOption(call, OptionKeepBoth);
    LimitLinksTo(summary.scopes, call.operands.empty() || HasOption(call, OptionFollowLinks));
    StopWalkOnCtrlC();
    WalkScopes(summary.scopes, &RestoreWalkReport);
    int journalClosed = CloseJournal();
    MarkCommandFinished();
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
