#include "tests/gui/test_tree.h"

#include <windows.h>

namespace {
std::wstring LongPath(const std::wstring& path) {
    return L"\\\\?\\" + path;
}

std::wstring LastName(const std::wstring& path) {
    return path.substr(path.find_last_of(L'\\') + 1);
}
} // namespace

bool MakeFolder(const std::wstring& path) {
    return CreateDirectoryW(LongPath(path).c_str(), nullptr) != 0;
}

bool MakeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    std::wstring content = LastName(path);
    DWORD written = 0;
    DWORD bytes = static_cast<DWORD>(content.size() * sizeof(wchar_t));
    BOOL ok = WriteFile(file, content.data(), bytes, &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring ReadContent(const std::wstring& path) {
    HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return L"<missing>";
    }
    wchar_t buffer[512];
    DWORD read = 0;
    ReadFile(file, buffer, sizeof(buffer), &read, nullptr);
    CloseHandle(file);
    return std::wstring(buffer, read / sizeof(wchar_t));
}
