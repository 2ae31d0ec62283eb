// The JSON lines of a decrypt run, the same from the console program (--json) and from the
// decrypt window's saved report: one {"kind":"file",...} per file, then one
// {"kind":"summary",...}. Windows-free.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "recovery/decrypt_run.h"
#include "recovery/recycle_checked.h"

// path: the input's long path.
std::string DecryptFileJson(const wchar_t* path, const CryptFileResult& result);

struct DecryptRunFacts {
    std::wstring computer;           // the computer's name
    std::vector<std::wstring> paths; // the paths named, long form
    DecryptPlan plan;                // as the run used it
    int stopped;                     // the user stopped the run
    int exitCode;                    // the console program's exit code for the run
    // The clean-up, when it was asked for: .crypt files moved to the Recycle Bin, and those
    // whose outputs checked that were kept all the same.
    int recycleAsked;
    int64_t recycled;
    int64_t recycleKept;
};
// One .crypt file of the clean-up: {"kind":"recycle","outcome":"recycled"|"kept","path":...,
// "output":...,"reason":...}.
std::string RecycleFileJson(const wchar_t* path, const CryptFileResult& result,
                            const RecycleResult& recycled);
std::string DecryptSummaryJson(const DecryptRunFacts& facts, const DecryptTotalsRecord& totals);
