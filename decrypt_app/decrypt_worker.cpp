// The worker thread of the decrypt window and the callbacks the decrypt run reports through.
#include "decrypt_app/decrypt_worker.h"

#include "common/thread_start.h"
#include "unlock/path_forms.h"
#include "unlock/walk_limits.h"

WorkerJob Job;

namespace {

struct WorkerRecord {
    HANDLE thread;
    // The job the running thread works on, for the decrypt run's callbacks, which take no
    // record of their own: set by the thread from its parameter, read by it alone.
    WorkerJob* running;
    // The folder being gathered: as the console program does with its PATHs, a link is entered
    // only when its target lies inside that folder, so that adding D:\photos never reaches
    // another drive through a junction.
    const wchar_t* gatheringRoot;
    // When each kind of news was last posted, by the worker alone.
    uint64_t gatherPostedAtMs;
    uint64_t runPostedAtMs;
};
WorkerRecord Worker = {};

// The dialog is told at most this often. Redrawing a row, the progress and the status line for
// every file of a folder of small ones took a quarter of the run's time from the worker; what is
// not told yet is read whole with the next news, or when the job has ended.
constexpr uint64_t NewsIntervalMs = 50;

// Posts the news unless the same message is still waiting or was posted just now: the dialog
// reads the whole state when it comes, so one message says everything.
void PostNews(std::atomic<int32_t>* posted, uint64_t* postedAtMs, UINT message) {
    uint64_t now = GetTickCount64();
    if (now - *postedAtMs < NewsIntervalMs) {
        return;
    }
    if (posted->exchange(1) == 0) {
        *postedAtMs = now;
        PostMessageW(Worker.running->dialog, message, 0, 0);
    }
}

void PostGatherNews() {
    PostNews(&Worker.running->gatherPosted, &Worker.gatherPostedAtMs, WM_GATHER_NEWS);
}

void PostRunNews() {
    PostNews(&Worker.running->runPosted, &Worker.runPostedAtMs, WM_RUN_NEWS);
}

void EnteredFolder(const wchar_t* folder) {
    GatherJob& gather = Worker.running->gather;
    EnterCriticalSection(&gather.lock);
    gather.searching = folder;
    LeaveCriticalSection(&gather.lock);
    gather.folders.fetch_add(1);
    PostGatherNews();
}

void FoundFile(const CryptFileFound* file) {
    GatherJob& gather = Worker.running->gather;
    EnterCriticalSection(&gather.lock);
    gather.found.push_back({file->path, file->size, file->outcome, file->reason});
    LeaveCriticalSection(&gather.lock);
    gather.files.fetch_add(1);
    PostGatherNews();
}

void NotSearched(const wchar_t* folder, uint32_t error) {
    Worker.running->gather.notSearched.push_back({folder, error});
}

void FileBegun(int64_t place) {
    DecryptJob& decrypt = Worker.running->decrypt;
    decrypt.bytesInFile.store(0);
    decrypt.current.store(place);
    PostRunNews();
}

void FileProgress(uint64_t bytesDone, uint64_t) {
    Worker.running->decrypt.bytesInFile.store(static_cast<int64_t>(bytesDone));
    PostRunNews();
}

void FileDone(int64_t place, const CryptFileResult*) {
    Worker.running->decrypt.filesDone.store(place + 1);
    PostRunNews();
}

int StopRequested() {
    return Worker.running->stop.load() != 0 ? 1 : 0;
}

int MetLink(const wchar_t*, const wchar_t* targetPath, LinkVerdict verdict) {
    return verdict == LinkEnter && Worker.gatheringRoot != nullptr && targetPath[0] != L'\0' &&
                   LiesWithin(targetPath, Worker.gatheringRoot)
               ? 1
               : 0;
}

const DecryptReport WindowReport = {EnteredFolder, FoundFile, NotSearched,   FileBegun,
                                    FileProgress,  FileDone,  StopRequested, MetLink};

void Gather(GatherJob* gather) {
    // One search at a time, so that the link rule knows the folder each walk keeps to.
    for (CryptSearch& search : gather->searches) {
        std::vector<CryptSearch> one(1, search);
        Worker.gatheringRoot = search.path.c_str();
        GatherCryptFiles(&one, nullptr, &WindowReport);
        Worker.gatheringRoot = nullptr;
        search = one.front();
        if (StopRequested()) {
            break;
        }
    }
}

void Decrypt(DecryptJob* decrypt) {
    BeginDecryptRun();
    // The files were gathered when they were added; the run's totals tell those searches.
    DecryptTotals.folders = decrypt->foldersSearched;
    DecryptTotals.foldersNotSearched = decrypt->foldersNotSearched;
    decrypt->pairResult = KeyFound;
    if (decrypt->plan.method == KeyByPair) {
        decrypt->pairResult =
            FindPlanPairKey(decrypt->pairOriginal.c_str(), decrypt->pairEncrypted.c_str(),
                            &decrypt->plan, StopRequested);
    }
    if (decrypt->pairResult == KeyFound) {
        std::vector<size_t> places(decrypt->files.files.size());
        for (size_t i = 0; i < places.size(); ++i) {
            places[i] = i;
        }
        DecryptCryptFiles(&decrypt->files, places, &decrypt->plan, &WindowReport,
                          &decrypt->results);
    }
    decrypt->current.store(-1);
    decrypt->totals = DecryptTotals;
    decrypt->complete = DecryptRunComplete();
}

void Recycle(RecycleJob* recycle) {
    for (size_t i = 0; i < recycle->paths.size() && !StopRequested(); ++i) {
        recycle->recycled[i] =
            RecycleCheckedCryptFile(recycle->paths[i].c_str(), recycle->results[i]);
        recycle->filesDone.store(static_cast<int64_t>(i + 1));
        PostRunNews();
    }
}

DWORD WINAPI WorkerThread(LPVOID parameter) {
    WorkerJob* job = static_cast<WorkerJob*>(parameter);
    Worker.running = job;
    Worker.gatherPostedAtMs = 0;
    Worker.runPostedAtMs = 0;
    switch (job->kind) {
    case JobGather:
        Gather(&job->gather);
        break;
    case JobDecrypt:
        Decrypt(&job->decrypt);
        break;
    case JobRecycle:
        Recycle(&job->recycle);
        break;
    case JobNone:
        break;
    }
    PostMessageW(job->dialog, WM_WORKER_ENDED, 0, 0);
    return 0;
}

} // namespace

