// Decrypts one ".crypt" file into a new file beside it. The plaintext goes into a file whose name
// says it is unfinished ("report.pdf.part"); only once its last byte is written and on the disk
// does it take its final name, the first that no entry holds ("report.pdf", "report.pdf(0)"...),
// by a rename that never replaces. A crash, a power cut or a stop part way leaves no file that
// looks complete, and a failure removes the unfinished one.
#include "recovery/decrypt_file.h"

#include <windows.h>
#include <cwchar>
#include <cstring>

#include "recovery/decrypt_stream.h"
#include "recovery/key_identify.h"
#include "recovery/key_select.h"
#include "common/run_state.h"

constexpr uint32_t UnfinishedTailLength = 5;

// A row of candidate names: a fixed start, then nothing, "(0)", "(1)"... in a buffer of the
// longest path; capacity is the longest the caller takes.
struct NameRow {
    wchar_t name[DecryptLongPathCapacity];
    uint32_t capacity;
    uint32_t baseLength; // the start's length
    int32_t counter;     // the counter of the next candidate after the one in name
};

// One file at a time, as the cipher states: the rows of the unfinished and the final names.
static NameRow UnfinishedRow;
static NameRow FinalRow;

// Starts the row at base (its first baseLength characters, then tail).
static void StartRow(NameRow* row, uint32_t capacity, const wchar_t* base, uint32_t baseLength,
                     const wchar_t* tail) {
    row->capacity = capacity;
    std::memcpy(row->name, base, baseLength * sizeof(wchar_t));
    uint32_t length = baseLength;
    for (; *tail != L'\0'; ++tail) {
        row->name[length++] = *tail;
    }
    row->name[length] = L'\0';
    row->baseLength = length;
    row->counter = 0;
}

// Puts the next candidate in the row and moves the counter on. Returns false, leaving the buffer
// as it was, when the suffix or the whole name would not fit its buffer: the suffix only grows,
// so no later candidate would fit either.
static bool NextCandidate(NameRow* row) {
    wchar_t suffix[DecryptCounterCapacity];
    if (!DecryptCounterText(row->counter, suffix)) {
        return false;
    }
    uint32_t suffixLength = static_cast<uint32_t>(std::wcslen(suffix));
    if (row->baseLength + suffixLength + 1 > row->capacity) {
        return false;
    }
    row->counter += 1;
    std::memcpy(row->name + row->baseLength, suffix, (suffixLength + 1) * sizeof(wchar_t));
    return true;
}

static bool IsTakenError(DWORD error) {
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

// The counter of the candidate the row holds now.
static int32_t CounterOf(const NameRow* row) {
    return row->counter == 0 ? DecryptNameBare : row->counter - 1;
}

// Creates the unfinished file under the first candidate no entry holds. The create itself tells
// whether a name is taken, and never replaces: no name is looked up beforehand, which in a large
// folder costs as much as the create. A file found under one of the first candidates is one an
// earlier run left unfinished, or the user's own: the first is named in leftover, and none is
// touched; past those, a taken name costs nothing more than its create. error
// receives the system's reason when none could be created, ERROR_FILENAME_EXCED_RANGE when no
// candidate fits the name buffer.
static HANDLE CreateUnfinishedFile(NameRow* row, int32_t* leftover, uint32_t* error) {
    constexpr int32_t LeftoverCandidates = 16;
    for (;;) {
        HANDLE file =
            CreateFileW(row->name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            *error = 0;
            return file;
        }
        *error = GetLastError();
        if (!IsTakenError(*error)) {
            return INVALID_HANDLE_VALUE;
        }
        if (*leftover == DecryptNameNone && row->counter < LeftoverCandidates) {
            DWORD attributes = GetFileAttributesW(row->name);
            if (attributes != INVALID_FILE_ATTRIBUTES &&
                (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                *leftover = CounterOf(row);
            }
        }
        if (!NextCandidate(row)) {
            *error = ERROR_FILENAME_EXCED_RANGE;
            return INVALID_HANDLE_VALUE;
        }
    }
}

// Gives the finished file the first final name no entry holds, a file or a folder, by renames
// that never replace. error as for CreateUnfinishedFile.
static bool PlaceFinishedFile(const wchar_t* unfinished, NameRow* row, uint32_t* error) {
    for (;;) {
        if (MoveFileW(unfinished, row->name)) {
            *error = 0;
            return true;
        }
        *error = GetLastError();
        if (!IsTakenError(*error)) {
            return false;
        }
        if (!NextCandidate(row)) {
            *error = ERROR_FILENAME_EXCED_RANGE;
            return false;
        }
    }
}

// The output read back for the checks that look at an earlier part of it again.
static uint32_t ReadBackAt(void* file, uint64_t offset, uint8_t* bytes, uint32_t count) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD done = 0;
    if (!SetFilePointerEx(static_cast<HANDLE>(file), at, nullptr, FILE_BEGIN) ||
        !ReadFile(static_cast<HANDLE>(file), bytes, count, &done, nullptr)) {
        return 0;
    }
    return done;
}

// The check's verdict on what was fed to it, reading back from the file at path where it must.
static void FinishCheck(OutputCheck* check, const wchar_t* path, CheckReport* report) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    CheckReadBack readBack = {ReadBackAt, file};
    FinishOutputCheck(check, file != INVALID_HANDLE_VALUE ? &readBack : nullptr, report);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
}

