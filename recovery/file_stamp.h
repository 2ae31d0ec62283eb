// What tells that a file is still the one seen before: which file it is on its volume, its size
// and its last write. Windows-free record; StampFile needs Windows.
#pragma once
#include <cstdint>

struct FileStamp {
    int32_t taken; // 0: the file could not be opened when it was stamped
    uint32_t volume;
    uint64_t index; // the file's number on its volume
    int64_t size;
    uint64_t lastWrite; // 100 ns units since 1601
};

// The stamp of the file at path (long form), opened for its attributes alone and shared with
// every other opener.
FileStamp StampFile(const wchar_t* path);
// 1 when both were taken and name the same file, of the same size, last written at one time.
int SameFileStamp(const FileStamp& first, const FileStamp& second);
