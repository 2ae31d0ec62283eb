// Filling a phrase's places: see report/words_language.h.
#include "report/words_language.h"

std::wstring FillPlaces(const wchar_t* pattern, std::initializer_list<std::wstring> values) {
    std::wstring out;
    for (const wchar_t* c = pattern; *c != L'\0'; ++c) {
        if (c[0] == L'{' && c[1] >= L'1' && c[1] <= L'9' && c[2] == L'}') {
            size_t index = static_cast<size_t>(c[1] - L'1');
            if (index < values.size()) {
                out += values.begin()[index];
            }
            c += 2;
            continue;
        }
        out += *c;
    }
    return out;
}
