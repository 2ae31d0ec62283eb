// Decrypts one ".crypt" file into a new file beside it, under a name no entry holds yet.
#include "recovery/decrypt_file.h"

#include <windows.h>
#include <cwchar>
#include <cstring>

#include "recovery/decrypt_stream.h"
#include "recovery/key_identify.h"
#include "recovery/key_select.h"
#include "common/run_state.h"

constexpr uint32_t NameCapacity = DecryptNameCapacity;
constexpr uint32_t SuffixCapacity = 10;     // "(%d)" text of the counter, NUL included
constexpr int32_t LargestCounter = 9999999; // the largest counter whose "(%d)" fits SuffixCapacity

// Puts the candidate for *counter after the base name and moves the counter on. Returns false,
// leaving the buffer as it was, when the suffix or the whole name would not fit its buffer: the
// suffix only grows, so no later candidate would fit either.
static bool NextCandidate(wchar_t* name, uint32_t baseLength, int32_t* counter) {
    if (*counter > LargestCounter) {
        return false;
    }
    wchar_t suffix[SuffixCapacity];
    uint32_t suffixLength = static_cast<uint32_t>(wsprintfW(suffix, L"(%d)", *counter));
    if (baseLength + suffixLength + 1 > NameCapacity) {
        return false;
    }
    *counter += 1;
    std::memcpy(name + baseLength, suffix, (suffixLength + 1) * sizeof(wchar_t));
    return true;
}

// Steps past every candidate that exists as a file or a directory.
static bool SkipTakenNames(wchar_t* name, uint32_t baseLength, int32_t* counter) {
    while (GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES) {
        if (!NextCandidate(name, baseLength, counter)) {
            return false;
        }
    }
    return true;
}

// Creates the output only where nothing exists. A name that turns up between the search and the
// create is never replaced: the search goes on from the next counter. error receives the
// system's reason when no output could be created.
static HANDLE CreateOutputFile(wchar_t* name, uint32_t baseLength, int32_t* counter, bool haveName,
                               uint32_t* error) {
    // No candidate fits the name buffer: the system would say the same of a longer name.
    *error = ERROR_FILENAME_EXCED_RANGE;
    while (haveName) {
        HANDLE output =
            CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, 0, nullptr);
        if (output != INVALID_HANDLE_VALUE) {
            *error = 0;
            return output;
        }
        *error = GetLastError();
        bool taken = *error == ERROR_FILE_EXISTS || *error == ERROR_ALREADY_EXISTS;
        if (!taken) {
            break;
        }
        haveName =
            NextCandidate(name, baseLength, counter) && SkipTakenNames(name, baseLength, counter);
        *error = ERROR_FILENAME_EXCED_RANGE;
    }
    return INVALID_HANDLE_VALUE;
}

DecryptResult DecryptCryptFileTo(const wchar_t* path, wchar_t* output, uint32_t* systemError) {
    output[0] = L'\0';
    *systemError = 0;
    // The last '.' of the whole path decides, folder names included, and case counts.
    if (!IsCryptName(path)) {
        return DecryptNotCryptFile;
    }
    if (SelectKey(RunState.KeySelector) == 0) {
        return DecryptNoKey;
    }

    size_t pathLength = std::wcslen(path);
    if (pathLength >= NameCapacity) {
        // No name buffer could hold it: refused before anything exists.
        *systemError = ERROR_FILENAME_EXCED_RANGE;
        return DecryptOpenFailed;
    }
    wchar_t name[NameCapacity];
    std::memcpy(name, path, (pathLength + 1) * sizeof(wchar_t));
    uint32_t baseLength = static_cast<uint32_t>(pathLength) - CryptExtensionLength;
    name[baseLength] = L'\0';
    int32_t counter = 0;
    bool haveName = SkipTakenNames(name, baseLength, &counter);

    HANDLE input =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (input == INVALID_HANDLE_VALUE) {
        *systemError = GetLastError();
        return DecryptOpenFailed;
    }
    HANDLE file = CreateOutputFile(name, baseLength, &counter, haveName, systemError);
    if (file == INVALID_HANDLE_VALUE) {
        CloseHandle(input);
        return DecryptCreateFailed;
    }
    std::memcpy(output, name, (std::wcslen(name) + 1) * sizeof(wchar_t));

    // The whole 64-bit size, so files of 4 GiB and more are decrypted in full.
    DecryptResult result = DecryptOk;
    LARGE_INTEGER size;
    uint64_t remaining = 0;
    if (GetFileSizeEx(input, &size)) {
        remaining = static_cast<uint64_t>(size.QuadPart);
    } else {
        *systemError = GetLastError();
        result = DecryptReadFailed;
    }

    // One CBC chain runs through the file; every chunk but the last is whole blocks, so the
    // short-tail rule acts only on the file's final bytes.
    if (remaining != 0) {
        result = DecryptStream(input, file, remaining, systemError);
    }

    // A partial output after a failed read or write stays as written.
    CloseHandle(input);
    CloseHandle(file);
    if (result == DecryptOk) {
        RunState.UnlockedCount += 1;
    }
    return result;
}

DecryptResult DecryptCryptFile(const wchar_t* path) {
    wchar_t output[DecryptNameCapacity];
    uint32_t systemError;
    return DecryptCryptFileTo(path, output, &systemError);
}
