#include "tests/support/failing_file_calls.h"

#include "tests/support/import_hook.h"

namespace {

int ReadsBeforeFailure = -1;
DWORD ReadError;
decltype(&ReadFile) SystemReadFile;
int WritesBeforeFailure = -1;
DWORD WriteError;
decltype(&WriteFile) SystemWriteFile;

BOOL WINAPI ReadThenFail(HANDLE file, LPVOID data, DWORD size, LPDWORD got,
                         LPOVERLAPPED overlapped) {
    if (ReadsBeforeFailure-- == 0) {
        if (got != nullptr) {
            *got = 0;
        }
        SetLastError(ReadError);
        return FALSE;
    }
    return SystemReadFile(file, data, size, got, overlapped);
}

BOOL WINAPI WriteThenFail(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                          LPOVERLAPPED overlapped) {
    if (WritesBeforeFailure-- == 0) {
        if (written != nullptr) {
            *written = 0;
        }
        SetLastError(WriteError);
        return FALSE;
    }
    return SystemWriteFile(file, data, size, written, overlapped);
}

} // namespace

bool FailReadFileAfter(int successfulCalls, DWORD error) {
    ReadsBeforeFailure = successfulCalls;
    ReadError = error;
    void* system =
        ReplaceImport("kernel32.dll", "ReadFile", reinterpret_cast<void*>(&ReadThenFail));
    if (system != reinterpret_cast<void*>(&ReadThenFail)) {
        SystemReadFile = reinterpret_cast<decltype(&ReadFile)>(system);
    }
    return system != nullptr;
}

void StopFailingReadFile() {
    if (SystemReadFile != nullptr) {
        ReplaceImport("kernel32.dll", "ReadFile", reinterpret_cast<void*>(SystemReadFile));
    }
    ReadsBeforeFailure = -1;
}

bool FailWriteFileAfter(int successfulCalls, DWORD error) {
    WritesBeforeFailure = successfulCalls;
    WriteError = error;
    void* system =
        ReplaceImport("kernel32.dll", "WriteFile", reinterpret_cast<void*>(&WriteThenFail));
    if (system != reinterpret_cast<void*>(&WriteThenFail)) {
        SystemWriteFile = reinterpret_cast<decltype(&WriteFile)>(system);
    }
    return system != nullptr;
}

void StopFailingWriteFile() {
    if (SystemWriteFile != nullptr) {
        ReplaceImport("kernel32.dll", "WriteFile", reinterpret_cast<void*>(SystemWriteFile));
    }
    WritesBeforeFailure = -1;
}
