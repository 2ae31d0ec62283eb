// From what a user typed to the folders the walk starts in.
#include "cli/scope.h"
#include "unlock/path_forms.h"
#include "unlock/searched_drive.h"
#include "unlock/walk_limits.h"
#include <windows.h>

int ResolveEntry(const std::wstring& typed, const wchar_t* sought, std::wstring* resolved,
                 int* isFolder, std::wstring* reason, size_t longest) {
    // Room for any path taken and more, so that a longer one is told as too long.
    std::wstring full(2 * (longest + 1), L'\0');
    int32_t shareRoot = 0;
    uint32_t error = 0;
    switch (LongFormOf(typed.c_str(), &full[0], full.size(), &shareRoot, &error)) {
    case LongFormMade:
        break;
    case LongFormDevice:
        *reason = L"a device, not a folder: " + typed;
        return 0;
    case LongFormRefused:
        *reason = L"not a path (error " + std::to_wstring(error) + L"): " + typed;
        return 0;
    case LongFormNotOnDrive:
        *reason = L"not on a drive or a network share: " + typed;
        return 0;
    case LongFormTooLong:
        full.clear();
        break;
    }
    full.resize(lstrlenW(full.c_str()));
    // Longer than any path of the walk; one a little shorter, whose listings do not fit, is
    // walked as far as it goes: reported as not searched.
    if (full.empty() || full.size() > longest) {
        *reason = L"path longer than " + std::to_wstring(longest) + L" characters: " + typed;
        return 0;
    }
    std::wstring probe = full + (full.back() == L':' || shareRoot ? L"\\" : L"");
    DWORD attributes = GetFileAttributesW(probe.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = GetLastError();
        bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                       error == ERROR_INVALID_NAME || error == ERROR_INVALID_DRIVE ||
                       error == ERROR_BAD_NETPATH || error == ERROR_BAD_NET_NAME ||
                       error == ERROR_NOT_READY;
        *reason = missing ? std::wstring(L"no such ") + sought + L": " + typed
                          : L"cannot reach (error " + std::to_wstring(error) + L"): " + typed;
        return 0;
    }
    *isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
    *resolved = full;
    return 1;
}

int ResolveFolder(const std::wstring& typed, std::wstring* directory, std::wstring* reason) {
    int isFolder = 0;
    std::wstring path;
    if (!ResolveEntry(typed, L"folder", &path, &isFolder, reason)) {
        return 0;
    }
    if (!isFolder) {
        *reason = L"a file, not a folder: " + typed;
        return 0;
    }
    *directory = path;
    return 1;
}

int ResolveScopes(const std::vector<std::wstring>& typed, std::vector<std::wstring>* directories,
                  std::wstring* reason) {
    std::vector<std::wstring> resolved;
    for (const std::wstring& path : typed) {
        std::wstring directory;
        if (!ResolveFolder(path, &directory, reason)) {
            return 0;
        }
        resolved.push_back(directory);
    }
    directories->clear();
    for (size_t i = 0; i < resolved.size(); ++i) {
        bool covered = false;
        for (size_t k = 0; k < resolved.size() && !covered; ++k) {
            if (k == i || !LiesWithin(resolved[i].c_str(), resolved[k].c_str())) {
                continue;
            }
            // Of two equal folders the first is kept; a folder inside another is dropped.
            covered = resolved[i].size() > resolved[k].size() || k < i;
        }
        if (!covered) {
            directories->push_back(resolved[i]);
        }
    }
    return 1;
}

int ChooseScopes(const std::vector<std::wstring>& typed, std::vector<std::wstring>* directories,
                 std::wstring* reason) {
    if (typed.empty()) {
        *directories = SearchedDriveScopes();
        return 1;
    }
    return ResolveScopes(typed, directories, reason);
}

std::vector<std::wstring> SearchedDriveScopes() {
    SearchedDrive drives[32];
    int count = ListSearchedDrives(drives);
    std::vector<std::wstring> scopes;
    for (int i = 0; i < count; ++i) {
        scopes.push_back(drives[i].startDirectory);
    }
    return scopes;
}
