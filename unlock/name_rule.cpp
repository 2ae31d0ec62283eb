// The damaged-name rule: the pattern, the test and the cut.
#include "unlock/name_rule.h"

const wchar_t SuffixPattern[] = L"* *-* ";

namespace {

size_t FinalNameStart(const wchar_t* path, size_t* length) {
    size_t nameStart = 0;
    size_t i = 0;
    for (; path[i] != L'\0'; ++i) {
        if (path[i] == L'\\') {
            nameStart = i + 1;
        }
    }
    *length = i;
    return nameStart;
}

wchar_t AsciiUpper(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool IsAsciiLetter(wchar_t c) {
    wchar_t upper = AsciiUpper(c);
    return upper >= L'A' && upper <= L'Z';
}

bool CharacterCouldMatch(wchar_t nameCharacter, wchar_t patternCharacter) {
    if (AsciiUpper(nameCharacter) == AsciiUpper(patternCharacter)) {
        return true;
    }
    return nameCharacter > 0x7F && IsAsciiLetter(patternCharacter);
}

} // namespace

int NameCouldMatch(const wchar_t* name, const wchar_t* pattern) {
    // Backtracking over the last '*' only: enough for any pattern, in time linear per star.
    const wchar_t* star = nullptr;
    const wchar_t* resume = nullptr;
    while (*name != L'\0') {
        if (*pattern == L'*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == L'?' ||
                   (*pattern != L'\0' && CharacterCouldMatch(*name, *pattern))) {
            ++pattern;
            ++name;
        } else if (star != nullptr) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return 0;
        }
    }
    while (*pattern == L'*' || *pattern == L'?') {
        ++pattern;
    }
    return *pattern == L'\0' ? 1 : 0;
}

int CarriesDamageSuffix(const wchar_t* path) {
    size_t length = 0;
    size_t nameStart = FinalNameStart(path, &length);
    if (length < nameStart + 3 || path[length - 1] != L' ') {
        return 0;
    }
    // The first '*' takes the shortest run: the first space of the name, then a hyphen after it
    // and before the final space.
    size_t at = nameStart;
    while (path[at] != L' ') {
        ++at;
    }
    for (++at; at < length - 1; ++at) {
        if (path[at] == L'-') {
            return 1;
        }
    }
    return 0;
}

int CutRestoredName(const wchar_t* path, wchar_t* restored, size_t capacity) {
    if (capacity == 0) {
        return 0;
    }
    restored[0] = L'\0';
    size_t length = 0;
    while (path[length] != L'\0') {
        if (length + 1 >= capacity) {
            return 0;
        }
        ++length;
    }
    size_t nameStart = 0;
    for (size_t i = 0; i < length; ++i) {
        if (path[i] == L'\\') {
            nameStart = i + 1;
        }
    }
    // Both cuts must fall inside the final name.
    size_t end = length;
    for (int cut = 0; cut < 2; ++cut) {
        while (end > nameStart && path[end - 1] != L' ') {
            --end;
        }
        if (end == nameStart) {
            return 0;
        }
        --end; // drop the space itself
    }
    size_t nameLength = end - nameStart;
    const wchar_t* name = path + nameStart;
    if (nameLength == 0 || (nameLength == 1 && name[0] == L'.') ||
        (nameLength == 2 && name[0] == L'.' && name[1] == L'.')) {
        return 0;
    }
    for (size_t i = 0; i < end; ++i) {
        restored[i] = path[i];
    }
    restored[end] = L'\0';
    return 1;
}

namespace {

// Where the copy's number goes in the final name: before its last dot, for a file whose name
// does not begin with that dot; at the end otherwise.
size_t NumberPosition(const wchar_t* path, size_t nameStart, size_t length, int isFolder) {
    if (!isFolder) {
        for (size_t i = length; i > nameStart + 1; --i) {
            if (path[i - 1] == L'.') {
                return i - 1;
            }
        }
    }
    return length;
}

// out := path[0, at) + " (" number ")" + path[at, length); 0 when it does not fit.
int InsertNumber(const wchar_t* path, size_t at, size_t length, int number, wchar_t* out,
                 size_t capacity) {
    wchar_t digits[16];
    size_t count = 0;
    for (unsigned value = static_cast<unsigned>(number); value != 0 || count == 0; value /= 10) {
        digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
    }
    if (length + count + 3 >= capacity) {
        return 0;
    }
    size_t o = 0;
    for (size_t i = 0; i < at; ++i) {
        out[o++] = path[i];
    }
    out[o++] = L' ';
    out[o++] = L'(';
    while (count > 0) {
        out[o++] = digits[--count];
    }
    out[o++] = L')';
    for (size_t i = at; i < length; ++i) {
        out[o++] = path[i];
    }
    out[o] = L'\0';
    return 1;
}

// 1 when candidate is path with " (n)" put in at position at, for some n >= 2.
int HasNumberAt(const wchar_t* candidate, const wchar_t* path, size_t at, size_t length) {
    for (size_t i = 0; i < at; ++i) {
        if (candidate[i] != path[i]) {
            return 0;
        }
    }
    const wchar_t* c = candidate + at;
    if (c[0] != L' ' || c[1] != L'(' || c[2] < L'1' || c[2] > L'9') {
        return 0;
    }
    c += 2;
    unsigned value = 0;
    int digits = 0;
    for (; *c >= L'0' && *c <= L'9' && digits < 10; ++c, ++digits) {
        value = value * 10 + static_cast<unsigned>(*c - L'0');
    }
    if (*c != L')' || value < 2) {
        return 0;
    }
    ++c;
    for (size_t i = at; i < length; ++i, ++c) {
        if (*c != path[i]) {
            return 0;
        }
    }
    return *c == L'\0';
}

} // namespace

int CopyNameOf(const wchar_t* path, int isFolder, int number, wchar_t* out, size_t capacity) {
    size_t length = 0;
    size_t nameStart = FinalNameStart(path, &length);
    if (number < 2 || capacity == 0) {
        return 0;
    }
    out[0] = L'\0';
    return InsertNumber(path, NumberPosition(path, nameStart, length, isFolder), length, number,
                        out, capacity);
}

int IsCopyNameOf(const wchar_t* candidate, const wchar_t* path) {
    size_t length = 0;
    size_t nameStart = FinalNameStart(path, &length);
    return HasNumberAt(candidate, path, NumberPosition(path, nameStart, length, 0), length) ||
           HasNumberAt(candidate, path, length, length);
}
