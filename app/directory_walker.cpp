// One drive's walk as the dialog shows it: the directory being searched in the status bar, the
// share of the drive's used bytes walked so far on the progress bar, and the renames.
//
// Each control message is synchronous: the worker waits until the dialog thread has handled it.
// So the walk sends only what changes the view: a position the bar already has is not sent
// again, and a directory entered less than StatusPacingMs after the last status change is shown
// only once that time has passed while the walk is still in it. The drive's start directory is
// always shown at once, and when the drive's walk ends the status shows the last directory
// entered, as it would had every directory been shown.
#include "app/unlock_run.h"
#include "unlock/path_text.h"
#include "unlock/walk_tree.h"
#include "unlock/walk_limits.h"
#include "unlock/progress_rule.h"
#include "common/run_state.h"

namespace {

const DWORD StatusPacingMs = 50;

// What the dialog's controls show; the worker thread alone uses it during a run.
struct DialogReportRecord {
    int32_t shownPosition; // the bar's position as last set; -1 when not known
    int32_t driveStart;    // the next directory entered is a drive's start directory
    int32_t statusPending; // the last directory entered is not shown yet
    DWORD statusChangedAt; // GetTickCount of the last status change
    wchar_t pendingStatus[WalkPathCapacity];
};
DialogReportRecord DialogReport = {-1, 0, 0, 0, {0}};

void ShowStatusNow(const wchar_t* text) {
    SetStatusText(text);
    DialogReport.statusChangedAt = GetTickCount();
    DialogReport.statusPending = 0;
}

int StatusChangeIsDue() {
    return GetTickCount() - DialogReport.statusChangedAt >= StatusPacingMs;
}

void ShowPendingStatusWhenDue() {
    if (DialogReport.statusPending && StatusChangeIsDue()) {
        ShowStatusNow(DialogReport.pendingStatus);
    }
}

void EnteredDirectory(const wchar_t* directory) {
    const wchar_t* shown = ShownPath(directory);
    if (DialogReport.driveStart || StatusChangeIsDue()) {
        DialogReport.driveStart = 0;
        ShowStatusNow(shown);
        return;
    }
    // The path fits: it is a suffix of a walk path.
    lstrcpynW(DialogReport.pendingStatus, shown, WalkPathCapacity);
    DialogReport.statusPending = 1;
}

void MetFile(uint32_t sizeHigh, uint32_t sizeLow) {
    RunState.WalkedBytes = AddFileSize(RunState.WalkedBytes, sizeHigh, sizeLow);
    ShowProgress(ProgressPosition(RunState.WalkedBytes, RunState.UsedBytes));
    ShowPendingStatusWhenDue();
}

void MetMatch(const wchar_t* entryPath) {
    RestoreName(entryPath);
    ShowPendingStatusWhenDue();
}

// A path that would not fit the walk's buffers is skipped, never cut: nothing to show.
void MetTooLong(const wchar_t*, const wchar_t*, int) {}

const WalkReport DialogWalkReport = {EnteredDirectory, MetFile, MetMatch, MetTooLong,
                                     nullptr,          nullptr, nullptr};

} // namespace

void ResetDialogReport() {
    DialogReport.shownPosition = -1;
    DialogReport.driveStart = 0;
    DialogReport.statusPending = 0;
}

void ShowProgress(int position) {
    if (position != DialogReport.shownPosition) {
        SetProgressPos(position);
        DialogReport.shownPosition = position;
    }
}

void DirectoryWalker(const wchar_t* directory, const wchar_t* pattern) {
    DialogReport.driveStart = 1;
    WalkTree(directory, pattern, &DialogWalkReport);
    if (DialogReport.statusPending) {
        ShowStatusNow(DialogReport.pendingStatus);
    }
}