// Whether the output's usual name holds exactly what this file decrypts to, as a decryption of
// an earlier run would: compared chunk by chunk, nothing written. On a difference the input and
// the cipher's chain are back at the start, for the decryption to be written.
static DecryptResult CompareWithEarlier(HANDLE input, uint64_t size, const wchar_t* earlier,
                                        DecryptTarget* target, OutputCheck** check) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (size == 0 || !GetFileAttributesExW(earlier, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow) != size) {
        return DecryptDiffers;
    }
    HANDLE compare = CreateFileW(earlier, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (compare == INVALID_HANDLE_VALUE) {
        return DecryptDiffers;
    }
    StreamSink sink = {nullptr, compare, *check};
    uint32_t error = 0;
    DecryptResult result = DecryptStream(input, &sink, size, target->watch, &error);
    CloseHandle(compare);
    if (result == DecryptOk) {
        FinishCheck(*check, earlier, &target->check);
        return DecryptOk;
    }
    if (result == DecryptStopped) {
        return result;
    }
    LARGE_INTEGER start = {};
    SetFilePointerEx(input, start, nullptr, FILE_BEGIN);
    SelectKey(RunState.KeySelector);
    if (*check != nullptr) {
        EndOutputCheck(*check);
        *check = StartOutputCheck(target->checkFormat, size);
    }
    return DecryptDiffers;
}

