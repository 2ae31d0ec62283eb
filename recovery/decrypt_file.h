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
};

// The first chunk read, decrypted and written; later chunks grow from it (see decrypt_stream.h).
constexpr uint32_t DecryptChunkSize = 8192;

// The name buffer of the input path and of every output candidate, terminator included: a longer
// path is refused before anything is created.
constexpr uint32_t DecryptNameCapacity = 260;

// Only a path whose last '.' (folder names included) starts exactly ".crypt" is decrypted; the
// test is the one IsCryptName of recovery/key_identify.h makes. The key is RunState.KeySelector.
DecryptResult DecryptCryptFile(const wchar_t* path);

// The same, telling what it did: output (DecryptNameCapacity wide characters) receives the path
// of the output it created, the whole one or, after a failed read or write, what was written of
// it; empty when it created none. systemError receives the system's error of a failed open,
// create, read or write, else 0; a create that failed because no free candidate name fits the
// name buffer gives ERROR_FILENAME_EXCED_RANGE.
DecryptResult DecryptCryptFileTo(const wchar_t* path, wchar_t* output, uint32_t* systemError);
