// What the outcome of a decrypt run's file says in words, in English and in Russian: the
// console's lines and every JSON "reason" (English), and the decrypt window's cells and messages
// (its language). Every front end takes its words from here. Windows-free.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "recovery/decrypt_run.h"
#include "report/words_language.h"

// A system error in words, with its number: "access denied, error 5".
std::wstring ErrorWords(uint32_t error, WordsLanguage language = WordsEnglish);
// "key 3" or "the password's key"; short: "key 3" or "password", for a list's column.
std::wstring KeyWords(int32_t selector, WordsLanguage language = WordsEnglish);
std::wstring ShortKeyWords(int32_t selector, WordsLanguage language = WordsEnglish);
// The keys of a KeyMatch's fittingKeys, in order: 0..9, then KeySelectorPassword.
std::vector<int32_t> FittingSelectors(uint32_t fittingKeys);
// "key 0, key 4, password".
std::wstring FittingKeysWords(uint32_t fittingKeys, WordsLanguage language = WordsEnglish);
// Why the key search took no key.
std::wstring KeySearchWords(KeySearchResult result, WordsLanguage language = WordsEnglish);
// What became of a file, as one word or two: "decrypted", "not identified", "failed",
// "skipped", "not tried".
std::wstring OutcomeWords(CryptOutcome outcome, WordsLanguage language = WordsEnglish);
// The outcome of this result: "already decrypted" for an output an earlier run had made, else
// OutcomeWords.
std::wstring OutcomeLabelWords(const CryptFileResult& result,
                               WordsLanguage language = WordsEnglish);
// Why the file (its long path) was not decrypted; empty when there is nothing to say.
std::wstring CryptReasonWords(const wchar_t* path, const CryptFileResult& result,
                              WordsLanguage language = WordsEnglish);
// What is said of an unfinished file an earlier run left beside the input; empty when none.
std::wstring LeftoverWords(const wchar_t* path, const CryptFileResult& result,
                           WordsLanguage language = WordsEnglish);
// The output's final name, and that of the file an earlier run left unfinished; empty when none.
std::wstring OutputNameOf(const wchar_t* path, const CryptFileResult& result);
std::wstring LeftoverNameOf(const wchar_t* path, const CryptFileResult& result);
// The long path of an entry named `name` in the folder of the input's long path.
std::wstring BesideInput(const wchar_t* inputPath, const std::wstring& name);
// 12.3: megabytes, seconds, rates.
std::wstring OneDecimal(double value);
