// The window's one worker thread: it gathers the .crypt files of the paths a user adds, or
// decrypts the files of a run, through the shared decrypt layer. One job at a time. The dialog
// thread never waits for it: the worker posts news to the dialog (at most one message of each
// kind is waiting at any time, however fast the files come) and the dialog reads the shared
// record when the message arrives.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "recovery/decrypt_run.h"

// Posted by the worker to the dialog.
constexpr UINT WM_GATHER_NEWS = WM_APP + 1;  // files found, or a new folder being searched
constexpr UINT WM_RUN_NEWS = WM_APP + 2;     // a file begun or done, or progress within one
constexpr UINT WM_WORKER_ENDED = WM_APP + 3; // the job is over; the thread ends right after

enum WorkerJob : int32_t {
    JobNone = 0,
    JobGather = 1,
    JobDecrypt = 2,
};

// A path the user named, and what its search gave.
struct GatherPath {
    std::wstring path; // long form
    int32_t isFolder;
    int64_t found;              // .crypt files it holds
    int64_t otherLetters;       // names ending in ".CRYPT" or the like
    int64_t folders;            // folders searched
    int64_t foldersNotSearched; // subfolders too deep to search
};

// A file the gathering reported, copied out of the callback.
struct FoundCopy {
    std::wstring path;
    int64_t size;
    CryptOutcome outcome;
    CryptReason reason;
};

// A file of a run: the found record the layer takes (its path points into pathText, set once the
// list is complete) and what became of it.
struct RunFile {
    std::wstring pathText;
    CryptFileFound found;
    CryptFileResult result;
    int32_t row; // its row in the list when the run began
};

struct WorkerRecord {
    HWND dialog;
    HANDLE thread;
    WorkerJob job;
    std::atomic<int32_t> stop;         // set by Stop or by closing the window
    std::atomic<int32_t> gatherPosted; // a WM_GATHER_NEWS is waiting
    std::atomic<int32_t> runPosted;    // a WM_RUN_NEWS is waiting

    // Gathering: the paths are fixed before the thread starts; their counts are the worker's
    // until it ends.
    std::vector<GatherPath> paths;
    CRITICAL_SECTION lock; // guards found and searching
    std::vector<FoundCopy> found;
    std::wstring searching; // the folder being searched

    // Decrypting: all fixed before the thread starts, except what it writes below.
    DecryptPlan plan;
    std::wstring pairOriginal; // long forms, for KeyByPair
    std::wstring pairEncrypted;
    int64_t foldersSearched; // by the gatherings that listed the files, for the run's totals
    int64_t foldersNotSearched;
    std::vector<RunFile> files;
    // Written by the worker: a file's result is complete before filesDone counts it.
    std::atomic<int64_t> current;     // the file being decrypted, or -1
    std::atomic<int64_t> filesDone;   // files whose results are in
    std::atomic<int64_t> bytesInFile; // how far the current file has come
    // Read by the dialog after WM_WORKER_ENDED only.
    KeySearchResult pairResult;
    DecryptTotalsRecord totals;
    int32_t complete; // DecryptRunComplete
};
extern WorkerRecord Worker;

// Once, before the first job.
void SetUpWorker(HWND dialog);
// Starts the job set up in Worker. Returns 0 when a job is still going or the thread cannot be
// made (then nothing was started).
int StartWorker(WorkerJob job);
// 1 while a job is going (until the dialog has handled WM_WORKER_ENDED).
int WorkerBusy();
// After WM_WORKER_ENDED: waits for the thread's last instructions and closes its handle.
void ReleaseWorker();
// The found files waiting for the dialog, taken out of the shared record; and the folder being
// searched.
std::vector<FoundCopy> TakeFoundFiles(std::wstring* searching);
