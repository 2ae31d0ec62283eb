// From what a user typed to the folders the walk starts in.
#include "cli/scope.h"
#include "unlock/searched_drive.h"
#include "unlock/walk_limits.h"
#include <windows.h>

namespace {

const wchar_t LongPrefix[] = L"\\\\?\\";
const wchar_t LongUncPrefix[] = L"\\\\?\\UNC\\";

bool StartsWith(const std::wstring& text, const wchar_t* start) {
    return text.compare(0, lstrlenW(start), start) == 0;
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// \\?\X: and below, or \\?\UNC\server\share and below: the forms the walk and the journal know.
// Sets shareRoot when the path is a share itself, which is opened with a trailing separator.
bool IsWalkableForm(const std::wstring& path, bool* shareRoot) {
    *shareRoot = false;
    if (path.size() >= 6 && StartsWith(path, LongPrefix) && IsDriveLetter(path[4]) &&
        path[5] == L':') {
        return path.size() == 6 || path[6] == L'\\';
    }
    if (!StartsWith(path, LongUncPrefix)) {
        return false;
    }
    size_t server = path.find(L'\\', 8);
    if (server == std::wstring::npos || server == 8 || server + 1 >= path.size()) {
        return false;
    }
    *shareRoot = path.find(L'\\', server + 1) == std::wstring::npos;
    return true;
}

std::wstring FullPathOf(const std::wstring& path, DWORD* error) {
    *error = 0;
    DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        *error = GetLastError();
        return L"";
    }
    std::wstring full(needed, L'\0');
    DWORD length = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
    if (length == 0 || length >= needed) {
        *error = length == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER;
        return L"";
    }
    full.resize(length);
    return full;
}

} // namespace

int LiesWithin(const std::wstring& inner, const std::wstring& outer) {
    if (inner.size() < outer.size() ||
        (inner.size() > outer.size() && inner[outer.size()] != L'\\')) {
        return 0;
    }
    return CompareStringOrdinal(inner.c_str(), static_cast<int>(outer.size()), outer.c_str(),
                                static_cast<int>(outer.size()), TRUE) == CSTR_EQUAL;
}

int ResolveEntry(const std::wstring& typed, const wchar_t* sought, std::wstring* resolved,
                 int* isFolder, std::wstring* reason) {
    std::wstring full;
    if (StartsWith(typed, LongPrefix)) {
        full = typed; // taken literally, as the walk takes it: trailing spaces stay
    } else {
        std::wstring path = typed;
        for (wchar_t& c : path) {
            c = c == L'/' ? L'\\' : c;
        }
        if (StartsWith(path, L"\\\\.\\")) {
            *reason = L"a device, not a folder: " + typed;
            return 0;
        }
        // "D:" alone means the drive's root here, not the current folder on that drive.
        if (path.size() == 2 && IsDriveLetter(path[0]) && path[1] == L':') {
            path += L'\\';
        }
        DWORD error;
        full = FullPathOf(path, &error);
        if (full.empty()) {
            *reason = L"not a path (error " + std::to_wstring(error) + L"): " + typed;
            return 0;
        }
        full = StartsWith(full, L"\\\\") ? LongUncPrefix + full.substr(2) : LongPrefix + full;
    }
    while (full.size() > 6 && full.back() == L'\\') {
        full.pop_back();
    }
    bool shareRoot;
    if (!IsWalkableForm(full, &shareRoot)) {
        *reason = L"not on a drive or a network share: " + typed;
        return 0;
    }
    // The walk appends a separator and at least "*.*" to every folder it lists.
    if (full.size() + 5 > WalkPathCapacity) {
        *reason =
            L"path longer than " + std::to_wstring(WalkPathCapacity - 6) + L" characters: " + typed;
        return 0;
    }
    std::wstring probe = full + (full.back() == L':' || shareRoot ? L"\\" : L"");
    DWORD attributes = GetFileAttributesW(probe.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
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
            if (k == i || !LiesWithin(resolved[i], resolved[k])) {
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
    std::vector<std::wstring> scopes;
    DWORD mask = GetLogicalDrives();
    for (int bit = 0; bit < 32; ++bit) {
        SearchedDrive drive;
        if (CheckDrive(mask, bit, &drive)) {
            scopes.push_back(drive.startDirectory);
        }
    }
    return scopes;
}

std::wstring DisplayedPath(const std::wstring& longPath) {
    if (StartsWith(longPath, LongUncPrefix)) {
        return L"\\\\" + longPath.substr(8);
    }
    if (!StartsWith(longPath, LongPrefix)) {
        return longPath;
    }
    // A drive's start directory \\?\D: is its root, D:\ (D: alone is the current folder there).
    return longPath.size() == 6 ? longPath.substr(4) + L"\\" : longPath.substr(4);
}
