// The drives an unlock run searches, asked of the platform one letter at a time. Shared by the
// dialog's worker and the console program, so both search exactly the same drives.
#pragma once
#include <windows.h>
#include <cstdint>

struct SearchedDrive {
    wchar_t letter;
    wchar_t startDirectory[8]; // \\?\C:, handed to the walk
    int64_t usedBytes;         // total minus free bytes; 0 when the space query fails
};

// For bit bitIndex (0..31, 'A' + bitIndex) of a GetLogicalDrives mask: 1 when that drive is to
// be searched, with drive filled in; 0 when it is skipped (not in the mask, no volume device, no
// medium, optical). Nothing on the drive is touched through the file system before its media
// check has passed.
int CheckDrive(DWORD mask, int bitIndex, SearchedDrive* drive);

// Every drive to be searched now, from 'A' up, by CheckDrive; returns how many (at most 32).
int ListSearchedDrives(SearchedDrive drives[32]);
