// What decrypt prints for each .crypt file and at the end, for people or (--json) for scripts:
// one JSON object per line, each with a "kind", the same the decrypt window saves.
#pragma once
#include <string>

#include "recovery/decrypt_run.h"
#include "report/decrypt_json.h"

// path: the input's long path.
void ReportCryptFile(const std::wstring& path, const CryptFileResult& result);
// One .crypt file of the clean-up after the run: moved to the Recycle Bin, or kept and why.
void ReportRecycledFile(const std::wstring& path, const CryptFileResult& result,
                        const RecycleResult& recycled);
// The summary, from DecryptTotals.
void ReportDecryptSummary(const DecryptRunFacts& facts);
