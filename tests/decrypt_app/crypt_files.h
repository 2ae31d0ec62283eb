// The OpenSSL-made .crypt files of the decrypt tests (tests/cli/decrypt_fixtures.py), put into the
// folders of the test drives, and large files made on the spot for runs that must take a while.
#pragma once
#include <cstdint>
#include <string>

#include "tests/cli/decrypt_fixtures.h"

const DecryptFixture& FixtureNamed(const char* name);
std::string PlainOf(const DecryptFixture& fixture);
std::wstring NameOf(const DecryptFixture& fixture);
// Writes the fixture's .crypt file into folder (a long path); returns the file's long path.
std::wstring PlaceCrypt(const std::wstring& folder, const char* name);
// A file of size bytes of zeros, made without writing them (the platform leaves it sparse): the
// decryptor reads and decrypts every byte all the same.
bool MakeLargeFile(const std::wstring& path, int64_t size);
int64_t SizeOf(const std::wstring& path);
// The names in a folder (no "." and ".."), sorted.
std::wstring NamesIn(const std::wstring& folder);
// UTF-8 to UTF-16.
std::wstring WideOf(const std::string& utf8);
