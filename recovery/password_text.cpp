// A typed password to its key: see recovery/password_text.h.
#include "recovery/password_text.h"

#include <windows.h>

#include "crypto/wipe.h"
#include "recovery/file_utilities.h"
#include "recovery/password_key.h"

namespace {

// Far more than the 31 bytes the key takes, so that a longer password is told apart from one
// that cannot be converted at all.
const int BytesCapacity = 256;
// The most bytes DerivePasswordKey takes before the terminator.
const int PasswordLongestBytes = 31;

// The length of the first `characters` characters in UTF-16 units.
int32_t UnitsOfCharacters(const wchar_t* text, int32_t length, int32_t characters) {
    int32_t units = 0;
    for (int32_t counted = 0; counted < characters && units < length; ++counted) {
        bool pair = units + 1 < length && text[units] >= 0xD800 && text[units] <= 0xDBFF &&
                    text[units + 1] >= 0xDC00 && text[units + 1] <= 0xDFFF;
        units += pair ? 2 : 1;
    }
    return units;
}

} // namespace

int32_t PasswordCharacters(const wchar_t* text, int32_t length) {
    int32_t characters = 0;
    for (int32_t units = 0; units < length; ++characters) {
        units = UnitsOfCharacters(text, length, characters + 1);
    }
    return characters;
}

int32_t PasswordCharactersThatFit(const wchar_t* text, int32_t length) {
    int32_t all = PasswordCharacters(text, length);
    int32_t fitting = 0;
    char bytes[BytesCapacity];
    for (int32_t characters = 1; characters <= all; ++characters) {
        int32_t units = UnitsOfCharacters(text, length, characters);
        int size = ToFileApiNarrow(text, units, bytes, BytesCapacity - 1);
        if (size <= 0 || size > PasswordLongestBytes) {
            break;
        }
        fitting = characters;
    }
    WipeBytes(bytes, sizeof bytes);
    return fitting;
}

PasswordVerdict KeyFromPasswordText(const wchar_t* text, int32_t length, int32_t* byteCount) {
    *byteCount = 0;
    if (length <= 0) {
        return PasswordEmpty;
    }
    for (int32_t i = 0; i < length; ++i) {
        if (text[i] == L'\0') {
            return PasswordHoldsNul;
        }
    }
    char bytes[BytesCapacity];
    int size = ToFileApiNarrow(text, length, bytes, BytesCapacity - 1);
    PasswordVerdict verdict = PasswordNotConvertible;
    if (size > 0) {
        bytes[size] = '\0';
        *byteCount = size;
        verdict = DerivePasswordKey(bytes) == 1 ? PasswordKeyed : PasswordTooLong;
    }
    WipeBytes(bytes, sizeof bytes);
    return verdict;
}
