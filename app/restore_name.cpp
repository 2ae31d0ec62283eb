// The dialog's rename of one damaged entry: the shared rename, counted when it is done.
#include "app/unlock_run.h"
#include "common/run_state.h"
#include "unlock/restore_name.h"
#include "unlock/walk_limits.h"

void RestoreName(const wchar_t* path) {
    wchar_t restored[WalkPathCapacity];
    uint32_t error;
    if (RestoreNameTo(path, restored, &error) == RestoreDone) {
        RunState.UnlockedCount = RunState.UnlockedCount + 1;
    }
}
