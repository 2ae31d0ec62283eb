// The rename that gives a damaged entry its name back, with its outcome, for every front end.
#pragma once
#include <cstdint>

enum RestoreOutcome : int32_t {
    RestoreDone = 0,
    RestoreLeftByRule = 1, // the restored name would be empty, "." or "..": nothing is tried
    RestoreNameTaken = 2,  // an entry with the restored name exists: both stay as they are
    RestoreRefused = 3,    // the platform refused the rename (access, in use, read-only medium)
};

// Cuts path (a walk's full path of a damaged entry) to its restored path, written into restored
// (WalkPathCapacity wide characters), and renames the entry in place; never replaces an existing
// entry. error receives the platform's error of a taken or refused rename, else 0. Counts
// nothing: the caller does.
RestoreOutcome RestoreNameTo(const wchar_t* path, wchar_t* restored, uint32_t* error);

// The rename itself, to target in the same folder, never over an existing entry: RestoreDone,
// RestoreNameTaken or RestoreRefused, with the platform's error.
RestoreOutcome RenameWithoutReplacing(const wchar_t* path, const wchar_t* target, uint32_t* error);
