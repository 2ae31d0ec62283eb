// A walk report for the tests: records everything the shared walk tells its caller and restores
// each match with the shared rename, so that the walk's order is seen without any front end's
// pacing.
#pragma once
#include "unlock/walk_tree.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

struct WalkRecord {
    std::vector<std::wstring> entered; // directories entered, shown from the drive letter on
    std::vector<std::wstring> matches; // matches handed over, shown the same way
    std::vector<std::wstring> tooLong; // names of entries skipped for their length
    int files;
    int restored; // matches the rename gave their names back
};
extern WalkRecord Walked;

// Clears the record and walks directory (a long path) with the suffix pattern.
void WalkRecorded(const std::wstring& directory);
// Runs body on a thread with the walk's stack and waits for it: a walk that went deeper than it
// should ends there, at the path limit, instead of overflowing the test's own stack.
void RunOnWalkStack(void (*body)(void* context), void* context);

// The folder the walk tests walk.
const std::wstring WalkRoot = L"\\\\?\\D:\\walk";

// WalkRoot made afresh on emptied test drives before each test, and the drives emptied after it.
class FreshWalkRoot : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
};
