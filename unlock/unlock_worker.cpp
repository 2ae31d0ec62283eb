// The start of a run and its worker: the loop over the 32 drive letters and the final report.
#include "unlock/unlock_run.h"
#include "unlock/run_state.h"
#include "unlock/drive_rule.h"
#include "unlock/walk_limits.h"
#include "app/texts.h"
#include <winioctl.h>

// "* *-* ": star, space, star, hyphen, star, space.
const wchar_t SuffixPattern[] = L"* *-* ";

namespace {
const int32_t KeySelectorNone = -1;
const wchar_t DevicePathFormat[] = L"\\\\.\\%c:";     // \\.\C:, opened for the media check
const wchar_t DriveRootFormat[] = L"\\\\?\\%c:\\";    // \\?\C:\, for the type and space queries
const wchar_t StartDirectoryFormat[] = L"\\\\?\\%c:"; // \\?\C:, handed to the walker

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

int32_t StartUnlockRun() {
    RunState.KeySelector = KeySelectorNone;
    SetProgressStep(1);
    SetProgressRange(0, 100);
    RunState.UnlockedCount = 0;
    // An explicit stack, sized for the deepest walk the path buffers allow.
    RunState.WorkerThread = CreateThread(nullptr, WorkerStackBytes, UnlockWorker, nullptr,
                                         STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    return 1;
}

DWORD WINAPI UnlockWorker(LPVOID) {
    // Cleared at the start and set by the dialog's Exit; the walk does not read it, because
    // leaving the dialog ends the process, and with it the walk, at once.
    RunState.StopFlag = 0;
    DWORD mask = GetLogicalDrives();
    wchar_t drivePath[32];
    wchar_t pattern[260];
    for (int bit = 0; bit < 32; ++bit) {
        if (!(mask & (static_cast<DWORD>(1) << bit))) {
            continue;
        }
        wchar_t letter = DriveLetterOfBit(bit);
        int deviceOpened;
        int mediaChecked;
        DWORD checkError;
        // Nothing on the drive is touched before its media check.
        CheckMedium(letter, &deviceOpened, &mediaChecked, &checkError);
        UINT driveType = 0;
        if (deviceOpened) {
            wsprintfW(drivePath, DriveRootFormat, letter);
            driveType = GetDriveTypeW(drivePath);
        }
        if (!DriveIsSearched(deviceOpened, mediaChecked, checkError, driveType)) {
            continue;
        }
        lstrcpynW(pattern, SuffixPattern, 260);
        // A failed space query leaves the used bytes at 0, which shows every file as 100.
        ULARGE_INTEGER totalBytes;
        ULARGE_INTEGER freeBytes;
        totalBytes.QuadPart = 0;
        freeBytes.QuadPart = 0;
        GetDiskFreeSpaceExW(drivePath, nullptr, &totalBytes, &freeBytes);
        RunState.UsedBytes = static_cast<int64_t>(totalBytes.QuadPart - freeBytes.QuadPart);
        RunState.WalkedBytes = 0;
        wsprintfW(drivePath, StartDirectoryFormat, letter);
        DirectoryWalker(drivePath, pattern);
    }
    SetProgressPos(100);
    wsprintfW(RunState.ResultText, RunState.RussianUi ? ResultFormatRussian : ResultFormatEnglish,
              RunState.UnlockedCount);
    MessageBoxW(RunState.DialogWindow, RunState.ResultText, ResultTitle, MB_OK);
    return static_cast<DWORD>(RunState.UnlockedCount);
}
