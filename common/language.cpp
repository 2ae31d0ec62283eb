// The language test: see common/language.h.
#include "common/language.h"

#include <windows.h>
#include <new>

int IsRussianUi() {
    int size = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SENGLANGUAGE, nullptr, 0);
    if (size == 0) {
        return 0;
    }
    wchar_t* name = new (std::nothrow) wchar_t[size];
    if (name == nullptr) {
        return 0;
    }
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SENGLANGUAGE, name, size);
    int russian = lstrcmpW(name, L"Russian") == 0 ? 1 : 0;
    delete[] name;
    return russian;
}
