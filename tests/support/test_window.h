// A test window with a real progress bar and status bar for the dialog's unlock run to report
// to, and records of what it reported.
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

struct RunOutcome {
    int boxes;            // result boxes that appeared
    std::wstring text;    // the first box's text
    std::wstring caption; // and its caption
    int ended;            // the worker ended
    DWORD exitCode;
};
// StartUnlockRun, then pumps messages, presses OK on each result box and waits for the worker.
RunOutcome RunWholeUnlock();