DecryptResult DecryptCryptFileAs(const wchar_t* path, DecryptTarget* target) {
    target->outputCounter = DecryptNameNone;
    target->leftoverCounter = DecryptNameNone;
    target->check = CheckReport{};
    target->alreadyDecrypted = 0;
    target->systemError = 0;
    uint32_t* systemError = &target->systemError;
    uint32_t capacity = target->pathCapacity < DecryptNameCapacity       ? DecryptNameCapacity
                        : target->pathCapacity > DecryptLongPathCapacity ? DecryptLongPathCapacity
                                                                         : target->pathCapacity;
    // The last '.' of the whole path decides, folder names included, and case counts.
    if (!IsCryptName(path)) {
        return DecryptNotCryptFile;
    }
    if (SelectKey(RunState.KeySelector) == 0) {
        return DecryptNoKey;
    }
    size_t pathLength = std::wcslen(path);
    if (pathLength >= capacity) {
        // No name buffer could hold it: refused before anything exists.
        *systemError = ERROR_FILENAME_EXCED_RANGE;
        return DecryptOpenFailed;
    }
    uint32_t baseLength = static_cast<uint32_t>(pathLength) - CryptExtensionLength;

    HANDLE input = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (input == INVALID_HANDLE_VALUE) {
        *systemError = GetLastError();
        return DecryptOpenFailed;
    }
    // The whole 64-bit size, so files of 4 GiB and more are decrypted in full. One CBC chain runs
    // through the file; every chunk but the last is whole blocks, so the short-tail rule acts
    // only on the file's final bytes.
    LARGE_INTEGER size;
    if (!GetFileSizeEx(input, &size)) {
        *systemError = GetLastError();
        CloseHandle(input);
        return DecryptReadFailed;
    }
    uint64_t bytes = static_cast<uint64_t>(size.QuadPart);
    OutputCheck* check = target->checkFormat != CheckFormatNone
                             ? StartOutputCheck(target->checkFormat, bytes)
                             : nullptr;

    NameRow* final = &FinalRow;
    StartRow(final, capacity, path, baseLength, L"");
    DecryptResult result = target->keepEarlier
                               ? CompareWithEarlier(input, bytes, final->name, target, &check)
                               : DecryptDiffers;
    if (result == DecryptOk || result == DecryptStopped) {
        CloseHandle(input);
        EndOutputCheck(check);
        target->alreadyDecrypted = result == DecryptOk;
        target->outputCounter = result == DecryptOk ? DecryptNameBare : DecryptNameNone;
        return result;
    }

    // ".part" is one character shorter than ".crypt": the first candidate always fits.
    static_assert(UnfinishedTailLength < CryptExtensionLength, "the unfinished name fits");
    NameRow* unfinished = &UnfinishedRow;
    StartRow(unfinished, capacity, path, baseLength, DecryptUnfinishedTail);
    HANDLE file = CreateUnfinishedFile(unfinished, &target->leftoverCounter, systemError);
    if (file == INVALID_HANDLE_VALUE) {
        CloseHandle(input);
        EndOutputCheck(check);
        return DecryptCreateFailed;
    }
    result = DecryptOk;
    if (bytes != 0) {
        StreamSink sink = {file, nullptr, check};
        result = DecryptStream(input, &sink, bytes, target->watch, systemError);
    }
    // On the disk before it takes a name that says it is complete.
    if (result == DecryptOk && !FlushFileBuffers(file)) {
        *systemError = GetLastError();
        result = DecryptWriteFailed;
    }
    CloseHandle(input);
    CloseHandle(file);
    if (result == DecryptOk) {
        FinishCheck(check, unfinished->name, &target->check);
        if (target->check.verdict == CheckFailed && target->dropIfCheckFails) {
            result = DecryptNotKept;
        }
    }
    EndOutputCheck(check);

    if (result == DecryptOk && !PlaceFinishedFile(unfinished->name, final, systemError)) {
        result = DecryptCreateFailed;
    }
    if (result != DecryptOk) {
        DeleteFileW(unfinished->name);
        return result;
    }
    target->outputCounter = CounterOf(final);
    RunState.UnlockedCount += 1;
    return result;
}

DecryptResult DecryptCryptFileTo(const wchar_t* path, const DecryptWatch* watch, wchar_t* output,
                                 uint32_t* systemError) {
    DecryptTarget target = {};
    target.watch = watch;
    target.pathCapacity = DecryptNameCapacity;
    target.checkFormat = CheckFormatNone;
    DecryptResult result = DecryptCryptFileAs(path, &target);
    *systemError = target.systemError;
    output[0] = L'\0';
    if (result == DecryptOk) {
        // The final row still holds the output's path, which fitted its buffer.
        std::memcpy(output, FinalRow.name, (std::wcslen(FinalRow.name) + 1) * sizeof(wchar_t));
    }
    return result;
}

DecryptResult DecryptCryptFile(const wchar_t* path) {
    wchar_t output[DecryptNameCapacity];
    uint32_t systemError;
    return DecryptCryptFileTo(path, nullptr, output, &systemError);
}
