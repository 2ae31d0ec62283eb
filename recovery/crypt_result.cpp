// A decrypt run's result before anything has become of the file, and the output it names: see
// recovery/decrypt_run.h.
// Windows-free, for the reports built and tested everywhere.
#include "recovery/decrypt_run.h"

CryptFileResult BlankCryptResult() {
    CryptFileResult result = {};
    result.outcome = CryptPending;
    result.reason = CryptReasonNone;
    result.selector = KeySelectorNone;
    result.keyResult = KeyFound;
    result.decryptResult = -1;
    result.outputCounter = DecryptNameNone;
    result.leftoverCounter = DecryptNameNone;
    result.check = CheckReport{};
    result.alreadyDecrypted = 0;
    result.inputStamp = FileStamp{};
    result.outputStamp = FileStamp{};
    return result;
}

std::wstring DecryptOutputPathOf(const wchar_t* inputPath, const CryptFileResult& result) {
    wchar_t name[DecryptFileNameCapacity];
    if (!DecryptedNameOf(inputPath, DecryptOutputNames, result.outputCounter, name,
                         DecryptFileNameCapacity) ||
        name[0] == L'\0') {
        return std::wstring();
    }
    std::wstring path = inputPath;
    size_t separator = path.rfind(L'\\');
    path.resize(separator == std::wstring::npos ? 0 : separator + 1);
    return path + name;
}
