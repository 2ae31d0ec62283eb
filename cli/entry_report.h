// What scan and restore print for each damaged entry and at the end, for people or (--json) for
// scripts: one JSON object per line, each with a "kind".
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum EntryOutcome {
    EntryRestored,      // restore renamed it
    EntryWouldRestore,  // scan: restore would rename it
    EntryNameTaken,     // an entry of the restored name exists (or would, when restore gets there)
    EntryLeftByRule,    // the restored name would be empty, "." or ".."
    EntryRefused,       // the system refused the rename (error tells why)
    EntryTooLong,       // the path is too long for the walk to hand it over
    EntryFolderTooLong, // a folder whose path is too long to be searched
    EntryLinkOutside,   // a link not entered: it leads outside every PATH given
    EntryLinkUnknown,   // a link not entered: its target cannot be opened
    EntryLinkTooMany,   // a link not entered: past the most link targets one run enters
    EntryFolderNotListed, // a folder whose listing the system refused (error tells why)
};

// What became of a damaged entry beyond its outcome.
struct EntryDetails {
    int suffixes;        // suffixes cut (a name damaged twice has two), or that would be
    int keptBoth;        // the restored name was taken: it got the form of a copy instead
    std::wstring leftAs; // cut part way: the name it was left under, or empty
};

// path: the entry's full long path; restored: the full long path it gets or would get, or empty;
// for a link, its target's long path, or empty.
void ReportEntry(EntryOutcome outcome, const std::wstring& path, const std::wstring& restored,
                 uint32_t error, const EntryDetails& details = EntryDetails{1, 0, L""});

// The end of one damaged entry's handling, counted in WalkTally as restored (or would be) or as
// left, and reported: reached is the name it has now (or would have), tried the name the cut that
// failed would have given it.
void ReportDamagedEntry(EntryOutcome outcome, const wchar_t* path, const wchar_t* reached,
                        const wchar_t* tried, uint32_t error, EntryDetails details);

struct WalkSummary {
    const wchar_t* command; // "scan" or "restore"
    std::vector<std::wstring> scopes;
    std::wstring journal; // full path of the journal, or empty
    int64_t journalled;   // renames written to it
    int journalFailed;    // a line could not be written: the walk stopped there
    int exitCode;
};
// The summary of a walk, from WalkTally.
void ReportWalkSummary(const WalkSummary& summary);
