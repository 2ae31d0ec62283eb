// A decrypt run's result before anything has become of the file: see recovery/decrypt_run.h.
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
