// The long form the walk, the rename and the decryptor take every path in, from a path as a
// person or a file dialog gives it; and how the file system compares names.
#pragma once
#include <cstddef>
#include <cstdint>

enum LongFormResult : int32_t {
    LongFormMade = 0,
    LongFormDevice = 1,    // \\.\X: and the like: a device, not a file or folder
    LongFormNotOnDrive = 2, // neither below a drive letter nor below a network share
    LongFormTooLong = 3,    // the long form does not fit out
    LongFormRefused = 4,   // the system could not make it a full path (systemError says why)
};

// path (D:, D:\, C:\Users\Ann, Work\2024, ..\x, \\server\share\x, or already \\?\...) in long
// form without a trailing separator, into out (capacity wide characters, terminator included):
// \\?\D:, \\?\C:\Users\Ann, \\?\UNC\server\share\x. D: means that drive's root. A path already
// in long form is taken literally. shareRoot is set when the path is a share itself (opened
// with a trailing separator).
LongFormResult LongFormOf(const wchar_t* path, wchar_t* out, size_t capacity, int32_t* shareRoot,
                          uint32_t* systemError);

// 1 when inner is outer or lies below it, names compared as the file system compares them.
int LiesWithin(const wchar_t* inner, const wchar_t* outer);

// The key by which the file system tells names apart: text in capitals, as a case-insensitive
// file system compares names, into key (capacity wide characters, terminator included). Two
// names are the same entry's when their keys are equal. Returns 0 when text does not fit.
int CaseKeyOf(const wchar_t* text, wchar_t* key, size_t capacity);
