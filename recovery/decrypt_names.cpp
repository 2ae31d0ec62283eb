// The names the decryptor gives beside its input: see recovery/decrypt_file.h. Windows-free, so
// that the reports that name outputs are built and tested everywhere.
#include "recovery/decrypt_file.h"

#include <cwchar>

#include "recovery/key_identify.h"

const wchar_t DecryptUnfinishedTail[] = L".part";

namespace {

// The largest counter whose "(%d)" fits DecryptCounterCapacity with its terminator.
constexpr int32_t LargestCounter = 9999999;

const wchar_t* FinalNameOf(const wchar_t* path) {
    const wchar_t* name = path;
    for (const wchar_t* at = path; *at != L'\0'; ++at) {
        if (*at == L'\\') {
            name = at + 1;
        }
    }
    return name;
}

} // namespace

int DecryptCounterText(int32_t counter, wchar_t* text) {
    if (counter < 0 || counter > LargestCounter) {
        text[0] = L'\0';
        return 0;
    }
    std::swprintf(text, DecryptCounterCapacity, L"(%d)", static_cast<int>(counter));
    return 1;
}

int DecryptedNameOf(const wchar_t* inputPath, DecryptNameRow row, int32_t counter, wchar_t* name,
                    uint32_t capacity) {
    if (capacity == 0) {
        return 0;
    }
    name[0] = L'\0';
    if (counter == DecryptNameNone || !IsCryptName(inputPath)) {
        return 1;
    }
    const wchar_t* start = FinalNameOf(inputPath);
    size_t baseLength = std::wcslen(start) - CryptExtensionLength;
    const wchar_t* tail = row == DecryptUnfinishedNames ? DecryptUnfinishedTail : L"";
    wchar_t suffix[DecryptCounterCapacity] = L"";
    if (counter != DecryptNameBare && !DecryptCounterText(counter, suffix)) {
        return 0;
    }
    size_t length = baseLength + std::wcslen(tail) + std::wcslen(suffix);
    if (length + 1 > capacity) {
        return 0;
    }
    std::wmemcpy(name, start, baseLength);
    name[baseLength] = L'\0';
    std::wcscat(name, tail);
    std::wcscat(name, suffix);
    return 1;
}
