// The rule that gives a damaged entry its name back: cut the path at its last space, then at
// the last space before that. Windows-free so that it is tested natively as well.
#pragma once
#include <cstddef>

// Writes the restored path into restored (capacity wide characters, terminator included) and
// returns 1 when a rename to it is to be tried; returns 0 and leaves restored as an empty
// string when the entry is to be left alone:
//   - the path does not fit in restored;
//   - the final name (after the last '\') holds fewer than two spaces, so a cut would fall
//     into a directory name and move the entry elsewhere;
//   - the restored name would be empty, "." or "..", which names no entry of its own.
int CutRestoredName(const wchar_t* path, wchar_t* restored, size_t capacity);
