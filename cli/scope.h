// Where scan and restore look: the folders and drives the user named, in the long-path form the
// walk takes, or every drive the dialog program would search.
#pragma once
#include <string>
#include <vector>

#include "unlock/walk_limits.h"

// A folder as a user types it (D:, D:\, C:\Users\Ann, Work\2024, ..\x, \\server\share\x, or
// already in long form \\?\...) in the walk's long-path form without a trailing separator:
// \\?\D:, \\?\C:\Users\Ann, \\?\UNC\server\share\x. D: means that drive's root. Returns 0 with a
// reason in one line when it names no folder that exists.
int ResolveFolder(const std::wstring& typed, std::wstring* directory, std::wstring* reason);
// The same for a file or a folder that exists: isFolder tells which. sought names what was
// looked for in the reason ("no such file or folder: x"). longest: the most characters the long
// form may have, the walk's by default; a file to decrypt may have up to the platform's limit.
int ResolveEntry(const std::wstring& typed, const wchar_t* sought, std::wstring* resolved,
                 int* isFolder, std::wstring* reason, size_t longest = WalkPathCapacity - 1);

// Every PATH resolved, in the order given; a folder inside another one given (or given twice) is
// walked once, as part of the outer one. Returns 0 with a reason naming the first PATH that is no
// folder: then nothing is to be walked.
int ResolveScopes(const std::vector<std::wstring>& typed, std::vector<std::wstring>* directories,
                  std::wstring* reason);

// What scan and restore walk: every PATH given, or without any, every drive searched.
int ChooseScopes(const std::vector<std::wstring>& typed, std::vector<std::wstring>* directories,
                 std::wstring* reason);

// The start directories of every drive the dialog program would search, decided by the same rule.
std::vector<std::wstring> SearchedDriveScopes();
