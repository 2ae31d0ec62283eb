// The JSON lines of a decrypt run, the same from the console program (--json) and from the
// decrypt window's saved report: one {"kind":"file",...} per file, then one
// {"kind":"summary",...}. Windows-free.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "recovery/decrypt_run.h"

// path: the input's long path.
std::string DecryptFileJson(const wchar_t* path, const CryptFileResult& result);

struct DecryptRunFacts {
    std::wstring computer;           // the computer's name
    std::vector<std::wstring> paths; // the paths named, long form
    DecryptPlan plan;                // as the run used it
    int stopped;                     // the user stopped the run
    int exitCode;                    // the console program's exit code for the run
};
std::string DecryptSummaryJson(const DecryptRunFacts& facts, const DecryptTotalsRecord& totals);
