// One helper thread reads chunks into a ring of fixed buffers and writes them out again, while the
// caller's thread decrypts each in place as it comes: the disk and the cipher work at the same
// time, and the file's bytes still pass through one CBC chain in order. Where the machine has a
// second processor, a second thread decrypts the back half of each large chunk meanwhile. Where
// threads begun after the caller's would take its identity (common/thread_start.h), the caller's
// thread does it all in turn.
#include "recovery/decrypt_stream.h"

#include "crypto/blowfish.h"
#include "crypto/des.h"
#include "crypto/des_bitslice.h"
#include "recovery/key_select.h"
#include "common/run_state.h"
#include "common/thread_start.h"
#include <cstring>

// Four slots let one chunk be read, one decrypted and one written at once, with one to spare.
// Chunks of 2 MiB keep the hand-overs between the threads few (each costs a few system calls).
constexpr uint32_t RingSlots = 4;
constexpr uint32_t LargestChunk = 2u << 20;
// Below this size a file is read, decrypted and written in turn on the caller's thread: the few
// milliseconds that overlapping would save are less than starting a thread costs.
constexpr uint64_t OverlapLeastSize = 1u << 20;

// What one buffer of the ring holds. Three semaphores pass each slot from reading to decrypting
// to writing and back; only the holder of a slot touches it, and every stage takes the slots in
// ring order.
struct ChunkSlot {
    uint32_t count;          // bytes in the buffer
    bool end;                // no bytes: the reading is over
    DecryptResult endResult; // then DecryptOk, or DecryptReadFailed
};

// One file at a time, like the cipher states: one process-wide ring, megabytes kept off the
// stack and never allocated.
struct StreamRecord {
    HANDLE input;
    const StreamSink* sink;
    uint64_t size;
    HANDLE freeSlots; // semaphores counting the slots waiting for each stage
    HANDLE readSlots;
    HANDLE decryptedSlots;
    DecryptResult result; // the helper's verdict
    uint32_t error;       // the system's error of the failed read or write
    const DecryptWatch* watch;
    uint64_t decrypted;     // bytes decrypted so far
    volatile LONG stopping; // the caller asked to stop: nothing more is read or written
    ChunkSlot slots[RingSlots];
};
static StreamRecord Stream;
static uint8_t RingBuffers[RingSlots][LargestChunk];
// The compared file's bytes of the chunk being handed on.
static uint8_t CompareBuffer[LargestChunk];

// Hands one decrypted chunk to the sink: compared, written, checked, in that order, on the thread
// that reads and writes. DecryptOk, or why the stream is to end here.
static DecryptResult EmitChunk(const uint8_t* bytes, uint32_t count) {
    const StreamSink* sink = Stream.sink;
    DWORD done = 0;
    if (sink->compare != nullptr) {
        BOOL read = ReadFile(sink->compare, CompareBuffer, count, &done, nullptr);
        if (!read) {
            Stream.error = GetLastError();
            return DecryptReadFailed;
        }
        if (done != count || std::memcmp(CompareBuffer, bytes, count) != 0) {
            return DecryptDiffers;
        }
    }
    if (sink->output != nullptr) {
        BOOL written = WriteFile(sink->output, bytes, count, &done, nullptr);
        if (!written || done != count) {
            Stream.error = written ? 0 : GetLastError();
            return DecryptWriteFailed;
        }
    }
    if (sink->check != nullptr) {
        FeedOutputCheck(sink->check, bytes, count);
    }
    return DecryptOk;
}

// CBC decryption of a block needs only its ciphertext and the ciphertext block before it, so a
// chunk's back half can be decrypted at the same time as its front half, starting from the front
// half's last ciphertext block. Halves are cut at whole bitsliced passes, and only in chunks large
// enough that the hand-over to the second thread costs next to nothing.
constexpr uint32_t HalvedLeastChunk = 256u << 10;
constexpr uint32_t HalfAlignment = 8 * DesAvx2Batch;

