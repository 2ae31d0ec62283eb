// A folder of .crypt files decrypted by rescindo-cli decrypt --auto beside a copy of the same
// folder (CopyFileW of each file into a fresh folder): the floor of what decrypting a folder can
// cost is reading every byte and writing it once. Both run as processes of their own, in turn, the
// best of several runs each; prints "copy <s>", "decrypt <s>" and "ratio <copy s / decrypt s>".
//   folder_bench.exe FOLDER RESCINDO-CLI.EXE [RUNS]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench/bench_files.h"

namespace {

double Seconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void RemoveFolder(const std::wstring& folder) {
    for (const std::wstring& name : FileNamesIn(folder)) {
        DeleteFileW((folder + L"\\" + name).c_str());
    }
    RemoveDirectoryW(folder.c_str());
}

// The copy: a program of this benchmark's own, started as the decryption is.
int CopyFolder(const std::wstring& from, const std::wstring& to) {
    CreateDirectoryW(to.c_str(), nullptr);
    int failed = 0;
    for (const std::wstring& name : FileNamesIn(from, L"*.crypt")) {
        failed += !CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), TRUE);
    }
    return failed;
}

// Runs the command line and returns its seconds, or a negative number when it failed.
double TimeProcess(const std::wstring& commandLine) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
    startup.hStdOutput = nul;
    startup.hStdError = nul;
    startup.hStdInput = nul;
    PROCESS_INFORMATION process;
    std::wstring line = commandLine;
    double start = Seconds();
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        CloseHandle(nul);
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    double took = Seconds() - start;
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(nul);
    return exitCode == 0 ? took : -1;
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: folder_bench FOLDER RESCINDO-CLI.EXE [RUNS]\n");
        return 2;
    }
    std::wstring folder = argv[1];
    std::wstring program = argv[2];
    int runs = argc > 3 ? _wtoi(argv[3]) : 3;
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, &self[0], MAX_PATH));
    if (self.compare(0, 5, L"unix\\") == 0) {
        self = L"\\\\?\\" + self; // how Wine names a program started from outside its drives
    }
    if (argc == 5 && std::wstring(argv[4]) == L"--copy-into") {
        return CopyFolder(folder, program); // the copying process: FOLDER TARGET RUNS --copy-into
    }
    std::wstring target = folder + L"-copy";
    double copy = 1e9, decrypt = 1e9;
    int failures = 0;
    for (int run = 0; run < runs; ++run) {
        double copied = TimeProcess(Quoted(self) + L" " + Quoted(folder) + L" " + Quoted(target) +
                                    L" 1 --copy-into");
        RemoveFolder(target);
        double decrypted =
            TimeProcess(Quoted(program) + L" decrypt --auto --quiet " + Quoted(folder));
        RemoveOutputs(folder);
        failures += copied < 0 || decrypted < 0;
        copy = copied >= 0 && copied < copy ? copied : copy;
        decrypt = decrypted >= 0 && decrypted < decrypt ? decrypted : decrypt;
    }
    std::printf("copy %.3f\ndecrypt %.3f\nratio %.3f\n", copy, decrypt, copy / decrypt);
    return failures == 0 ? 0 : 1;
}
