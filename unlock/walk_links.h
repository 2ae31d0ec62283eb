// What the walk makes of the links it meets. Windows-free, so that the decrypt run's portable
// records and its reports can name the verdicts.
#pragma once
#include <cstdint>

// What the walk makes of a link (a junction, a symbolic link to a directory, a mount point) it
// meets.
enum LinkVerdict : int32_t {
    LinkEnter = 0,         // its target has not been walked in this run: it may be entered
    LinkLeadsBack = 1,     // its target is a directory the walk is in: entering it would never end
    LinkWalkedAlready = 2, // its target was entered through another link in this run
    LinkTargetUnknown = 3, // its target cannot be opened or identified
    LinkRecordFull = 4,    // LinkTargetCapacity targets entered already: no more are
};

// The most link targets one run enters; each is entered at most once, so that links leading to
// one another (two links in A to B, two in B to C...) cost one walk of each target, not one per
// path through them.
constexpr int32_t LinkTargetCapacity = 4096;
