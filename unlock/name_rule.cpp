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

} // namespace

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
