// What the renames handled so far have done to the names of one folder: names they made and
// names they freed, so that scan predicts what restore will find, and restore does not take an
// entry it renamed a moment ago for a new one. A rename never leaves its folder, and the walk
// hands over all the damaged entries of one folder one after another, so the record keeps the
// folder of the latest rename and starts afresh for another. Names compare as the file system
// compares them, ignoring case.
#pragma once

void NoteRename(const wchar_t* path, const wchar_t* restored);
int NameWasMade(const wchar_t* path);
int NameWasFreed(const wchar_t* path);
