// How long paths read: see unlock/path_text.h.
#include "unlock/path_text.h"

#include <initializer_list>

namespace {

const wchar_t LongPrefix[] = L"\\\\?\\";
const wchar_t LongUncPrefix[] = L"\\\\?\\UNC\\";

size_t PrefixLength(const wchar_t* text, const wchar_t* prefix) {
    size_t i = 0;
    for (; prefix[i] != L'\0'; ++i) {
        if (text[i] != prefix[i]) {
            return 0;
        }
    }
    return i;
}

// out := first + second, cut to capacity.
void JoinCut(wchar_t* out, size_t capacity, const wchar_t* first, const wchar_t* second) {
    if (capacity == 0) {
        return;
    }
    size_t length = 0;
    for (const wchar_t* part : {first, second}) {
        for (size_t i = 0; part[i] != L'\0' && length + 1 < capacity; ++i) {
            out[length++] = part[i];
        }
    }
    out[length] = L'\0';
}

} // namespace

const wchar_t* ShownPath(const wchar_t* directory) {
    for (size_t i = 0; directory[i] != L'\0'; ++i) {
        if (directory[i] == L':') {
            return i > 0 ? directory + i - 1 : directory;
        }
    }
    return directory;
}

const wchar_t* FinalNameOf(const wchar_t* path) {
    const wchar_t* name = path;
    for (const wchar_t* c = path; *c != L'\0'; ++c) {
        if (*c == L'\\') {
            name = c + 1;
        }
    }
    return name;
}

void DisplayedPath(const wchar_t* longPath, wchar_t* out, size_t capacity) {
    if (size_t unc = PrefixLength(longPath, LongUncPrefix)) {
        JoinCut(out, capacity, L"\\\\", longPath + unc);
        return;
    }
    size_t prefix = PrefixLength(longPath, LongPrefix);
    const wchar_t* rest = longPath + prefix;
    // A drive's start directory \\?\D: is its root, D:\.
    bool driveOnly = prefix != 0 && rest[0] != L'\0' && rest[1] == L':' && rest[2] == L'\0';
    JoinCut(out, capacity, rest, driveOnly ? L"\\" : L"");
}
