// Threads started one at a time, each checked in itself: see common/thread_start.h.
#include "common/thread_start.h"

namespace {

// What the new thread needs to begin, on the creator's stack: the creator waits until the thread
// has taken what it needs and said whether it is itself, and the thread never touches the record
// after that.
struct ThreadStartRecord {
    LPTHREAD_START_ROUTINE proc;
    void* parameter;
    DWORD createdId; // the id CreateThread gave, filled in before the thread is resumed
    HANDLE begun;    // set by the thread once it has read the record and written identityHolds
    volatile LONG identityHolds;
};

// One start at a time in the whole process, from whichever thread it is asked.
SRWLOCK StartLock = SRWLOCK_INIT;

// Set once a creator has found its identity to be another thread's after a start.
volatile LONG IdentityShared = 0;

#if defined(__i386__)
// The calling thread's environment block as the descriptor table gives it now: the selector in
// FS is loaded into ES, which nothing here relies on, and read through; ES then gets the flat
// data segment back. FS itself keeps the base it was loaded with.
const void* IdentityReadAfresh() {
    const void* self;
    __asm__ volatile("movw %%fs, %%dx\n\t"
                     "movw %%dx, %%es\n\t"
                     "movl %%es:0x18, %0\n\t"
                     "movw %%ds, %%dx\n\t"
                     "movw %%dx, %%es"
                     : "=r"(self)
                     :
                     : "edx", "memory");
    return self;
}

// The same as FS holds it since it was loaded.
const void* IdentityAsLoaded() {
    const void* self;
    __asm__ volatile("movl %%fs:0x18, %0" : "=r"(self));
    return self;
}

bool IdentityStillOwn() {
    return IdentityReadAfresh() == IdentityAsLoaded();
}
#else
// A 64-bit thread reaches its block through a base register of its own, not through a table.
bool IdentityStillOwn() {
    return true;
}
#endif

DWORD WINAPI BeginThread(void* argument) {
    ThreadStartRecord* start = static_cast<ThreadStartRecord*>(argument);
    LPTHREAD_START_ROUTINE proc = start->proc;
    void* parameter = start->parameter;
    bool itself = GetCurrentThreadId() == start->createdId;
    InterlockedExchange(&start->identityHolds, itself ? 1 : 0);
    SetEvent(start->begun);
    return itself ? proc(parameter) : 0;
}

} // namespace

HANDLE StartThread(LPTHREAD_START_ROUTINE proc, void* parameter, SIZE_T stackReserve) {
    ThreadStartRecord start = {proc, parameter, 0, CreateEventW(nullptr, TRUE, FALSE, nullptr), 0};
    if (start.begun == nullptr) {
        return nullptr;
    }
    DWORD flags = CREATE_SUSPENDED | (stackReserve != 0 ? STACK_SIZE_PARAM_IS_A_RESERVATION : 0);
    AcquireSRWLockExclusive(&StartLock);
    HANDLE thread =
        CreateThread(nullptr, stackReserve, BeginThread, &start, flags, &start.createdId);
    if (thread != nullptr) {
        if (ResumeThread(thread) == static_cast<DWORD>(-1)) {
            // It never ran: nothing of it refers to the record.
            TerminateThread(thread, 0);
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
            thread = nullptr;
        } else {
            WaitForSingleObject(start.begun, INFINITE);
            if (!IdentityStillOwn()) {
                InterlockedExchange(&IdentityShared, 1);
            }
        }
    }
    ReleaseSRWLockExclusive(&StartLock);
    CloseHandle(start.begun);
    if (thread != nullptr && start.identityHolds == 0) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        thread = nullptr;
    }
    return thread;
}

bool ThreadsKeepTheirIdentity() {
    return IdentityShared == 0;
}
