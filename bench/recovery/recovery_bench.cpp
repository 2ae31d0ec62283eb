// Times the ".crypt" decryptor on one large file under each cipher, beside a plain copy of the
// same file, and prints MB/s per line as "<name> <MB/s>" for run-bench.sh.
#include <windows.h>

#include <cstdio>
#include <string>

#include "recovery/decrypt_file.h"
#include "recovery/key_select.h"
#include "recovery/password_key.h"
#include "common/run_state.h"

RunStateRecord RunState; // the engine's shared record, without the unlock run that owns it

static double Seconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

static double FileMegabytes(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<double>(data.nFileSizeHigh) * 4294967296.0 + data.nFileSizeLow) / 1e6;
}

static void Report(const char* name, double megabytes, double seconds, bool ok) {
    if (ok) {
        std::printf("%s %.1f\n", name, megabytes / seconds);
    } else {
        std::printf("%s failed\n", name);
    }
}

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: recovery_bench PATH.crypt\n");
        return 2;
    }
    std::wstring input = argv[1];
    std::wstring output = input.substr(0, input.size() - 6);
    double megabytes = FileMegabytes(input.c_str());
    if (megabytes == 0) {
        std::fprintf(stderr, "no input file\n");
        return 2;
    }

    double start = Seconds();
    bool copied = CopyFileW(input.c_str(), output.c_str(), TRUE) != 0;
    Report("copy", megabytes, Seconds() - start, copied);
    DeleteFileW(output.c_str());

    RunState.KeySelector = 3;
    start = Seconds();
    DecryptResult result = DecryptCryptFile(input.c_str());
    Report("des", megabytes, Seconds() - start, result == DecryptOk);
    DeleteFileW(output.c_str());

    DerivePasswordKey("benchmark password");
    RunState.KeySelector = KeySelectorPassword;
    start = Seconds();
    result = DecryptCryptFile(input.c_str());
    Report("bf", megabytes, Seconds() - start, result == DecryptOk);
    DeleteFileW(output.c_str());
    return 0;
}
