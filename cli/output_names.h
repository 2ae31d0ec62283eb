// Which name the decryptor gave its output. It writes beside the input under the input's path
// without ".crypt", or with "(0)", "(1)"... after that when the name is taken, and says nothing
// of the name it chose: the candidates are looked at before and after it runs.
#pragma once
#include "recovery/decrypt_file.h"
#include <cstdint>
#include <string>
#include <vector>

// The longest path the decryptor takes, and the longest output name it can give.
constexpr size_t DecryptorPathLimit = DecryptNameCapacity - 1;

struct OutputNameWatch {
    std::wstring base; // the input's path without ".crypt"
    int32_t firstFree; // the first candidate no entry held: -1 the bare name, else a counter
    std::vector<int32_t> held; // the candidates after it held by entries, in an unbroken row
};

// Candidate -1 is the bare name, candidate n the name with "(n)" after it.
std::wstring OutputCandidate(const std::wstring& base, int32_t candidate);

// Looks at the candidates before the decryption of cryptPath (a name ending in ".crypt").
void WatchOutputNames(const std::wstring& cryptPath, OutputNameWatch* watch);

// After the decryption: the one candidate that has appeared since, the decryptor's output. Empty
// when none has, or when more than one has (another program made names beside it meanwhile):
// then no name is given rather than a wrong one.
std::wstring FindOutputName(const OutputNameWatch& watch);
