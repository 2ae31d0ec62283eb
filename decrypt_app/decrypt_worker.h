// The window's one worker thread: it gathers the .crypt files of the paths a user adds, or
// decrypts the files of a run, through the shared decrypt run. One job at a time, handed to the
// thread as one record: what it works on is fixed before it starts, and what it gives back is
// read through the posted news or once it has ended. The dialog thread never waits for it: the
// worker posts news to the dialog (at most one message of each kind is waiting at any time,
// however fast the files come).
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "recovery/decrypt_run.h"
#include "recovery/recycle_checked.h"

// Posted by the worker to the dialog.
constexpr UINT WM_GATHER_NEWS = WM_APP + 1;  // files found, or a new folder being searched
constexpr UINT WM_RUN_NEWS = WM_APP + 2;     // a file begun or done, or progress within one
constexpr UINT WM_WORKER_ENDED = WM_APP + 3; // the job is over; the thread ends right after

enum WorkerJobKind : int32_t {
    JobNone = 0,
    JobGather = 1,
    JobDecrypt = 2,
    JobRecycle = 3,
};

// A folder a gathering could not search, and why: its path too long (error 0), or the system's
// error when it was listed.
struct FolderNotSearched {
    std::wstring path;
    uint32_t error;
};

// Gathering the files of paths the user named.
struct GatherJob {
    // Fixed before the thread starts; their counts are the worker's until it ends.
    std::vector<CryptSearch> searches;
    // Handed over as they come, under lock: the files found since the dialog last took them, and
    // the folder being searched.
    CRITICAL_SECTION lock;
    std::vector<CryptFile> found;
    std::wstring searching;
    // For the progress: folders searched and files met so far in this job.
    std::atomic<int64_t> folders;
    std::atomic<int64_t> files;
    // Read once the worker has ended.
    std::vector<FolderNotSearched> notSearched;
};

// Decrypting the files of the list that are not decrypted yet.
struct DecryptJob {
    // Fixed before the thread starts.
    DecryptPlan plan;
    std::wstring pairOriginal; // long forms, for KeyByPair
    std::wstring pairEncrypted;
    CryptFileList files;     // the run's files, in the run's order
    std::vector<int> rows;   // the list's row of each
    int64_t foldersSearched; // by the gatherings that listed the files, for the run's totals
    int64_t foldersNotSearched;
    // Written by the worker: a file's result is whole before filesDone counts it.
    std::vector<CryptFileResult> results;
    std::atomic<int64_t> current;     // the file being decrypted, or -1
    std::atomic<int64_t> filesDone;   // files whose results are in
    std::atomic<int64_t> bytesInFile; // how far the current file has come
    // Read once the worker has ended.
    KeySearchResult pairResult;
    DecryptTotalsRecord totals;
    int32_t complete; // DecryptRunComplete
};

// Moving the .crypt files whose outputs checked to the Recycle Bin.
struct RecycleJob {
    // Fixed before the thread starts: each file's long path, its run's result, its row.
    std::vector<std::wstring> paths;
    std::vector<CryptFileResult> results;
    std::vector<int> rows;
    // Written by the worker: a file's outcome is whole before filesDone counts it.
    std::vector<RecycleResult> recycled;
    std::atomic<int64_t> filesDone;
};

struct WorkerJob {
    WorkerJobKind kind;
    HWND dialog;
    std::atomic<int32_t> stop;         // set by Stop or by closing the window
    std::atomic<int32_t> gatherPosted; // a WM_GATHER_NEWS is waiting
    std::atomic<int32_t> runPosted;    // a WM_RUN_NEWS is waiting
    GatherJob gather;
    DecryptJob decrypt;
    RecycleJob recycle;
};

// The one job of the window: the dialog fills in its part before StartWorker and reads it back
// through the news and after WM_WORKER_ENDED.
extern WorkerJob Job;

// Once, before the first job.
void SetUpWorker(HWND dialog);
// Starts the job of this kind set up in Job. Returns 0 when a job is still going or the thread
// cannot be made (then nothing was started).
int StartWorker(WorkerJobKind kind);
// 1 while a job is going (until the dialog has handled WM_WORKER_ENDED).
int WorkerBusy();
// Asks the job going to stop.
void StopWorker();
// After WM_WORKER_ENDED: waits for the thread's last instructions and closes its handle.
void ReleaseWorker();
// The found files waiting for the dialog, taken out of the job; and the folder being searched.
std::vector<CryptFile> TakeFoundFiles(std::wstring* searching);
