// Makes one ReadFile or WriteFile of the test executable fail with a chosen error, after a chosen
// number of calls have gone through, so that a test sees how the code under test takes a disk
// that fails part-way. The calls before and after the failing one reach the system.
#pragma once

#include <windows.h>

// Each returns false when the executable imports no such function. Stop... puts the system's
// function back, whether or not the failure has happened.
bool FailReadFileAfter(int successfulCalls, DWORD error);
void StopFailingReadFile();
bool FailWriteFileAfter(int successfulCalls, DWORD error);
void StopFailingWriteFile();
