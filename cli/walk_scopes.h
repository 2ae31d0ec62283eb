// The walk of scan and restore over their scopes: the shared walk of the dialog program, with
// what the console counts and shows as it goes, and what the renames of one folder have done (or
// would do) to the names in it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct WalkTallyRecord {
    int64_t folders;            // directories entered
    int64_t files;              // files met (directories not counted)
    int64_t damaged;            // entries whose names carry the suffix
    int64_t restored;           // restored, or for scan: would be
    int64_t left;               // damaged entries left as they are, or for scan: would be
    int64_t foldersNotSearched; // subdirectories whose paths are too long to walk
    int32_t stopped;            // the walk ended early: Ctrl+C, or a journal line not written
};
extern WalkTallyRecord WalkTally;

// Walks every scope in order with the suffix pattern, counting, showing progress, reporting the
// entries too long to handle, and handing every damaged entry to handleMatch. whileWalking, when
// not null, is called at every folder and file met, for work that must not wait for the next
// damaged entry. Returns at the end or, after a stop, at once.
void WalkScopes(const std::vector<std::wstring>& scopes, void (*handleMatch)(const wchar_t* path),
                void (*whileWalking)());

// The same walk for the entries of another pattern (decrypt's "*.crypt"), with nothing to do
// while walking: a match whose path is too long to hand over goes to handleTooLong instead, and
// counts in no tally.
void WalkScopesMatching(const std::vector<std::wstring>& scopes, const wchar_t* pattern,
                        void (*handleMatch)(const wchar_t* path),
                        void (*handleTooLong)(const std::wstring& path));

// Ends the walk before the next entry; the rename in progress, if any, is finished first.
void StopWalk();
// Ctrl+C and Ctrl+Break stop the walk (the second press ends the program at once).
void StopWalkOnCtrlC();
int WalkStopped();

// What the renames handled so far have done to the names of one folder: names they made and
// names they freed. A rename never leaves its folder, and the walk hands over all the damaged
// entries of one folder one after another, so the record keeps the folder of the latest rename
// and starts afresh for another. Names compare as the file system compares them, ignoring case.
void NoteRename(const wchar_t* path, const wchar_t* restored);
int NameWasMade(const wchar_t* path);
int NameWasFreed(const wchar_t* path);
