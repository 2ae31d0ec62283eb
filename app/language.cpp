// The one language decision of the program: Russian texts when the English name of the user's
// default locale's language is exactly "Russian", English otherwise. Only the regional format
// setting counts; the locale's country and the system's display language play no part.
#include "app/texts.h"

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
