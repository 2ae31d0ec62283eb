#include "tests/decrypt_app/crypt_files.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/support/scratch_tree.h"
#include "tests/support/wide_text.h"

const DecryptFixture& FixtureNamed(const char* name) {
    for (uint32_t i = 0; i < DecryptFixtureCount; ++i) {
        if (std::strcmp(DecryptFixtures[i].name, name) == 0) {
            return DecryptFixtures[i];
        }
    }
    // A name the generator does not make is a mistake in the test itself.
    std::abort();
}

std::string PlainOf(const DecryptFixture& fixture) {
    return std::string(reinterpret_cast<const char*>(fixture.plain), fixture.size);
}

std::wstring NameOf(const DecryptFixture& fixture) {
    return WideOf(fixture.name);
}

std::wstring PlaceCrypt(const std::wstring& folder, const char* name) {
    const DecryptFixture& fixture = FixtureNamed(name);
    std::wstring path = folder + L"\\" + NameOf(fixture) + L".crypt";
    WriteWhole(path, std::string(reinterpret_cast<const char*>(fixture.cipher), fixture.size));
    return path;
}

bool MakeLargeFile(const std::wstring& path, int64_t size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER end;
    end.QuadPart = size;
    bool made = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return made;
}

int64_t SizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return -1;
    }
    return static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

std::wstring NamesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE listing = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (listing != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") {
                names.push_back(name);
            }
        } while (FindNextFileW(listing, &found));
        FindClose(listing);
    }
    std::sort(names.begin(), names.end());
    std::wstring list;
    for (const std::wstring& name : names) {
        list += (list.empty() ? L"" : L" | ") + name;
    }
    return list;
}

std::wstring WideOf(const std::string& utf8) {
    int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0],
                            length);
    }
    return text;
}
