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
// Why the file (its long path) was not decrypted; empty when there is nothing to say.
std::wstring CryptReasonWords(const wchar_t* path, const CryptFileResult& result);
// The long path of an entry named `name` in the folder of the input's long path.
std::wstring BesideInput(const wchar_t* inputPath, const wchar_t* name);
// What is said of an unfinished file an earlier run left beside the input; empty when none.
std::wstring LeftoverWords(const CryptFileResult& result);
// 12.3: megabytes, seconds, rates.
std::wstring OneDecimal(double value);
