// The report of the last run, as "Save report…" writes it: the same JSON lines the console
// program's decrypt --json writes, UTF-8, each ended by CR LF.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "report/decrypt_json.h"

struct LastRunRecord {
    int32_t have;                         // a run has ended since the program started
    std::vector<std::wstring> paths;      // long forms of the files the run decrypted or tried
    std::vector<CryptFileResult> results; // and what became of each
    DecryptRunFacts facts;
    DecryptTotalsRecord totals;
};
extern LastRunRecord LastRun;

// The computer's name, as the console program's summaries give it.
std::wstring ComputerName();
// Every line of the report, line ends included.
std::string ReportText();
// Writes the report to path (the user has agreed to replace a file of that name). 0, or the
// system's error.
uint32_t WriteReport(const std::wstring& path);
// Keeps the run that has just ended (Job.decrypt) as the report's.
void KeepRunReport();
// Save report…: asks where, writes the report there, and says what came of it.
void SaveReport();
