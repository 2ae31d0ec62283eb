// One damaged entry, cut by cut: see cli/damaged_entry.h.
#include "cli/damaged_entry.h"

#include <windows.h>

#include "cli/console_walk.h"
#include "cli/entry_report.h"
#include "unlock/name_rule.h"
#include "unlock/walk_limits.h"

namespace {

bool Halted(const RenameStepper* stepper) {
    return stepper->halted != nullptr && stepper->halted() != 0;
}

// The restored name is taken: the first copy's name ("photo (2).jpg") that a step can take.
RestoreOutcome StepToACopysName(const wchar_t* path, const wchar_t* restored, wchar_t* target,
                                const RenameStepper* stepper, uint32_t* error) {
    DWORD attributes = GetFileAttributesW(path);
    int isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    RestoreOutcome outcome = RestoreNameTaken;
    for (int number = 2; outcome == RestoreNameTaken && !Halted(stepper); ++number) {
        if (!CopyNameOf(restored, isFolder, number, target, WalkPathCapacity)) {
            return RestoreNameTaken;
        }
        outcome = stepper->step(path, target, error);
    }
    return outcome;
}

EntryOutcome EntryOf(RestoreOutcome outcome, const RenameStepper* stepper) {
    switch (outcome) {
    case RestoreDone:
        return stepper->foreseen ? EntryWouldRestore : EntryRestored;
    case RestoreLeftByRule:
        return EntryLeftByRule;
    case RestoreNameTaken:
        return EntryNameTaken;
    case RestoreRefused:
        break;
    }
    return EntryRefused;
}

} // namespace

void HandleDamagedEntry(const wchar_t* path, const RenameStepper* stepper) {
    WalkTally.damaged += 1;
    wchar_t current[WalkPathCapacity];
    wchar_t restored[WalkPathCapacity];
    wchar_t target[WalkPathCapacity];
    lstrcpynW(current, path, WalkPathCapacity);
    restored[0] = L'\0';
    EntryDetails details = {0, 0, L""};
    RestoreOutcome outcome = RestoreDone;
    uint32_t error = 0;
    while (!Halted(stepper)) {
        if (!CutRestoredName(current, restored, WalkPathCapacity)) {
            outcome = RestoreLeftByRule;
            break;
        }
        bool last = !CarriesDamageSuffix(restored);
        lstrcpynW(target, restored, WalkPathCapacity);
        outcome = stepper->step(current, target, &error);
        if (outcome == RestoreNameTaken && stepper->keepBoth && last) {
            outcome = StepToACopysName(current, restored, target, stepper, &error);
            details.keptBoth = outcome == RestoreDone;
        }
        if (outcome != RestoreDone) {
            break;
        }
        details.suffixes += 1;
        lstrcpynW(current, target, WalkPathCapacity);
        if (last) {
            break;
        }
    }
    ReportDamagedEntry(EntryOf(outcome, stepper), path, current, restored, error, details);
}
