#include "bench/bench_files.h"

#include <windows.h>

#include <cwchar>

std::vector<std::wstring> FileNamesIn(const std::wstring& folder, const wchar_t* pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE listing = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
    if (listing != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                names.push_back(found.cFileName);
            }
        } while (FindNextFileW(listing, &found));
        FindClose(listing);
    }
    return names;
}

bool EndsWithCrypt(const std::wstring& name) {
    return name.size() >= 6 && _wcsicmp(name.c_str() + name.size() - 6, L".crypt") == 0;
}

int RemoveOutputs(const std::wstring& folder) {
    int removed = 0;
    for (const std::wstring& name : FileNamesIn(folder)) {
        if (!EndsWithCrypt(name)) {
            removed += DeleteFileW((folder + L"\\" + name).c_str()) ? 1 : 0;
        }
    }
    return removed;
}
