// Real files in the folders the test runner maps to drive d: for this run alone.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

// Makes d:\<name> afresh (empty) and returns it with a trailing backslash.
std::wstring MakeScratchFolder(const wchar_t* name);
bool WriteWholeFile(const std::wstring& path, const void* data, size_t size);
// Reads a whole file; false when it cannot be opened.
bool ReadWholeFile(const std::wstring& path, std::string* contents);
bool Exists(const std::wstring& path);
// Names in a folder, sorted, "." and ".." left out, joined by '|'.
std::wstring ListFolder(const std::wstring& folder);
