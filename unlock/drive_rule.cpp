// The drive decision of the unlock run.
#include "unlock/drive_rule.h"

wchar_t DriveLetterOfBit(int bitIndex) {
    return static_cast<wchar_t>(L'A' + bitIndex);
}

int DriveIsSearched(int deviceOpened, int mediaChecked, uint32_t checkError, uint32_t driveType) {
    if (!deviceOpened) {
        return 0;
    }
    if (driveType == DriveTypeOptical) {
        return 0; // discs are read-only: nothing on them can be renamed
    }
    if (mediaChecked) {
        return 1;
    }
    // A failed check means "no medium" unless the device merely cannot answer it and is a
    // fixed disk, which always holds its medium.
    int unsupported =
        checkError == DriveErrorNotSupported || checkError == DriveErrorInvalidFunction;
    return unsupported && driveType == DriveTypeFixed ? 1 : 0;
}
