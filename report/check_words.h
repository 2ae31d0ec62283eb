// What the check of a decrypted file (recovery/output_check.h) says, in English and in Russian:
// a sentence for the file's line, and a word or two for a list's column. Windows-free.
#pragma once
#include <cstdint>
#include <string>

#include "recovery/output_check.h"
#include "report/words_language.h"

// "checked: ZIP, 14 entries", "not checkable: this type has no check of its own", "check failed:
// ZIP entry 3 has the wrong CRC-32 (at byte 5120); the key may be wrong, or the file was damaged
// before it was encrypted".
std::wstring CheckReportWords(const CheckReport& report, WordsLanguage language);
// "checked", "not checkable", "failed".
std::wstring CheckVerdictWords(CheckVerdict verdict, WordsLanguage language);
