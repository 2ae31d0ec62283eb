// A walk report for the tests: records everything the shared walk tells its caller and restores
// each match as the dialog's walk does, so the walk's order is seen without the dialog's pacing.
#pragma once
#include "unlock/walk_tree.h"
#include <string>
#include <vector>

struct WalkRecord {
    std::vector<std::wstring> entered; // directories entered, shown from the drive letter on
    std::vector<std::wstring> matches; // matches handed over, shown the same way
    std::vector<std::wstring> tooLong; // names of entries skipped for their length
    int files;
};
extern WalkRecord Walked;

// Clears the record and walks directory (a long path) with the suffix pattern.
void WalkRecorded(const std::wstring& directory);
