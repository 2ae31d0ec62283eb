// How the long paths of the walk read to people. Windows-free.
#pragma once
#include <cstddef>

// From the drive letter on: \\?\C:\Users shows as C:\Users, the start directory \\?\C: as C:
// (the dialog's status bar).
const wchar_t* ShownPath(const wchar_t* directory);

// The final name: what follows the last '\' (the whole path when there is none).
const wchar_t* FinalNameOf(const wchar_t* path);

// longPath as people write it, into out (capacity wide characters, terminator included, cut to
// fit): \\?\C:\Users as C:\Users, \\?\UNC\server\share as \\server\share, a drive's start
// directory \\?\C: as C:\ (C: alone would mean the current folder there); any other text as it
// is.
void DisplayedPath(const wchar_t* longPath, wchar_t* out, size_t capacity);
