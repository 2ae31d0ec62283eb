// What the clean-up says of each .crypt file it was asked to move to the Recycle Bin, in English
// and in Russian: the console's lines and JSON "reason" (English), the decrypt window's cells and
// messages (its language). Windows-free.
#pragma once
#include <string>

#include "recovery/recycle_checked.h"
#include "report/words_language.h"

// "recycled" or "kept": the outcome as one word, as JSON's "outcome" has it.
std::wstring RecycleOutcomeWord(RecycleOutcome outcome, WordsLanguage language = WordsEnglish);
// The whole of it: "moved to the Recycle Bin", or why the file was kept, and a second name of the
// file left on the disk. path: the .crypt file's long path, result: its decrypt run's result.
std::wstring RecycleWords(const wchar_t* path, const CryptFileResult& result,
                          const RecycleResult& recycled, WordsLanguage language = WordsEnglish);
