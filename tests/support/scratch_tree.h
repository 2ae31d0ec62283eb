// Real files and folders on the drives the test runner maps to fresh folders for each test
// process (tests/wine/run-wine.sh): making, reading, listing and clearing them. Every function
// takes a path as the file functions do; a drive path (D:\...) is used in its long form, so that
// the trailing spaces of damaged names stay as they are.
#pragma once
#include <cstddef>
#include <map>
#include <string>

bool MakeFolder(const std::wstring& path);
// Folders `levels` deep below parent, each named `name`; returns the deepest one, or "" when one
// could not be made. Wine looks up every level of each path it is given, so the chain is made
// from the inside out by moves of the chain so far into a new top, each naming two levels at most.
// RemoveNestedFolders takes the same chain apart the same way, once its deepest folder is empty.
std::wstring MakeNestedFolders(const std::wstring& parent, const std::wstring& name, int levels);
bool RemoveNestedFolders(const std::wstring& parent, const std::wstring& name, int levels);
// Creates the file, or replaces what it held.
bool WriteWhole(const std::wstring& path, const void* data, size_t size);
bool WriteWhole(const std::wstring& path, const std::string& data);
bool MakeFileOfSize(const std::wstring& path, size_t size);
// A file holding its own path in UTF-8, so that a lost or swapped file shows in its contents.
bool MakeFileHoldingItsPath(const std::wstring& path);

bool Exists(const std::wstring& path);
bool IsFolder(const std::wstring& path);
// The whole file; false when it cannot be opened.
bool ReadWhole(const std::wstring& path, std::string* contents);
// The whole file, or "<missing>" when it cannot be opened.
std::string ReadWhole(const std::wstring& path);

// The names in a folder, sorted, "." and ".." left out, joined by '|'.
std::wstring ListFolder(const std::wstring& folder);
// Every entry below root by its path relative to root: a folder as "<folder>", a file as its
// contents. Links are not followed.
std::map<std::wstring, std::string> Snapshot(const std::wstring& root);

// Deletes everything below the folder, read-only entries included, never following links.
void ClearFolder(const std::wstring& path);
// Empties the test drives D:, E: and F:.
void ClearTestDrives();
// The folder where Wine's Recycle Bin keeps the files it is given, by their own names: the trash
// below the run's own XDG_DATA_HOME (tests/wine/run-wine.sh), reached by its Unix path.
std::wstring RecycleBinFiles();
// Makes d:\<name> afresh (empty) and returns it with a trailing backslash.
std::wstring MakeScratchFolder(const wchar_t* name);
