// The platform's answers about one drive letter, and the decision made from them.
#include "unlock/searched_drive.h"
#include "unlock/drive_rule.h"
#include <winioctl.h>

namespace {
const wchar_t DevicePathFormat[] = L"\\\\.\\%c:";     // \\.\C:, opened for the media check
const wchar_t DriveRootFormat[] = L"\\\\?\\%c:\\";    // \\?\C:\, for the type and space queries
const wchar_t StartDirectoryFormat[] = L"\\\\?\\%c:"; // \\?\C:, handed to the walk

// Opens the drive's volume device for attribute access and asks whether a medium is present;
// records whether the device opened, the answer and, for a refused check, its error.
void CheckMedium(wchar_t letter, int* deviceOpened, int* mediaChecked, DWORD* checkError) {
    wchar_t devicePath[32];
    wsprintfW(devicePath, DevicePathFormat, letter);
    *deviceOpened = 0;
    *mediaChecked = 0;
    *checkError = 0;
    HANDLE device =
        CreateFileW(devicePath, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        return;
    }
    *deviceOpened = 1;
    DWORD returned = 0;
    if (DeviceIoControl(device, IOCTL_STORAGE_CHECK_VERIFY2, nullptr, 0, nullptr, 0, &returned,
                        nullptr)) {
        *mediaChecked = 1;
    } else {
        *checkError = GetLastError();
    }
    CloseHandle(device);
}
} // namespace

int CheckDrive(DWORD mask, int bitIndex, SearchedDrive* drive) {
    if (!(mask & (static_cast<DWORD>(1) << bitIndex))) {
        return 0;
    }
    wchar_t letter = DriveLetterOfBit(bitIndex);
    int deviceOpened;
    int mediaChecked;
    DWORD checkError;
    CheckMedium(letter, &deviceOpened, &mediaChecked, &checkError);
    wchar_t root[32];
    UINT driveType = 0;
    if (deviceOpened) {
        wsprintfW(root, DriveRootFormat, letter);
        driveType = GetDriveTypeW(root);
    }
    if (!DriveIsSearched(deviceOpened, mediaChecked, checkError, driveType)) {
        return 0;
    }
    // A failed space query leaves the used bytes at 0, which shows every file as 100.
    ULARGE_INTEGER totalBytes;
    ULARGE_INTEGER freeBytes;
    totalBytes.QuadPart = 0;
    freeBytes.QuadPart = 0;
    GetDiskFreeSpaceExW(root, nullptr, &totalBytes, &freeBytes);
    drive->letter = letter;
    drive->usedBytes = static_cast<int64_t>(totalBytes.QuadPart - freeBytes.QuadPart);
    wsprintfW(drive->startDirectory, StartDirectoryFormat, letter);
    return 1;
}

int ListSearchedDrives(SearchedDrive drives[32]) {
    DWORD mask = GetLogicalDrives();
    int count = 0;
    for (int bit = 0; bit < 32; ++bit) {
        if (CheckDrive(mask, bit, &drives[count])) {
            ++count;
        }
    }
    return count;
}
