// Every thread of the programs starts through StartThread: one at a time in the process, each
// checked to be itself before it runs its procedure.
//
// Why: a thread's identity (its thread environment block, reached through a segment register)
// is set up by the thread itself as it begins. Where the platform keeps that set-up in one table
// for the whole process rather than one per thread, as 32-bit Wine does under a user-mode
// emulator of the processor, a thread that begins while another is beginning can take the
// other's identity, and both then wait on each other's requests, crash or corrupt their stacks.
// Starting threads one after another removes the overlap; the check in the new thread keeps a
// thread that is not itself from doing anything.
//
// On such a platform the table also ends up naming only the thread that began last. A thread
// begun earlier keeps its identity only until the system interrupts it (to hand it the end of an
// I/O request, for one) and its identity is read afresh from the table: it then takes the last
// thread's, which has often ended by then, and the process crashes. Work that can be done on one
// thread is then best done there, on the thread that began last.
#pragma once
#include <windows.h>

// Creates a thread running proc(parameter) with a stack of at least stackReserve bytes reserved
// (0: the program's default), and returns its handle once the thread has begun and found itself
// to be the thread that was created. Returns null when it cannot be created, or when it found
// itself to be another (it has then ended without calling proc): the caller does the work some
// other way, or reports that it could not start.
HANDLE StartThread(LPTHREAD_START_ROUTINE proc, void* parameter, SIZE_T stackReserve);

// Whether threads keep their own identities while others begin after them. Known from the first
// StartThread on, where the creator reads its identity afresh from the table once the new thread
// has begun; until then, true.
bool ThreadsKeepTheirIdentity();
