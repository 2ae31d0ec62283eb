// Which drives an unlock run searches, decided from what the platform answered about each one.
// Windows-free so that it is tested natively as well.
#pragma once
#include <cstdint>

// Values of the platform constants the rule looks at (winerror.h and winbase.h).
constexpr uint32_t DriveErrorInvalidFunction = 1; // ERROR_INVALID_FUNCTION
constexpr uint32_t DriveErrorNotSupported = 50;   // ERROR_NOT_SUPPORTED
constexpr uint32_t DriveTypeFixed = 3;            // DRIVE_FIXED
constexpr uint32_t DriveTypeOptical = 5;          // DRIVE_CDROM

// The drive letter of bit index 0..31 of the logical-drive mask: bit 0 is 'A'.
wchar_t DriveLetterOfBit(int bitIndex);

// 1 when the drive is to be searched, 0 when it is skipped.
//   deviceOpened: the volume device could be opened;
//   mediaChecked: the media check answered that a medium is present;
//   checkError:   the error of a failed media check (ignored when it passed);
//   driveType:    the platform's drive type of the drive root.
// A fixed drive whose device does not support the media check has its medium all the same:
// without that, a disk whose driver lacks the check would never be searched.
int DriveIsSearched(int deviceOpened, int mediaChecked, uint32_t checkError, uint32_t driveType);
