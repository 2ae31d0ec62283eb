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

} // namespace

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
