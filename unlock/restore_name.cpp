// Renames one damaged entry to its restored name, in place.
#include "unlock/restore_name.h"
#include "unlock/name_rule.h"
#include "unlock/walk_limits.h"
#include <windows.h>

RestoreOutcome RestoreNameTo(const wchar_t* path, wchar_t* restored, uint32_t* error) {
    *error = 0;
    // As large as the walk's path buffers, so every path the walk hands over fits.
    if (!CutRestoredName(path, restored, WalkPathCapacity)) {
        return RestoreLeftByRule;
    }
    return RenameWithoutReplacing(path, restored, error);
}

RestoreOutcome RenameWithoutReplacing(const wchar_t* path, const wchar_t* target, uint32_t* error) {
    *error = 0;
    // MoveFileW never replaces an existing entry: when the name is taken, both stay.
    if (MoveFileW(path, target)) {
        return RestoreDone;
    }
    *error = GetLastError();
    return *error == ERROR_ALREADY_EXISTS || *error == ERROR_FILE_EXISTS ? RestoreNameTaken
                                                                         : RestoreRefused;
}
