// Long forms and name comparison: see unlock/path_forms.h.
#include "unlock/path_forms.h"

#include <windows.h>
#include <initializer_list>

namespace {

const wchar_t LongPrefix[] = L"\\\\?\\";
const wchar_t LongUncPrefix[] = L"\\\\?\\UNC\\";
const size_t LongPrefixLength = 4;
const size_t LongUncPrefixLength = 8;

bool StartsWith(const wchar_t* text, const wchar_t* start) {
    for (size_t i = 0; start[i] != L'\0'; ++i) {
        if (text[i] != start[i]) {
            return false;
        }
    }
    return true;
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// out := first + second; false when that does not fit capacity.
bool Join(wchar_t* out, size_t capacity, const wchar_t* first, const wchar_t* second) {
    size_t length = 0;
    for (const wchar_t* part : {first, second}) {
        for (size_t i = 0; part[i] != L'\0'; ++i) {
            if (length + 1 >= capacity) {
                return false;
            }
            out[length++] = part[i];
        }
    }
    out[length] = L'\0';
    return true;
}

// out += tail; false when that does not fit capacity.
bool Append(wchar_t* out, size_t capacity, const wchar_t* tail) {
    size_t length = 0;
    while (out[length] != L'\0') {
        ++length;
    }
    return Join(out + length, capacity - length, tail, L"");
}

// Where the run of spaces and dots that ends the final name of a typed path begins; length when
// there is none to keep: no such run, or a final name made of nothing else (".", "..").
size_t KeptTailStart(const wchar_t* typed, size_t length) {
    size_t nameStart = length;
    while (nameStart > 0 && typed[nameStart - 1] != L'\\' && typed[nameStart - 1] != L':') {
        --nameStart;
    }
    size_t tail = length;
    while (tail > nameStart && (typed[tail - 1] == L' ' || typed[tail - 1] == L'.')) {
        --tail;
    }
    return tail == nameStart ? length : tail;
}

// \\?\X: and below, or \\?\UNC\server\share and below: the forms the walk and the journal know.
// Sets shareRoot when the path is a share itself.
bool IsWalkableForm(const wchar_t* path, size_t length, int32_t* shareRoot) {
    *shareRoot = 0;
    if (length >= 6 && StartsWith(path, LongPrefix) && IsDriveLetter(path[4]) && path[5] == L':') {
        return length == 6 || path[6] == L'\\';
    }
    if (!StartsWith(path, LongUncPrefix)) {
        return false;
    }
    size_t server = LongUncPrefixLength;
    while (server < length && path[server] != L'\\') {
        ++server;
    }
    if (server == length || server == LongUncPrefixLength || server + 1 >= length) {
        return false;
    }
    size_t share = server + 1;
    while (share < length && path[share] != L'\\') {
        ++share;
    }
    *shareRoot = share == length ? 1 : 0;
    return true;
}

} // namespace

LongFormResult LongFormOf(const wchar_t* path, wchar_t* out, size_t capacity, int32_t* shareRoot,
                          uint32_t* systemError) {
    *shareRoot = 0;
    *systemError = 0;
    if (capacity == 0) {
        return LongFormTooLong;
    }
    out[0] = L'\0';
    if (StartsWith(path, LongPrefix)) {
        // Taken literally, as the walk takes it: trailing spaces stay.
        if (!Join(out, capacity, path, L"")) {
            return LongFormTooLong;
        }
    } else {
        // The working copy with forward slashes turned, and "D:" alone meaning that drive's root
        // rather than the current folder there; one character more than the walk's longest path.
        wchar_t typed[MAX_PATH * 4 + 2];
        size_t length = 0;
        for (; path[length] != L'\0'; ++length) {
            if (length + 2 >= sizeof typed / sizeof typed[0]) {
                return LongFormTooLong;
            }
            typed[length] = path[length] == L'/' ? L'\\' : path[length];
        }
        typed[length] = L'\0';
        if (StartsWith(typed, L"\\\\.\\")) {
            return LongFormDevice;
        }
        if (length == 2 && IsDriveLetter(typed[0]) && typed[1] == L':') {
            typed[length++] = L'\\';
            typed[length] = L'\0';
        }
        // The system drops the spaces and dots that end a path's final name, and a damaged name
        // ends in a space: they are set aside and put back after the full path is made.
        size_t kept = KeptTailStart(typed, length);
        wchar_t tail[MAX_PATH * 4 + 2];
        Join(tail, sizeof tail / sizeof tail[0], typed + kept, L"");
        typed[kept] = L'\0';
        wchar_t full[MAX_PATH * 4 + 2];
        DWORD fullLength = GetFullPathNameW(typed, sizeof full / sizeof full[0], full, nullptr);
        if (fullLength == 0) {
            *systemError = GetLastError();
            return LongFormRefused;
        }
        if (fullLength >= sizeof full / sizeof full[0]) {
            return LongFormTooLong;
        }
        bool unc = full[0] == L'\\' && full[1] == L'\\';
        if (!Join(out, capacity, unc ? LongUncPrefix : LongPrefix, unc ? full + 2 : full) ||
            !Append(out, capacity, tail)) {
            return LongFormTooLong;
        }
    }
    size_t length = 0;
    while (out[length] != L'\0') {
        ++length;
    }
    while (length > 6 && out[length - 1] == L'\\') {
        out[--length] = L'\0';
    }
    if (!IsWalkableForm(out, length, shareRoot)) {
        return LongFormNotOnDrive;
    }
    return LongFormMade;
}

int LiesWithin(const wchar_t* inner, const wchar_t* outer) {
    int outerLength = lstrlenW(outer);
    int innerLength = lstrlenW(inner);
    if (innerLength < outerLength || (innerLength > outerLength && inner[outerLength] != L'\\')) {
        return 0;
    }
    return CompareStringOrdinal(inner, outerLength, outer, outerLength, TRUE) == CSTR_EQUAL;
}

int CaseKeyOf(const wchar_t* text, wchar_t* key, size_t capacity) {
    if (capacity == 0) {
        return 0;
    }
    size_t length = 0;
    while (text[length] != L'\0') {
        if (length + 1 >= capacity) {
            return 0;
        }
        ++length;
    }
    // Should the mapping fail, the text itself: names then compare as they are written.
    if (length == 0 ||
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text, static_cast<int>(length), key,
                      static_cast<int>(length), nullptr, nullptr, 0) != static_cast<int>(length)) {
        for (size_t i = 0; i < length; ++i) {
            key[i] = text[i];
        }
    }
    key[length] = L'\0';
    return 1;
}
