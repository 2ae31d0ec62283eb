// What the console's walks share: the counts, the progress line on standard error, the entries
// too long to handle, and the stop by Ctrl+C. Each command fills a WalkReport of its own with
// these and its own handling of a damaged entry.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "unlock/walk_tree.h"

struct WalkTallyRecord {
    int64_t folders;            // directories entered
    int64_t files;              // files met (directories not counted)
    int64_t damaged;            // entries whose names carry the suffix
    int64_t restored;           // restored, or for scan: would be
    int64_t left;               // damaged entries left as they are, or for scan: would be
    int64_t foldersNotSearched; // subdirectories not walked: their paths are too long, or a link
                                // to them was met after the most targets one run enters
    int64_t linksNotFollowed;   // links reported and not entered
    int32_t stopped;            // the walk ended early: Ctrl+C, or a journal line not written
};
extern WalkTallyRecord WalkTally;

// WalkReport members: a folder entered and a file met are counted and shown in the progress line;
// a damaged entry whose path is too long to hand over is reported and left, and a folder too long
// to walk is reported as not searched.
void CountFolder(const wchar_t* directory);
void CountFile(uint32_t sizeHigh, uint32_t sizeLow);
void ReportTooLong(const wchar_t* directory, const wchar_t* name, int isMatch);
int WalkStopRequested();
// The walk's verdict on a link, and the console's rule: a link whose target lies inside a scope
// of the command is not entered, since that scope's own walk reaches the target (so every folder
// is walked once, and scan lists each damaged entry once, as restore renames it once); a link
// leading outside every scope is entered when followOutside (every drive walked, or
// --follow-links), else reported and not entered. A link whose target cannot be opened, or one
// past the most targets a run enters, is reported as well.
int ConsiderLink(const wchar_t* linkPath, const wchar_t* targetPath, LinkVerdict verdict);
// The scopes of the command (long forms), for ConsiderLink, and whether links leading outside
// them are entered.
void LimitLinksTo(const std::vector<std::wstring>& scopes, int followOutside);

// Walks every scope in order with the suffix pattern, reporting to report, until the end or a
// stop; then clears the progress line and notes in WalkTally whether it was stopped. The link
// targets entered count for the whole walk of all scopes.
void WalkScopes(const std::vector<std::wstring>& scopes, const WalkReport* report);

// 1 when the progress line is shown and a few moments have passed since it last changed: then
// the caller shows it anew.
int ProgressLineIsDue();

// Ends the walk before the next entry; the rename in progress, if any, is finished first.
void StopWalk();
// Ctrl+C and Ctrl+Break stop the walk (the second press ends the program at once); closing the
// console, logging off and shutting down stop it too, and wait a few seconds for
// MarkCommandFinished before the system ends the process.
void StopWalkOnCtrlC();
// The command has closed what it wrote (the journal): a close may end the process now.
void MarkCommandFinished();
