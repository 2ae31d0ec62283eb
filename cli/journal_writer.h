// The journal file of a restore (its format: cli/journal_format.h). Each line is written before
// the next rename is tried, so a crash of the program loses none; lines reach the disk at least
// once a second while the walk goes on, and at the end, so a power cut loses at most the last
// second.
#pragma once
#include <cstdint>
#include <string>

// Creates the journal as a new file, never over an existing one, and writes its header to the
// disk. Returns 0 with the platform's error when it cannot: then nothing may be renamed.
int CreateJournal(const std::wstring& path, uint32_t* error);
// One successful rename; 0 when the line could not be written whole.
int AppendJournalRename(const std::wstring& oldPath, const std::wstring& newPath);
// Sends written lines to the disk once a second has passed since the first line not yet sent.
void FlushJournalWhenDue();
// Sends the rest to the disk and closes the file; 0 when that failed.
int CloseJournal();
