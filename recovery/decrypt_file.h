// Decrypts one ".crypt" file into a new file beside it.
#pragma once
#include <cstdint>

enum DecryptResult : int32_t {
    DecryptOk = 0,
    DecryptOpenFailed = 2,
    DecryptCreateFailed = 3,
    DecryptReadFailed = 4,
    DecryptWriteFailed = 5,
    DecryptNoKey = 6,
    DecryptNotCryptFile = 7,
    DecryptStopped = 8, // the caller asked to stop part way: nothing was left behind
};

// The first chunk read, decrypted and written; later chunks grow from it (see decrypt_stream.h).
constexpr uint32_t DecryptChunkSize = 8192;

// The name buffer of the input path and of every output candidate, terminator included: a longer
// path is refused before anything is created.
constexpr uint32_t DecryptNameCapacity = 260;

// Only a path whose last '.' (folder names included) starts exactly ".crypt" is decrypted; the
// test is the one IsCryptName of recovery/key_identify.h makes. The key is RunState.KeySelector.
DecryptResult DecryptCryptFile(const wchar_t* path);

// What a caller may watch and say while a file is decrypted; either member may be null.
struct DecryptWatch {
    // After each chunk is decrypted: the bytes done so far and the file's size.
    void (*progress)(uint64_t bytesDone, uint64_t bytesAll);
    // Asked before each chunk: non-zero ends the file with DecryptStopped.
    int (*stopRequested)();
};

// The same, watched (watch may be null) and telling what it did. The plaintext is written into a
// new file of its own whose name ends in ".part" ("report.pdf.part", or "report.pdf.part(0)"...
// when that is taken), and only when the last byte is written and on the disk does it take the
// first final name no entry holds, by a rename that never replaces. On success output
// (DecryptNameCapacity wide characters) receives the final path; on any failure the unfinished
// file is removed and output is empty. systemError receives the system's error of a failed open,
// create, read, write or rename, else 0; ERROR_FILENAME_EXCED_RANGE when no candidate name fits
// the name buffer.
DecryptResult DecryptCryptFileTo(const wchar_t* path, const DecryptWatch* watch, wchar_t* output,
                                 uint32_t* systemError);

// The longest path of the platform's long form, "\\?\" included, and a final name.
constexpr uint32_t DecryptLongPathCapacity = 32767;
constexpr uint32_t DecryptFileNameCapacity = 260;

// What a caller of DecryptCryptFileAs gives and gets back.
struct DecryptTarget {
    const DecryptWatch* watch; // may be null
    uint32_t pathCapacity;     // the longest input and output path taken, terminator included:
                               // DecryptNameCapacity up to DecryptLongPathCapacity
    // Filled in: the output's final name (in the input's folder) on success, else empty; the
    // name of a file that an earlier run left unfinished beside the input ("report.pdf.part"),
    // found while naming this one's unfinished file and left as it is, else empty; the system's
    // error as for DecryptCryptFileTo.
    wchar_t outputName[DecryptFileNameCapacity];
    wchar_t leftoverName[DecryptFileNameCapacity];
    uint32_t systemError;
};

// DecryptCryptFileTo for paths up to target->pathCapacity characters (the long form reaches
// 32,767), telling the output by its name alone. An entry that holds an unfinished file's name
// before this run's is never touched: it may be a file the user keeps.
DecryptResult DecryptCryptFileAs(const wchar_t* path, DecryptTarget* target);
