// What the outcome of a decrypt run's file says in English words: the console's lines, and the
// "reason" of every JSON report. Windows-free.
#pragma once
#include <cstdint>
#include <string>

#include "recovery/decrypt_run.h"

// A system error in words, with its number: "access denied, error 5".
std::wstring ErrorWords(uint32_t error);
// "key 3" or "the password's key".
std::wstring KeyWords(int32_t selector);
// Why the file was not decrypted, or a remark on a decrypted one; empty when there is none.
std::wstring CryptReasonWords(const CryptFileResult& result);
// 12.3: megabytes, seconds, rates.
std::wstring OneDecimal(double value);
