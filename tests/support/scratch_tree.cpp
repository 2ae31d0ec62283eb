// Files and folders on the test drives: see tests/support/scratch_tree.h.
#include "tests/support/scratch_tree.h"

#include "tests/support/wide_text.h"

#include <windows.h>
#include <algorithm>
#include <vector>

namespace {

bool IsDrivePath(const std::wstring& path) {
    return path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
}

std::wstring Long(const std::wstring& path) {
    return IsDrivePath(path) ? L"\\\\?\\" + path : path;
}

// The entries of a folder but "." and "..", with their attributes.
std::vector<WIN32_FIND_DATAW> Entries(const std::wstring& folder) {
    std::vector<WIN32_FIND_DATAW> entries;
    WIN32_FIND_DATAW found;
    std::wstring pattern = Long(folder);
    pattern += pattern.empty() || pattern.back() != L'\\' ? L"\\*" : L"*";
    HANDLE listing = FindFirstFileW(pattern.c_str(), &found);
    if (listing == INVALID_HANDLE_VALUE) {
        return entries;
    }
    do {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") {
            entries.push_back(found);
        }
    } while (FindNextFileW(listing, &found));
    FindClose(listing);
    return entries;
}

void AddSnapshot(const std::wstring& root, const std::wstring& relative,
                 std::map<std::wstring, std::string>* entries) {
    for (const WIN32_FIND_DATAW& found : Entries(root + relative)) {
        std::wstring path = relative + L"\\" + found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            (*entries)[path] = "<folder>";
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                AddSnapshot(root, path, entries);
            }
        } else {
            (*entries)[path] = ReadWhole(root + path);
        }
    }
}

} // namespace

bool MakeFolder(const std::wstring& path) {
    return CreateDirectoryW(Long(path).c_str(), nullptr) != 0;
}

std::wstring MakeNestedFolders(const std::wstring& parent, const std::wstring& name, int levels) {
    const std::wstring chain = Long(parent + L"\\" + name);
    const std::wstring top = Long(parent + L"\\" + name + L".top");
    if (!CreateDirectoryW(chain.c_str(), nullptr)) {
        return L"";
    }
    for (int level = 2; level <= levels; ++level) {
        if (!CreateDirectoryW(top.c_str(), nullptr) ||
            !MoveFileW(chain.c_str(), (top + L"\\" + name).c_str()) ||
            !MoveFileW(top.c_str(), chain.c_str())) {
            return L"";
        }
    }
    std::wstring deepest = chain;
    for (int level = 2; level <= levels; ++level) {
        deepest += L"\\" + name;
    }
    return deepest;
}

bool RemoveNestedFolders(const std::wstring& parent, const std::wstring& name, int levels) {
    const std::wstring chain = Long(parent + L"\\" + name);
    const std::wstring rest = Long(parent + L"\\" + name + L".rest");
    for (int level = levels; level >= 2; --level) {
        if (!MoveFileW((chain + L"\\" + name).c_str(), rest.c_str()) ||
            !RemoveDirectoryW(chain.c_str()) || !MoveFileW(rest.c_str(), chain.c_str())) {
            return false;
        }
    }
    return RemoveDirectoryW(chain.c_str()) != 0;
}

bool WriteWhole(const std::wstring& path, const void* data, size_t size) {
    HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool ok = size == 0 || (WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) &&
                            written == size);
    CloseHandle(file);
    return ok;
}

bool WriteWhole(const std::wstring& path, const std::string& data) {
    return WriteWhole(path, data.data(), data.size());
}

bool MakeFileOfSize(const std::wstring& path, size_t size) {
    return WriteWhole(path, std::string(size, 'r'));
}

bool MakeFileHoldingItsPath(const std::wstring& path) {
    return WriteWhole(path, Utf8(path));
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(Long(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadWhole(const std::wstring& path, std::string* contents) {
    HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    contents->clear();
    std::vector<char> buffer(65536);
    DWORD got = 0;
    while (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) &&
           got != 0) {
        contents->append(buffer.data(), got);
    }
    CloseHandle(file);
    return true;
}

std::string ReadWhole(const std::wstring& path) {
    std::string contents;
    return ReadWhole(path, &contents) ? contents : "<missing>";
}

std::wstring ListFolder(const std::wstring& folder) {
    std::vector<std::wstring> names;
    for (const WIN32_FIND_DATAW& found : Entries(folder)) {
        names.push_back(found.cFileName);
    }
    std::sort(names.begin(), names.end());
    std::wstring joined;
    for (const std::wstring& name : names) {
        joined += (joined.empty() ? L"" : L"|") + name;
    }
    return joined;
}

std::map<std::wstring, std::string> Snapshot(const std::wstring& root) {
    std::map<std::wstring, std::string> entries;
    AddSnapshot(root, L"", &entries);
    return entries;
}

void ClearFolder(const std::wstring& path) {
    std::wstring folder = Long(path);
    if (!folder.empty() && folder.back() == L'\\') {
        folder.pop_back();
    }
    for (const WIN32_FIND_DATAW& found : Entries(folder)) {
        std::wstring entry = folder + L"\\" + found.cFileName;
        SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A link is removed, not followed; the length bound ends any loop the platform
            // does not show as a link.
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && entry.size() < 1100) {
                ClearFolder(entry);
            }
            RemoveDirectoryW(entry.c_str());
        } else {
            DeleteFileW(entry.c_str());
        }
    }
}

void ClearTestDrives() {
    ClearFolder(L"\\\\?\\D:");
    ClearFolder(L"\\\\?\\E:");
    ClearFolder(L"\\\\?\\F:");
}

std::wstring MakeScratchFolder(const wchar_t* name) {
    std::wstring folder = std::wstring(L"d:\\") + name;
    ClearFolder(folder);
    MakeFolder(folder);
    return folder + L"\\";
}

std::wstring RecycleBinFiles() {
    wchar_t data[1024];
    DWORD length = GetEnvironmentVariableW(L"XDG_DATA_HOME", data, 1024);
    std::wstring folder = L"\\\\?\\unix" + std::wstring(data, length < 1024 ? length : 0);
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    return folder + L"\\Trash\\files";
}
