// Reads, decrypts and writes the bytes of one ".crypt" file with the three overlapping.
#pragma once
#include <windows.h>
#include <cstdint>

#include "recovery/decrypt_file.h"
#include "recovery/output_check.h"

// Where a stream's plaintext goes, chunk by chunk in file order, on the thread that reads and
// writes: written to output, or compared with the bytes of compare (a file that may hold this
// plaintext already), and fed to check. Any member may be null.
struct StreamSink {
    HANDLE output;
    HANDLE compare;
    OutputCheck* check;
};

// Decrypts `size` bytes from input into the sink in one CBC chain, through the cipher that
// RunState.KeySelector chooses for each chunk. Chunks are read and written whole, in order: the
// first is DecryptChunkSize bytes, each next one twice the one before up to a fixed largest size.
// Returns DecryptOk, DecryptReadFailed (a read failed or came back short: every chunk before it
// has been written; or the compared file could not be read), DecryptWriteFailed (a write failed
// or wrote short: nothing after it is written), DecryptDiffers (a chunk is not the compared
// file's bytes: nothing after it is compared) or DecryptStopped (watch asked to stop before a
// chunk: what was written is incomplete);
// systemError receives the system's error of that read or write (0 for a short one). watch (may
// be null) hears of each chunk decrypted, on the caller's thread. Runs on the caller's thread, for
// a file of a megabyte or more with one helper thread for reading and writing and, on a machine
// with a second processor, one decrypting the back half of each large chunk; both have ended
// when it returns.
DecryptResult DecryptStream(HANDLE input, const StreamSink* sink, uint64_t size,
                            const DecryptWatch* watch, uint32_t* systemError);
