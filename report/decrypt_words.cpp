// English words for a decrypt run's outcomes: see report/decrypt_words.h.
#include "report/decrypt_words.h"

#include <cstdio>

#include "unlock/path_text.h"

namespace {

// The system errors a user can do something about, by their numbers in winerror.h.
struct ErrorName {
    uint32_t error;
    const wchar_t* words;
};
const ErrorName ErrorNames[] = {
    {2, L"the entry is gone"},              // ERROR_FILE_NOT_FOUND
    {3, L"the entry is gone"},              // ERROR_PATH_NOT_FOUND
    {5, L"access denied"},                  // ERROR_ACCESS_DENIED
    {19, L"the medium is write-protected"}, // ERROR_WRITE_PROTECT
    {32, L"in use by another program"},     // ERROR_SHARING_VIOLATION
    {33, L"in use by another program"},     // ERROR_LOCK_VIOLATION
    {80, L"an entry of that name exists"},  // ERROR_FILE_EXISTS
    {183, L"an entry of that name exists"}, // ERROR_ALREADY_EXISTS
    {206, L"the path is too long"},         // ERROR_FILENAME_EXCED_RANGE
    {21, L"the drive is not ready"},        // ERROR_NOT_READY
    {112, L"the disk is full"},             // ERROR_DISK_FULL
};

std::wstring DecryptorWords(const CryptFileResult& result) {
    std::wstring because =
        result.systemError != 0 ? L" (" + ErrorWords(result.systemError) + L")" : L"";
    switch (result.decryptResult) {
    case DecryptOpenFailed:
        return L"the file cannot be opened" + because;
    case DecryptCreateFailed:
        return L"the output file cannot be created" + because;
    case DecryptReadFailed:
        return L"reading the file failed part way";
    case DecryptWriteFailed:
        return L"writing the output failed part way (is the disk full?); nothing was left of it";
    case DecryptNoKey:
        return L"no key was chosen";
    case DecryptNotCryptFile:
        return L"the name does not end in \".crypt\"";
    default:
        break;
    }
    return L"the decryptor gave result " + std::to_wstring(result.decryptResult);
}

} // namespace

std::wstring ErrorWords(uint32_t error) {
    std::wstring number = L"error " + std::to_wstring(error);
    for (const ErrorName& name : ErrorNames) {
        if (name.error == error) {
            return std::wstring(name.words) + L", " + number;
        }
    }
    return number;
}

std::wstring KeyWords(int32_t selector) {
    return selector == KeySelectorPassword ? std::wstring(L"the password's key")
                                           : L"key " + std::to_wstring(selector);
}

std::wstring CryptReasonWords(const wchar_t* path, const CryptFileResult& result) {
    const std::wstring limit = std::to_wstring(DecryptNameCapacity - 1);
    switch (result.reason) {
    case CryptReasonNone:
        return L"";
    case CryptReasonOtherLetters:
        return L"the decryptor takes only names ending in \".crypt\", in small letters";
    case CryptReasonWalkPathTooLong:
        return L"its path is longer than the walk can handle";
    case CryptReasonDecryptorPathTooLong:
        return L"its path is too long for the decryptor (at most " + limit +
               L" characters, \\\\?\\ included)";
    case CryptReasonNoOutputName: {
        std::wstring bare = path;
        bare.resize(bare.size() - CryptExtensionLength);
        wchar_t shown[DecryptNameCapacity];
        DisplayedPath(bare.c_str(), shown, DecryptNameCapacity);
        return L"no free name for the output fits the decryptor's " + limit + L" characters: " +
               shown + L" is taken";
    }
    case CryptReasonKeySearch:
        return KeySearchResultText(result.keyResult);
    case CryptReasonDecryptor:
        return DecryptorWords(result);
    case CryptReasonStopped:
        return L"stopped part way; nothing was written";
    }
    return L"";
}

std::wstring BesideInput(const wchar_t* inputPath, const wchar_t* name) {
    std::wstring path = inputPath;
    size_t separator = path.rfind(L'\\');
    path.resize(separator == std::wstring::npos ? 0 : separator + 1);
    return path + name;
}

std::wstring LeftoverWords(const CryptFileResult& result) {
    if (result.leftoverName[0] == L'\0') {
        return L"";
    }
    return std::wstring(L"an unfinished file of an earlier run lies beside it, \"") +
           result.leftoverName + L"\": it was left as it is";
}

std::wstring OneDecimal(double value) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.1f", value);
    return text;
}
