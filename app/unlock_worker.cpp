// The start of a run and its worker: the loop over the 32 drive letters and the final report.
#include "unlock/name_rule.h"
#include "app/unlock_run.h"
#include "unlock/searched_drive.h"
#include "unlock/real_paths.h"
#include "unlock/walk_limits.h"
#include "common/run_state.h"
#include "common/thread_start.h"
#include "app/texts.h"

int32_t StartUnlockRun() {
    // One run per process: Continue disables itself, but another program can still send the
    // dialog its command, and two workers would share the walk's state.
    if (RunState.WorkerThread != nullptr) {
        return 1;
    }
    RunState.KeySelector = KeySelectorNone;
    SetProgressStep(1);
    SetProgressRange(0, 100);
    RunState.UnlockedCount = 0;
    ResetDialogReport();
    // An explicit stack, sized for the deepest walk the path buffers allow.
    RunState.WorkerThread = StartThread(UnlockWorker, nullptr, WorkerStackBytes);
    return 1;
}

DWORD WINAPI UnlockWorker(LPVOID) {
    // Cleared at the start and set by the dialog's Exit; the walk does not read it, because
    // leaving the dialog ends the process, and with it the walk, at once.
    RunState.StopFlag = 0;
    ForgetLinkTargets();
    RedirectionState redirection;
    BeginRealPaths(&redirection);
    DWORD mask = GetLogicalDrives();
    wchar_t pattern[260];
    for (int bit = 0; bit < 32; ++bit) {
        SearchedDrive drive;
        if (!CheckDrive(mask, bit, &drive)) {
            continue;
        }
        lstrcpynW(pattern, SuffixPattern, 260);
        RunState.UsedBytes = drive.usedBytes;
        RunState.WalkedBytes = 0;
        DirectoryWalker(drive.startDirectory, pattern);
    }
    // The message box loads libraries: from here on, system paths are redirected again.
    EndRealPaths(&redirection);
    ShowProgress(100);
    wsprintfW(RunState.ResultText, RunState.RussianUi ? ResultFormatRussian : ResultFormatEnglish,
              RunState.UnlockedCount);
    MessageBoxW(RunState.DialogWindow, RunState.ResultText, ResultTitle, MB_OK);
    return static_cast<DWORD>(RunState.UnlockedCount);
}
