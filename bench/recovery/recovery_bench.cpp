// Times the ".crypt" decryptor on one large file under each cipher, the cipher alone on a buffer
// in memory, and a plain copy of the same file; prints "<name> <MB/s>" lines, each the best of
// several runs, for run-bench.sh.
#include <windows.h>

#include <cstdio>
#include <string>

#include "crypto/blowfish.h"
#include "crypto/des.h"
#include "recovery/decrypt_file.h"
#include "recovery/key_select.h"
#include "recovery/password_key.h"
#include "common/run_state.h"

RunStateRecord RunState; // the engine's shared record, without the unlock run that owns it

constexpr int Runs = 5;
constexpr uint32_t CipherBufferSize = 2u << 20; // the decryptor's largest chunk
static uint8_t CipherBuffer[CipherBufferSize];

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

static void Report(const char* name, double megabytesPerSecond) {
    if (megabytesPerSecond > 0) {
        std::printf("%s %.1f\n", name, megabytesPerSecond);
    } else {
        std::printf("%s failed\n", name);
    }
}

// The decryptor on the whole file, into a new file deleted afterwards; 0 if it failed.
static double FileRate(const std::wstring& input, const std::wstring& output, double megabytes,
                       int32_t selector) {
    RunState.KeySelector = selector;
    double start = Seconds();
    DecryptResult result = DecryptCryptFile(input.c_str());
    double rate = megabytes / (Seconds() - start);
    DeleteFileW(output.c_str());
    return result == DecryptOk ? rate : 0;
}

// The cipher alone, as the decryptor calls it: as many bytes as the file, a largest chunk at a
// time, in place, in one chain.
static double CipherRate(double megabytes, int32_t selector) {
    uint32_t chunks = static_cast<uint32_t>(megabytes * 1e6 / CipherBufferSize) + 1;
    SelectKey(selector);
    double start = Seconds();
    for (uint32_t i = 0; i < chunks; i++) {
        if (selector == KeySelectorPassword) {
            BlowfishCbcDecrypt(&ProcessBlowfish, CipherBuffer, CipherBuffer, CipherBufferSize);
        } else {
            TripleDesCbcDecrypt(CipherBuffer, CipherBuffer, CipherBufferSize);
        }
    }
    return chunks * (CipherBufferSize / 1e6) / (Seconds() - start);
}

// The cipher alone and the file in turn, so that both meet the same load on the machine; the
// best run of each counts.
static void CompareFileWithCipher(const std::wstring& input, const std::wstring& output,
                                  double megabytes, int32_t selector, const char* name) {
    double cipher = 0, file = 0;
    bool failed = false;
    for (int run = 0; run < Runs; run++) {
        double cipherRate = CipherRate(megabytes, selector);
        double fileRate = FileRate(input, output, megabytes, selector);
        failed = failed || fileRate == 0;
        cipher = cipherRate > cipher ? cipherRate : cipher;
        file = fileRate > file ? fileRate : file;
    }
    std::string cipherName = std::string("cipher-") + name, fileName = std::string("file-") + name;
    Report(cipherName.c_str(), cipher);
    Report(fileName.c_str(), failed ? 0 : file);
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

    double copy = 0;
    for (int run = 0; run < Runs; run++) {
        double start = Seconds();
        bool copied = CopyFileW(input.c_str(), output.c_str(), TRUE) != 0;
        double rate = copied ? megabytes / (Seconds() - start) : 0;
        copy = rate > copy ? rate : copy;
        DeleteFileW(output.c_str());
    }
    Report("copy", copy);

    CompareFileWithCipher(input, output, megabytes, 3, "des");
    DerivePasswordKey("benchmark password");
    CompareFileWithCipher(input, output, megabytes, KeySelectorPassword, "bf");
    return 0;
}
