// The files of the benchmarks' folders under Wine: what a folder holds, and the outputs a
// decryption left there.
#pragma once
#include <string>
#include <vector>

// The names of the files (not the folders) in folder that match pattern.
std::vector<std::wstring> FileNamesIn(const std::wstring& folder, const wchar_t* pattern = L"*");

bool EndsWithCrypt(const std::wstring& name);

// Deletes everything in folder but the .crypt files, and says how many there were, so that a run
// that decrypted fewer files than it was given shows.
int RemoveOutputs(const std::wstring& folder);
