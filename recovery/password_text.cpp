// A typed password to its key: see recovery/password_text.h.
#include "recovery/password_text.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>

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

uint32_t FileApiCodePage(wchar_t* name, uint32_t capacity) {
    UINT codePage = AreFileApisANSI() ? GetACP() : GetOEMCP();
    if (capacity == 0) {
        return codePage;
    }
    wchar_t number[16];
    wsprintfW(number, L"%u", codePage);
    lstrcpynW(name, number, static_cast<int>(capacity));
    // The system's name may begin with the number ("1252  (ANSI - Latin I)") or not.
    CPINFOEXW info;
    if (GetCPInfoExW(codePage, 0, &info) && info.CodePageName[0] != L'\0') {
        const wchar_t* given = info.CodePageName;
        size_t digits = std::wcslen(number);
        if (std::wcsncmp(given, number, digits) == 0) {
            given += digits;
            while (*given == L' ') {
                ++given;
            }
        }
        std::wstring text = std::wstring(number) + L" (" + given + L")";
        if (given[0] == L'(') {
            text = std::wstring(number) + L" " + given;
        }
        lstrcpynW(name, text.c_str(), static_cast<int>(capacity));
    }
    return codePage;
}

int32_t PasswordCharactersNotHeld(const wchar_t* text, int32_t length, wchar_t* notHeld,
                                  uint32_t capacity) {
    UINT codePage = AreFileApisANSI() ? GetACP() : GetOEMCP();
    int32_t count = 0;
    size_t written = 0;
    if (capacity > 0) {
        notHeld[0] = L'\0';
    }
    char bytes[16];
    wchar_t back[8];
    for (int32_t units = 0; units < length;) {
        int32_t width = UnitsOfCharacters(text + units, length - units, 1);
        // A character the code page holds comes back from its bytes as itself.
        int size = ToFileApiNarrow(text + units, width, bytes, sizeof bytes);
        int backLength = size > 0 ? MultiByteToWideChar(codePage, 0, bytes, size, back, 8) : 0;
        bool held =
            backLength == width &&
            std::memcmp(back, text + units, static_cast<size_t>(width) * sizeof(wchar_t)) == 0;
        bool seen = false;
        for (size_t i = 0; i + static_cast<size_t>(width) <= written && !held; ++i) {
            seen = seen || std::memcmp(notHeld + i, text + units,
                                       static_cast<size_t>(width) * sizeof(wchar_t)) == 0;
        }
        if (!held && !seen) {
            ++count;
            if (written + static_cast<size_t>(width) < capacity) {
                std::memcpy(notHeld + written, text + units,
                            static_cast<size_t>(width) * sizeof(wchar_t));
                written += static_cast<size_t>(width);
                notHeld[written] = L'\0';
            }
        }
        units += width;
    }
    WipeBytes(bytes, sizeof bytes);
    SecureZeroMemory(back, sizeof back);
    return count;
}

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
    wchar_t notHeld[2];
    if (PasswordCharactersNotHeld(text, length, notHeld, 2) > 0) {
        return PasswordNotHeld;
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
