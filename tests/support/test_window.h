// A test window with a real progress bar and status bar for the run to report to, records of
// what it reported, and helpers that build and inspect trees on the mapped drives.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct ReportRecord {
    std::vector<int> positions;         // every PBM_SETPOS, in order
    std::vector<std::wstring> statuses; // every status-bar text, in order
    std::vector<LPARAM> ranges;         // every PBM_SETRANGE
    std::vector<WPARAM> steps;          // every PBM_SETSTEP
};
extern ReportRecord Reports;

// Creates the window and its controls once, stores them in the RunState and clears the records
// and the run's counters.
void PrepareTestWindow();
// Pumps the test window's messages until the thread ends (60 s at most); returns 1 when it
// ended.
int PumpUntilThreadEnds(HANDLE thread);
// Runs body on a thread with the worker's stack while this thread pumps messages, so that
// calls that report to the controls behave as in a run.
void RunOnWorkerStack(void (*body)(void* context), void* context);

struct RunOutcome {
    int boxes;            // result boxes that appeared
    std::wstring text;    // the first box's text
    std::wstring caption; // and its caption
    int ended;            // the worker ended
    DWORD exitCode;
};
// StartUnlockRun, then pumps messages, presses OK on each result box and waits for the worker.
RunOutcome RunWholeUnlock();

// Files and folders, by long path (so trailing spaces are kept).
int MakeFolder(const std::wstring& path);
int MakeFileOfSize(const std::wstring& path, DWORD size);
int Exists(const std::wstring& path);
int IsFolder(const std::wstring& path);
std::string ReadWhole(const std::wstring& path);
int WriteWhole(const std::wstring& path, const std::string& data);
// Deletes everything below the folder, never following links.
void ClearFolder(const std::wstring& path);
// Empties the test drives D:, E: and F:.
void ClearTestDrives();
// Narrow view of a wide text for failure messages.
std::string Shown(const std::wstring& text);
