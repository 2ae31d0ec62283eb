// The walk of one directory tree, shared by every program: the order of the walk, its path
// limits and its rules for links exist once.
#pragma once
#include <windows.h>
#include <cstdint>

#include "unlock/walk_links.h"

// What the walk tells its caller as it goes. This record of functions is the program's one
// callback beyond the dialog and thread procedures: the dialog fills it with its controls and
// the rename, the console program with printing, journalling or only predicting, so that
// neither front end copies the walk.
struct WalkReport {
    // A directory is entered, before it is listed (long-path form, no trailing separator).
    void (*enteredDirectory)(const wchar_t* directory);
    // The first listing met a file of this size.
    void (*metFile)(uint32_t sizeHigh, uint32_t sizeLow);
    // An entry matching the pattern, by its full path, after its whole directory's tree has been
    // walked: so the deepest entries come first and a directory after everything in it.
    void (*metMatch)(const wchar_t* entryPath);
    // An entry left alone because its path would not fit WalkPathCapacity: a subdirectory that is
    // therefore not walked (isMatch 0), or a match that is not handed over (isMatch 1).
    void (*metTooLong)(const wchar_t* directory, const wchar_t* name, int isMatch);
    // Asked before each entry is handled: non-zero ends the whole walk at once, its listings
    // closed. Null: the walk always goes on to the end (the dialog's run, which ends only with
    // its process).
    int (*stopRequested)();
    // A link met, by its path, the long path of its target (empty when the system cannot tell)
    // and the walk's verdict; for LinkEnter, non-zero enters it. Null: every link the walk may
    // enter is entered (the dialog's run).
    int (*metLink)(const wchar_t* linkPath, const wchar_t* targetPath, LinkVerdict verdict);
    // A directory entered whose listing the system refused (access denied and the like), with the
    // system's error; an empty one is no refusal. Null: not told.
    void (*notListed)(const wchar_t* directory, uint32_t error);
};

// Forgets the link targets entered so far: at the start of each run, however many trees it walks.
void ForgetLinkTargets();

// Walks the tree below directory (long-path form, no trailing separator) depth first: for each
// directory, one listing of every entry, descending into each subdirectory at once, then the
// entries that match pattern, in the listing's order: for SuffixPattern those the first listing
// met, for another pattern a listing of them. A directory whose two listings do not both fit
// WalkPathCapacity is not entered and is reported as too long, the start directory too. A link
// is entered only with the verdict LinkEnter (and the caller's consent).
void WalkTree(const wchar_t* directory, const wchar_t* pattern, const WalkReport* report);

// While the walk hands over a match found in its first listing (in metMatch): 0 when no entry
// that listing met in the match's folder can be what the system finds at path, by its name or
// its short name, however the file system compares names, so that the caller need not ask the
// system; 1 when one may be, or when the walk cannot tell (another folder, a name outside plain
// ASCII, a folder whose names did not all fit, a match handed over from a second listing).
int ListingMayHoldName(const wchar_t* path);

// The listing as the walk opens it, for a front end that lists a folder itself.
HANDLE OpenListing(const wchar_t* searchPath, WIN32_FIND_DATAW* found);
