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
// One rename's line (JournalRenameLine, made before the rename so that nothing is left to
// allocate after it); 0 when it could not be written whole, or a flush due failed.
int WriteJournalLine(const std::string& line);
// Sends written lines to the disk once a second has passed since the first line not yet sent; 0
// when that failed (a journal on a share: "delayed write failed"), and then the journal is lost.
int FlushJournalWhenDue();
// Sends the rest to the disk and closes the file; 0 when that failed.
int CloseJournal();
