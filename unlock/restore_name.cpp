// Renames one damaged entry to its restored name, in place.
#include "unlock/unlock_run.h"
#include "unlock/run_state.h"
#include "unlock/name_cut.h"
#include "unlock/walk_limits.h"

void RestoreName(const wchar_t* path) {
    // As large as the walker's path buffers, so every path the walk hands over fits.
    wchar_t restored[WalkPathCapacity];
    if (!CutRestoredName(path, restored, WalkPathCapacity)) {
        return;
    }
    // MoveFileW never replaces an existing entry: when the restored name is taken, both stay.
    if (MoveFileW(path, restored)) {
        RunState.UnlockedCount = RunState.UnlockedCount + 1;
    }
}
