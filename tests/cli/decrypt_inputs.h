// What the decrypt tests share: the OpenSSL-made .crypt fixtures placed on the drives, and the
// JSON lines of a run read back by file and as its summary.
#pragma once
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/cli/decrypt_fixtures.h"

std::string Plain(const DecryptFixture& fixture);
std::string Cipher(const DecryptFixture& fixture);
// The name before ".crypt".
std::wstring Name(const DecryptFixture& fixture);

// The fixture's .crypt file in folder (a long path); returns its path.
std::wstring Place(const std::wstring& folder, const DecryptFixture& fixture);
std::wstring Place(const std::wstring& folder, const char* name);

// The file objects of a --json run by their paths.
std::map<std::string, nlohmann::json> FilesByPath(const std::vector<nlohmann::json>& lines);