// The thread that decrypts back halves, and the half it has been given. It works on its own copy
// of the Blowfish state (the chain register differs), and on the triple-DES state's register while
// the caller's thread decrypts the front half with a chain of its own.
struct BackHalfRecord {
    HANDLE thread; // null: every chunk is decrypted whole on the caller's thread
    HANDLE start;  // semaphores: a half has been given; it is done
    HANDLE done;
    uint8_t* bytes;
    uint32_t count;
    bool blowfish;
    volatile LONG quit;
};
static BackHalfRecord BackHalf;
static BlowfishState BackHalfBlowfish;

static DWORD WINAPI DecryptBackHalves(void*) {
    for (;;) {
        WaitForSingleObject(BackHalf.start, INFINITE);
        if (BackHalf.quit != 0) {
            return 0;
        }
        if (BackHalf.blowfish) {
            BlowfishCbcDecrypt(&BackHalfBlowfish, BackHalf.bytes, BackHalf.bytes, BackHalf.count);
        } else {
            TripleDesCbcDecrypt(BackHalf.bytes, BackHalf.bytes, BackHalf.count);
        }
        ReleaseSemaphore(BackHalf.done, 1, nullptr);
    }
}

static void StartBackHalves() {
    BackHalf.thread = nullptr;
    BackHalf.quit = 0;
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    if (system.dwNumberOfProcessors < 2) {
        return;
    }
    BackHalf.start = CreateSemaphoreW(nullptr, 0, 1, nullptr);
    BackHalf.done = CreateSemaphoreW(nullptr, 0, 1, nullptr);
    if (BackHalf.start != nullptr && BackHalf.done != nullptr) {
        BackHalf.thread = StartThread(DecryptBackHalves, nullptr, 0);
    }
}

static void EndBackHalves() {
    if (BackHalf.thread != nullptr) {
        InterlockedExchange(&BackHalf.quit, 1);
        ReleaseSemaphore(BackHalf.start, 1, nullptr);
        WaitForSingleObject(BackHalf.thread, INFINITE);
        CloseHandle(BackHalf.thread);
        BackHalf.thread = nullptr;
        BlowfishClear(&BackHalfBlowfish);
    }
    if (BackHalf.start != nullptr) {
        CloseHandle(BackHalf.start);
        BackHalf.start = nullptr;
    }
    if (BackHalf.done != nullptr) {
        CloseHandle(BackHalf.done);
        BackHalf.done = nullptr;
    }
}

// The selector is read for each chunk, as the cipher is chosen chunk by chunk.
static void DecryptChunk(uint8_t* chunk, uint32_t count) {
    bool blowfish = RunState.KeySelector == KeySelectorPassword;
    if (BackHalf.thread == nullptr || count < HalvedLeastChunk) {
        if (blowfish) {
            BlowfishCbcDecrypt(&ProcessBlowfish, chunk, chunk, count);
        } else {
            TripleDesCbcDecrypt(chunk, chunk, count);
        }
        return;
    }
    uint32_t frontCount = count / 2 / HalfAlignment * HalfAlignment;
    BackHalf.bytes = chunk + frontCount;
    BackHalf.count = count - frontCount;
    BackHalf.blowfish = blowfish;
    // The back half's chain is the front half's last ciphertext block, taken before the front
    // half is decrypted over it; the register the chunk ends with is the back half's.
    if (blowfish) {
        BackHalfBlowfish = ProcessBlowfish;
        std::memcpy(BackHalfBlowfish.ivRegister, BackHalf.bytes - 8, 8);
        ReleaseSemaphore(BackHalf.start, 1, nullptr);
        BlowfishCbcDecrypt(&ProcessBlowfish, chunk, chunk, frontCount);
        WaitForSingleObject(BackHalf.done, INFINITE);
        std::memcpy(ProcessBlowfish.ivRegister, BackHalfBlowfish.ivRegister, 8);
    } else {
        uint8_t frontChain[8];
        std::memcpy(frontChain, ProcessTripleDes.ivRegister, 8);
        std::memcpy(ProcessTripleDes.ivRegister, BackHalf.bytes - 8, 8);
        TripleDesPrepareDecryption();
        ReleaseSemaphore(BackHalf.start, 1, nullptr);
        TripleDesCbcDecryptBlocks(chunk, chunk, frontCount / 8, frontChain);
        WaitForSingleObject(BackHalf.done, INFINITE);
    }
}

