// Checks a decrypted file by its own format's checks, on the plaintext as it is written: the
// CRC-32 and sizes of every ZIP entry and of a gzip stream, every PNG chunk's CRC, the JPEG
// segment chain, the PDF cross-reference, the header CRCs of 7z and RAR, and so on. A file
// decrypted under a wrong key, or damaged before it was encrypted, fails them; a type without
// such checks (plain text and the like) is "not checkable". Windows-free.
#pragma once
#include <cstdint>

enum CheckVerdict : int32_t {
    CheckNotCheckable = 0, // the type has no check of its own, or none was asked for
    CheckPassed = 1,       // every check the format carries held
    CheckFailed = 2,       // one did not: the key may be wrong, or the file damaged before
};

// The format the check took the file for, by the type its name had before ".crypt".
enum CheckFormat : int32_t {
    CheckFormatNone = 0,
    CheckFormatZip = 1, // zip and the ZIP family: docx/xlsx/pptx, odt/ods/odp, jar, epub...
    CheckFormatPng = 2,
    CheckFormatGzip = 3,
    CheckFormatJpeg = 4,
    CheckFormatPdf = 5,
    CheckFormatBmp = 6,
    CheckFormatSqlite = 7,
    CheckFormat7z = 8,
    CheckFormatRar = 9,
    CheckFormatGif = 10,
    CheckFormatCount = 11,
};

// What failed, when the verdict is CheckFailed.
enum CheckFailure : int32_t {
    CheckFailureNone = 0,
    CheckFailureSignature = 1,      // the file does not begin as its format begins
    CheckFailureTruncated = 2,      // it ends before its structure does
    CheckFailureStructure = 3,      // a header, length or offset that the format rules out
    CheckFailureCrc = 4,            // a stored CRC-32 (or CRC-16) differs from the bytes'
    CheckFailureSize = 5,           // a stored size differs from the bytes'
    CheckFailureInflate = 6,        // compressed data that does not inflate
    CheckFailureDirectory = 7,      // ZIP: the central directory does not match the entries
    CheckFailureEnd = 8,            // the end marker (IEND, EOI, %%EOF, the GIF trailer) is missing
    CheckFailureCrossReference = 9, // PDF: startxref does not lead to a cross-reference
    CheckFailureCount = 10,
};

struct CheckReport {
    CheckVerdict verdict;
    CheckFormat format;
    CheckFailure failure;
    // What was checked, for the words: ZIP entries, PNG chunks, gzip members, JPEG segments, GIF
    // images, RAR or 7z headers, SQLite pages; 0 where the format counts nothing. On a failure,
    // the number (from 1) of the item it was found in, or 0 when it lies outside every item (a
    // ZIP central directory, a file header, JPEG scan data).
    uint64_t items;
    // ZIP: entries whose contents could not be checked (encrypted by their own password, or
    // compressed by a method other than stored and deflate): their structure was checked alone.
    // RAR: 1 when the headers after the main one are encrypted by the archive's password.
    uint64_t uncheckedItems;
    // Where the failure was found: the byte offset in the file of the item, header or field that
    // failed; for a file that ends too soon, its size.
    uint64_t failedAt;
};

// The format of the checks for a type, by its extension without the dot ("docx", any ASCII case);
// CheckFormatNone when the type has none.
CheckFormat CheckFormatOfExtension(const wchar_t* extension, uint32_t length);

// Reads back bytes of the output already written, for the few checks that need to look at an
// earlier part of the file again (the PDF cross-reference that startxref names): at most a few
// kilobytes in all. Returns the bytes read.
struct CheckReadBack {
    uint32_t (*readAt)(void* file, uint64_t offset, uint8_t* bytes, uint32_t count);
    void* file;
};

// The state of one check, owned by the caller between StartOutputCheck and EndOutputCheck; it
// holds what the format needs (an inflater's state and window among it, in the state itself) and
// allocates nothing else, but for a ZIP's compact record of each entry (32 bytes an entry, for
// the first 65,536 entries). One thread at a time uses one check; checks share nothing.
struct OutputCheck;

// A check of a file of fileSize bytes in the format given; returns null when the state cannot
// be allocated (the file is then reported as not checkable). The bytes fed must add up to
// fileSize: fewer fail the check as truncated.
OutputCheck* StartOutputCheck(CheckFormat format, uint64_t fileSize);
// The file's next bytes, in file order; the same verdict comes however the bytes are split.
// Once the verdict is settled (a failure found) further bytes cost nothing.
void FeedOutputCheck(OutputCheck* check, const uint8_t* bytes, uint32_t count);
// After the last byte: the verdict, once. readBack reads the output written (the caller's file);
// null leaves the PDF cross-reference unread. A null check gives "not checkable".
void FinishOutputCheck(OutputCheck* check, const CheckReadBack* readBack, CheckReport* report);
// Frees the state; null is allowed.
void EndOutputCheck(OutputCheck* check);
