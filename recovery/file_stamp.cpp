// See recovery/file_stamp.h.
#include "recovery/file_stamp.h"

#include <windows.h>

FileStamp StampFile(const wchar_t* path) {
    FileStamp stamp = {};
    HANDLE file = CreateFileW(path, FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return stamp;
    }
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileInformationByHandle(file, &information)) {
        stamp.taken = 1;
        stamp.volume = information.dwVolumeSerialNumber;
        stamp.index =
            (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
        stamp.size = static_cast<int64_t>((static_cast<uint64_t>(information.nFileSizeHigh) << 32) |
                                          information.nFileSizeLow);
        stamp.lastWrite =
            (static_cast<uint64_t>(information.ftLastWriteTime.dwHighDateTime) << 32) |
            information.ftLastWriteTime.dwLowDateTime;
    }
    CloseHandle(file);
    return stamp;
}

int SameFileStamp(const FileStamp& first, const FileStamp& second) {
    return first.taken && second.taken && first.volume == second.volume &&
           first.index == second.index && first.size == second.size &&
           first.lastWrite == second.lastWrite;
}
