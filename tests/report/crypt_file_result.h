// A file's result as a decrypt run gives it, for the report tests to fill in: the outcome and its
// reason, no key, the decryptor not called, no output.
#pragma once
#include "recovery/decrypt_run.h"

inline CryptFileResult ResultOf(CryptOutcome outcome, CryptReason reason) {
    CryptFileResult result = BlankCryptResult();
    result.outcome = outcome;
    result.reason = reason;
    return result;
}
