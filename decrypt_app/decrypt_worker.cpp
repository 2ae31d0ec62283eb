// The worker thread of the decrypt window and the callbacks the decrypt layer reports through.
#include "decrypt_app/decrypt_worker.h"

#include "common/thread_start.h"
#include "unlock/path_forms.h"
#include "unlock/walk_limits.h"

WorkerRecord Worker;

namespace {

// Posts the news unless the same message is still waiting: the dialog reads the whole state
// when it comes, so one waiting message says everything.
void PostNews(std::atomic<int32_t>* posted, UINT message) {
    if (posted->exchange(1) == 0) {
        PostMessageW(Worker.dialog, message, 0, 0);
    }
}

void EnteredFolder(const wchar_t* folder) {
    EnterCriticalSection(&Worker.lock);
    Worker.searching = folder;
    LeaveCriticalSection(&Worker.lock);
    PostNews(&Worker.gatherPosted, WM_GATHER_NEWS);
}

void FoundFile(const CryptFileFound* file) {
    EnterCriticalSection(&Worker.lock);
    Worker.found.push_back({file->path, file->size, file->outcome, file->reason});
    LeaveCriticalSection(&Worker.lock);
    PostNews(&Worker.gatherPosted, WM_GATHER_NEWS);
}

void FileProgress(uint64_t bytesDone, uint64_t) {
    Worker.bytesInFile.store(static_cast<int64_t>(bytesDone));
    PostNews(&Worker.runPosted, WM_RUN_NEWS);
}

int StopRequested() {
    return Worker.stop.load() != 0 ? 1 : 0;
}

// The folder being gathered: as the console program does with its PATHs, a link is entered only
// when its target lies inside that folder, so that adding D:\photos never reaches E:\ through a
// junction.
const wchar_t* GatheringRoot = nullptr;

int MetLink(const wchar_t*, const wchar_t* targetPath, LinkVerdict verdict) {
    return verdict == LinkEnter && GatheringRoot != nullptr && targetPath[0] != L'\0' &&
                   LiesWithin(targetPath, GatheringRoot)
               ? 1
               : 0;
}

const DecryptReport WindowReport = {EnteredFolder, FoundFile,     nullptr,
                                    FileProgress,  StopRequested, MetLink};

void Gather() {
    for (GatherPath& path : Worker.paths) {
        if (Worker.stop.load() != 0) {
            break;
        }
        int64_t foldersBefore = DecryptTotals.folders;
        int64_t notSearchedBefore = DecryptTotals.foldersNotSearched;
        GatheringRoot = path.path.c_str();
        path.found =
            GatherCryptFiles(path.path.c_str(), path.isFolder, &WindowReport, &path.otherLetters);
        GatheringRoot = nullptr;
        path.folders = DecryptTotals.folders - foldersBefore;
        path.foldersNotSearched = DecryptTotals.foldersNotSearched - notSearchedBefore;
    }
}

void Decrypt() {
    BeginDecryptRun();
    // The files were gathered when they were added; the run's totals tell those searches.
    DecryptTotals.folders = Worker.foldersSearched;
    DecryptTotals.foldersNotSearched = Worker.foldersNotSearched;
    Worker.pairResult = KeyFound;
    if (Worker.plan.method == KeyByPair) {
        Worker.pairResult = FindPlanPairKey(Worker.pairOriginal.c_str(),
                                            Worker.pairEncrypted.c_str(), &Worker.plan);
    }
    int64_t count = static_cast<int64_t>(Worker.files.size());
    int64_t done = 0;
    if (Worker.pairResult == KeyFound) {
        for (; done < count && Worker.stop.load() == 0; ++done) {
            RunFile& file = Worker.files[static_cast<size_t>(done)];
            Worker.bytesInFile.store(0);
            Worker.current.store(done);
            PostNews(&Worker.runPosted, WM_RUN_NEWS);
            DecryptRunFile(&file.found, &Worker.plan, &WindowReport, &file.result);
            Worker.filesDone.store(done + 1);
            PostNews(&Worker.runPosted, WM_RUN_NEWS);
        }
    }
    Worker.current.store(-1);
    // A file the stop caught part way is left without an output, like the files not begun.
    int64_t notTried = count - done;
    if (done > 0 && Worker.files[static_cast<size_t>(done - 1)].result.outcome == CryptPending) {
        notTried += 1;
    }
    EndDecryptRun(notTried);
    Worker.totals = DecryptTotals;
    Worker.complete = DecryptRunComplete();
}

DWORD WINAPI WorkerThread(LPVOID) {
    if (Worker.job == JobGather) {
        Gather();
    } else {
        Decrypt();
    }
    PostMessageW(Worker.dialog, WM_WORKER_ENDED, 0, 0);
    return 0;
}

} // namespace

void SetUpWorker(HWND dialog) {
    Worker.dialog = dialog;
    Worker.thread = nullptr;
    Worker.job = JobNone;
    InitializeCriticalSection(&Worker.lock);
}

int StartWorker(WorkerJob job) {
    if (Worker.thread != nullptr) {
        return 0;
    }
    Worker.job = job;
    Worker.stop.store(0);
    Worker.gatherPosted.store(0);
    Worker.runPosted.store(0);
    Worker.current.store(-1);
    Worker.filesDone.store(0);
    Worker.bytesInFile.store(0);
    Worker.found.clear();
    Worker.searching.clear();
    for (RunFile& file : Worker.files) {
        file.found.path = file.pathText.c_str();
    }
    // The walk below the gathering needs the deep stack of the walk's own worker.
    Worker.thread = StartThread(WorkerThread, nullptr, WorkerStackBytes);
    if (Worker.thread == nullptr) {
        Worker.job = JobNone;
        return 0;
    }
    return 1;
}

int WorkerBusy() {
    return Worker.thread != nullptr ? 1 : 0;
}

void ReleaseWorker() {
    if (Worker.thread == nullptr) {
        return;
    }
    // The thread posted its last message as its last act: this wait is for its return alone.
    WaitForSingleObject(Worker.thread, INFINITE);
    CloseHandle(Worker.thread);
    Worker.thread = nullptr;
    Worker.job = JobNone;
}

std::vector<FoundCopy> TakeFoundFiles(std::wstring* searching) {
    std::vector<FoundCopy> taken;
    Worker.gatherPosted.store(0);
    EnterCriticalSection(&Worker.lock);
    taken.swap(Worker.found);
    *searching = Worker.searching;
    LeaveCriticalSection(&Worker.lock);
    return taken;
}
