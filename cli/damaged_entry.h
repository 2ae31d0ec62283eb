// The handling of one damaged entry, the same for scan and restore: every suffix cut in turn (a
// name damaged twice loses both), each cut one rename step, a taken name given way to a copy's
// name with --keep-both, and the end reported. scan foresees each step; restore makes it.
#pragma once
#include <cstdint>

#include "unlock/restore_name.h"

struct RenameStepper {
    // One rename of the entry at from to to, in its folder, never over an existing entry: made
    // (restore) or foreseen (scan), with the system's error of a refusal.
    RestoreOutcome (*step)(const wchar_t* from, const wchar_t* to, uint32_t* error);
    // Non-zero once no further step may be made (the journal could not be written).
    int (*halted)();
    int keepBoth;
    int foreseen; // scan: the outcome is "would restore"
};

// Handles the damaged entry at path (a walk's full long path) and reports how it ended.
void HandleDamagedEntry(const wchar_t* path, const RenameStepper* stepper);
