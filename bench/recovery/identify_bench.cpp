// Times key identification of every ".crypt" file in a folder beside decrypting them all under the
// keys found, and prints "<name> <value>" lines for run-identify-bench.sh.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "recovery/decrypt_file.h"
#include "recovery/key_files.h"
#include "recovery/key_select.h"
#include "common/run_state.h"

RunStateRecord RunState; // the engine's shared record, without the unlock run that owns it

static double Seconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: identify_bench FOLDER\n");
        return 2;
    }
    std::wstring folder = std::wstring(argv[1]) + L"\\";
    std::vector<std::wstring> paths;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"*.crypt").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "no .crypt files\n");
        return 2;
    }
    do {
        paths.push_back(folder + entry.cFileName);
    } while (FindNextFileW(search, &entry));
    FindClose(search);

    std::vector<int32_t> keys(paths.size(), KeySelectorNone);
    double start = Seconds();
    for (size_t i = 0; i < paths.size(); ++i) {
        KeyMatch match;
        if (IdentifyCryptFileKey(paths[i].c_str(), 0, &match) == KeyFound) {
            keys[i] = match.selector;
        }
    }
    double identify = Seconds() - start;

    int decrypted = 0;
    start = Seconds();
    for (size_t i = 0; i < paths.size(); ++i) {
        RunState.KeySelector = keys[i];
        decrypted += DecryptCryptFile(paths[i].c_str()) == DecryptOk;
    }
    double decrypt = Seconds() - start;
    for (const std::wstring& path : paths) {
        DeleteFileW(path.substr(0, path.size() - 6).c_str());
    }

    int identified = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        identified += keys[i] != KeySelectorNone;
        std::printf("key %ls %d\n", paths[i].c_str() + folder.size(), keys[i]);
    }
    std::printf("files %d\nidentified %d\ndecrypted %d\n", static_cast<int>(paths.size()),
                identified, decrypted);
    std::printf("identify %.6f\ndecrypt %.6f\n", identify, decrypt);
    return 0;
}
