// The console's path text: see cli/path_text.h.
#include "cli/path_text.h"

#include <windows.h>

#include "unlock/path_forms.h"
#include "unlock/path_text.h"

std::wstring Displayed(const std::wstring& longPath) {
    std::wstring shown(longPath.size() + 2, L'\0');
    DisplayedPath(longPath.c_str(), &shown[0], shown.size());
    shown.resize(lstrlenW(shown.c_str()));
    return shown;
}

std::wstring NameOf(const std::wstring& path) {
    return FinalNameOf(path.c_str());
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

std::wstring CaseKey(const std::wstring& text) {
    std::wstring key(text.size() + 1, L'\0');
    CaseKeyOf(text.c_str(), &key[0], key.size());
    key.resize(text.size());
    return key;
}

std::wstring FullPathOf(const std::wstring& path) {
    DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return path;
    }
    std::wstring full(needed, L'\0');
    DWORD length = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
    if (length == 0 || length >= needed) {
        return path;
    }
    full.resize(length);
    return full;
}