// Asked before each chunk; once asked, the answer stays.
static bool StopIsRequested() {
    if (Stream.stopping == 0 && Stream.watch != nullptr && Stream.watch->stopRequested != nullptr &&
        Stream.watch->stopRequested()) {
        InterlockedExchange(&Stream.stopping, 1);
    }
    return Stream.stopping != 0;
}

static void DecryptAndCount(uint8_t* chunk, uint32_t count) {
    DecryptChunk(chunk, count);
    Stream.decrypted += count;
    if (Stream.watch != nullptr && Stream.watch->progress != nullptr) {
        Stream.watch->progress(Stream.decrypted, Stream.size);
    }
}

// Small chunks first, so that a small file is done in small pieces and a large one gets going
// at once; then larger ones, so that the per-call cost of reading and writing vanishes.
static uint32_t NextChunkSize(uint32_t size) {
    return size < LargestChunk ? 2 * size : LargestChunk;
}

// Fills the next free slot with the next chunk, or marks it as the end when the file is done,
// a read fails or writing has failed. Returns whether it was the end.
static bool ReadChunk(uint32_t slotIndex, uint64_t* remaining, uint32_t* chunkSize, bool stop) {
    ChunkSlot* slot = &Stream.slots[slotIndex];
    slot->end = *remaining == 0 || stop;
    slot->endResult = DecryptOk;
    if (!slot->end) {
        DWORD count = *remaining < *chunkSize ? static_cast<DWORD>(*remaining) : *chunkSize;
        DWORD done = 0;
        BOOL read = ReadFile(Stream.input, RingBuffers[slotIndex], count, &done, nullptr);
        if (read && done == count) {
            slot->count = count;
            *remaining -= count;
            *chunkSize = NextChunkSize(*chunkSize);
        } else {
            slot->end = true;
            slot->endResult = DecryptReadFailed;
            Stream.error = read ? 0 : GetLastError();
        }
    }
    ReleaseSemaphore(Stream.readSlots, 1, nullptr);
    return slot->end;
}

// The helper thread: reads into free slots and writes decrypted ones, writing first whenever
// both wait. Reads and writes take turns on this one thread; both overlap the decryption. After
// a failed write nothing more is written and the reading ends at the next free slot; the chunks
// still coming back are dropped until the end mark. The result is the first failure in file
// order: a write fails before any later read could, as no chunk is written after it.
static DWORD WINAPI ReadAndWriteChunks(void*) {
    uint64_t remaining = Stream.size;
    uint32_t chunkSize = DecryptChunkSize;
    uint32_t nextRead = 0, nextWrite = 0;
    bool readingOver = false, writeFailed = false;
    DecryptResult emitted = DecryptOk;
    for (;;) {
        HANDLE waits[2] = {Stream.decryptedSlots, Stream.freeSlots};
        DWORD woken = WaitForMultipleObjects(readingOver ? 1 : 2, waits, FALSE, INFINITE);
        if (woken == WAIT_OBJECT_0 + 1) {
            readingOver =
                ReadChunk(nextRead, &remaining, &chunkSize, writeFailed || Stream.stopping != 0);
            nextRead = (nextRead + 1) % RingSlots;
            continue;
        }
        const ChunkSlot* slot = &Stream.slots[nextWrite];
        if (slot->end) {
            Stream.result = writeFailed ? emitted : slot->endResult;
            return 0;
        }
        if (!writeFailed && Stream.stopping == 0) {
            emitted = EmitChunk(RingBuffers[nextWrite], slot->count);
            writeFailed = emitted != DecryptOk;
        }
        nextWrite = (nextWrite + 1) % RingSlots;
        ReleaseSemaphore(Stream.freeSlots, 1, nullptr);
    }
}

