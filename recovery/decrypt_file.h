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
// test is the one IsCryptName of recovery/key_identify.h makes.
DecryptResult DecryptCryptFile(const wchar_t* path);