void SetUpWorker(HWND dialog) {
    Job.dialog = dialog;
    Job.kind = JobNone;
    InitializeCriticalSection(&Job.gather.lock);
}

int StartWorker(WorkerJobKind kind) {
    if (Worker.thread != nullptr) {
        return 0;
    }
    Job.kind = kind;
    Job.stop.store(0);
    Job.gatherPosted.store(0);
    Job.runPosted.store(0);
    Job.gather.found.clear();
    Job.gather.searching.clear();
    Job.gather.folders.store(0);
    Job.gather.files.store(0);
    Job.gather.notSearched.clear();
    Job.decrypt.current.store(-1);
    Job.decrypt.filesDone.store(0);
    Job.decrypt.bytesInFile.store(0);
    Job.decrypt.results.assign(Job.decrypt.files.files.size(), BlankCryptResult());
    Job.recycle.recycled.assign(Job.recycle.paths.size(), RecycleResult{RecycleNotOffered, 0, L""});
    Job.recycle.filesDone.store(0);
    // The walk below the gathering needs the deep stack of the walk's own worker.
    Worker.thread = StartThread(WorkerThread, &Job, WorkerStackBytes);
    if (Worker.thread == nullptr) {
        Job.kind = JobNone;
        return 0;
    }
    return 1;
}

int WorkerBusy() {
    return Worker.thread != nullptr ? 1 : 0;
}

void StopWorker() {
    Job.stop.store(1);
}

void ReleaseWorker() {
    if (Worker.thread == nullptr) {
        return;
    }
    // The thread posted its last message as its last act: this wait is for its return alone.
    WaitForSingleObject(Worker.thread, INFINITE);
    CloseHandle(Worker.thread);
    Worker.thread = nullptr;
    Job.kind = JobNone;
}

std::vector<CryptFile> TakeFoundFiles(std::wstring* searching) {
    std::vector<CryptFile> taken;
    Job.gatherPosted.store(0);
    EnterCriticalSection(&Job.gather.lock);
    taken.swap(Job.gather.found);
    *searching = Job.gather.searching;
    LeaveCriticalSection(&Job.gather.lock);
    return taken;
}