// The same chunks one after the other on the caller's thread, when no helper thread can start.
static DecryptResult DecryptInTurn() {
    uint64_t remaining = Stream.size;
    uint32_t chunkSize = DecryptChunkSize;
    while (remaining != 0) {
        if (StopIsRequested()) {
            return DecryptStopped;
        }
        DWORD count = remaining < chunkSize ? static_cast<DWORD>(remaining) : chunkSize;
        DWORD done = 0;
        BOOL read = ReadFile(Stream.input, RingBuffers[0], count, &done, nullptr);
        if (!read || done != count) {
            Stream.error = read ? 0 : GetLastError();
            return DecryptReadFailed;
        }
        DecryptAndCount(RingBuffers[0], count);
        DecryptResult emitted = EmitChunk(RingBuffers[0], count);
        if (emitted != DecryptOk) {
            return emitted;
        }
        remaining -= count;
        chunkSize = NextChunkSize(chunkSize);
    }
    return DecryptOk;
}

static void CloseIfOpen(HANDLE handle) {
    if (handle != nullptr) {
        CloseHandle(handle);
    }
}

DecryptResult DecryptStream(HANDLE input, const StreamSink* sink, uint64_t size,
                            const DecryptWatch* watch, uint32_t* systemError) {
    Stream.input = input;
    Stream.sink = sink;
    Stream.size = size;
    Stream.result = DecryptOk;
    Stream.error = 0;
    Stream.watch = watch;
    Stream.decrypted = 0;
    Stream.stopping = 0;
    Stream.freeSlots = nullptr;
    Stream.readSlots = nullptr;
    Stream.decryptedSlots = nullptr;
    HANDLE helper = nullptr;
    BackHalf.thread = nullptr;
    if (size >= OverlapLeastSize && ThreadsKeepTheirIdentity()) {
        Stream.freeSlots = CreateSemaphoreW(nullptr, RingSlots, RingSlots, nullptr);
        Stream.readSlots = CreateSemaphoreW(nullptr, 0, RingSlots, nullptr);
        Stream.decryptedSlots = CreateSemaphoreW(nullptr, 0, RingSlots, nullptr);
        bool semaphores = Stream.freeSlots && Stream.readSlots && Stream.decryptedSlots;
        helper = semaphores ? StartThread(ReadAndWriteChunks, nullptr, 0) : nullptr;
        if (helper != nullptr) {
            StartBackHalves();
        }
    }

    DecryptResult result;
    if (helper == nullptr) {
        result = DecryptInTurn();
    } else {
        for (uint32_t i = 0;; i = (i + 1) % RingSlots) {
            WaitForSingleObject(Stream.readSlots, INFINITE);
            bool end = Stream.slots[i].end;
            // After a stop the chunks still coming are passed back undecrypted, never written.
            if (!end && !StopIsRequested()) {
                DecryptAndCount(RingBuffers[i], Stream.slots[i].count);
            }
            ReleaseSemaphore(Stream.decryptedSlots, 1, nullptr);
            if (end) {
                break;
            }
        }
        WaitForSingleObject(helper, INFINITE);
        CloseHandle(helper);
        EndBackHalves();
        result = Stream.result == DecryptOk && Stream.stopping ? DecryptStopped : Stream.result;
    }
    CloseIfOpen(Stream.freeSlots);
    CloseIfOpen(Stream.readSlots);
    CloseIfOpen(Stream.decryptedSlots);
    *systemError = result == DecryptOk ? 0 : Stream.error;
    return result;
}
