// The journal of a restore: the renames it made, in the order made, so that undo can reverse
// them. Windows-free, so that the reader is tested natively and fuzzed: a journal is a file a
// user hands the program, and nothing in it may make undo rename anything but what its lines
// name, nor anything a restore could not have renamed.
//
// UTF-8 text with CR LF line ends: a header line, then one line per rename, the entry's full old
// path, a tab, its full new path, both in long-path form (trailing spaces are part of the name):
//   rescindo-cli journal 1; written by rescindo-cli 1.0.0
//   \\?\D:\photos ab-cd \a.jpg ab-cd <TAB>\\?\D:\photos ab-cd \a.jpg
// A name that is not valid UTF-16 (an unpaired surrogate) is written in UTF-8's generalised form,
// so that undo gives exactly that name back.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// Every journal this program reads begins with this.
extern const char JournalHeaderStart[];

// The header line, with its line end.
std::string JournalHeaderLine(const char* programVersion);
// One rename's line, with its line end.
std::string JournalRenameLine(const std::wstring& oldPath, const std::wstring& newPath);

enum JournalVerdict {
    JournalReadable = 0,
    JournalEmpty = 1,     // no bytes at all
    JournalBadHeader = 2, // the first line is not this program's header
    JournalBadLine = 3,   // a complete line that is not a rename a restore could have made
};

// A rename line that was accepted: its line number (the header is line 1) and where its two
// paths lie in the journal's bytes.
struct JournalLine {
    size_t number;
    size_t oldBegin;
    size_t oldEnd;
    size_t newBegin;
    size_t newEnd;
};

struct JournalCheck {
    JournalVerdict verdict;
    size_t badLineNumber;   // the line that is not well-formed (JournalBadHeader, JournalBadLine)
    const char* badReason;  // what is wrong with it, in words
    size_t truncatedNumber; // a last line without its line end (a restore cut off while writing
                            // it): not undone; 0 when there is none
    std::vector<JournalLine> renames; // every complete rename line, when readable
};

// Checks the whole journal before anything is renamed. A complete line is accepted only when
// both paths are full long paths of at most WalkPathCapacity - 1 characters (\\?\X:\... or
// \\?\UNC\server\share\...) without empty, "." or ".." parts or characters names cannot hold,
// the old name carries the damage suffix, and the new path is exactly what the name rule cuts it
// to (the same folder, the suffix gone), or that in the form of a copy ("photo (2).jpg", as
// restore --keep-both gives a taken name). A name damaged twice has a line for each suffix.
JournalCheck CheckJournal(const char* data, size_t size);

// The two paths of a line that CheckJournal accepted.
void ReadJournalRename(const char* data, const JournalLine& line, std::wstring* oldPath,
                       std::wstring* newPath);
