// Decrypts one ".crypt" file into a new file beside it.
#pragma once
#include <cstdint>

#include "recovery/output_check.h"

enum DecryptResult : int32_t {
    DecryptOk = 0,
    DecryptOpenFailed = 2,
    DecryptCreateFailed = 3,
    DecryptReadFailed = 4,
    DecryptWriteFailed = 5,
    DecryptNoKey = 6,
    DecryptNotCryptFile = 7,
    DecryptStopped = 8,  // the caller asked to stop part way: nothing was left behind
    DecryptNotKept = 9,  // the output failed its check, and the caller wanted none then
    DecryptDiffers = 10, // within the stream only: the plaintext is not the compared file's
};

// The first chunk read, decrypted and written; later chunks grow from it (see decrypt_stream.h).
constexpr uint32_t DecryptChunkSize = 8192;

// The name buffer of the input path and of every output candidate, terminator included: a longer
// path is refused before anything is created.
constexpr uint32_t DecryptNameCapacity = 260;

// Only a path whose last '.' (folder names included) starts exactly ".crypt" is decrypted; the
// test is the one IsCryptName of recovery/key_identify.h makes. The key is RunState.KeySelector.
DecryptResult DecryptCryptFile(const wchar_t* path);

// What a caller may watch and say while a file is decrypted; either member may be null.
struct DecryptWatch {
    // After each chunk is decrypted: the bytes done so far and the file's size.
    void (*progress)(uint64_t bytesDone, uint64_t bytesAll);
    // Asked before each chunk: non-zero ends the file with DecryptStopped.
    int (*stopRequested)();
};

// The same, watched (watch may be null) and telling what it did. The plaintext is written into a
// new file of its own whose name ends in ".part" ("report.pdf.part", or "report.pdf.part(0)"...
// when that is taken), and only when the last byte is written and on the disk does it take the
// first final name no entry holds, by a rename that never replaces. On success output
// (DecryptNameCapacity wide characters) receives the final path; on any failure the unfinished
// file is removed and output is empty. systemError receives the system's error of a failed open,
// create, read, write or rename, else 0; ERROR_FILENAME_EXCED_RANGE when no candidate name fits
// the name buffer.
DecryptResult DecryptCryptFileTo(const wchar_t* path, const DecryptWatch* watch, wchar_t* output,
                                 uint32_t* systemError);

// The longest path of the platform's long form, "\\?\" included.
constexpr uint32_t DecryptLongPathCapacity = 32767;

// The names the decryptor gives beside an input "report.pdf.crypt": its outputs "report.pdf",
// "report.pdf(0)", "report.pdf(1)"... and its unfinished files "report.pdf.part",
// "report.pdf.part(0)"... A name of the row is told by its counter: DecryptNameBare for the
// first, 0, 1... for the others; DecryptNameNone for none.
constexpr int32_t DecryptNameNone = -2;
constexpr int32_t DecryptNameBare = -1;
enum DecryptNameRow : int32_t {
    DecryptOutputNames = 0,
    DecryptUnfinishedNames = 1,
};
// The text a counter adds to a name, "(0)", "(1)"... into text (DecryptCounterCapacity wide
// characters); 0 for a counter past the largest whose text fits.
constexpr uint32_t DecryptCounterCapacity = 10;
int DecryptCounterText(int32_t counter, wchar_t* text);
// The tail of an unfinished file's name.
extern const wchar_t DecryptUnfinishedTail[];
// Writes the final name (no folder) of the row's name with this counter, for the input's path,
// into name (capacity wide characters); an empty name for DecryptNameNone or a path that is no
// ".crypt" name. Returns 0 when it does not fit.
int DecryptedNameOf(const wchar_t* inputPath, DecryptNameRow row, int32_t counter, wchar_t* name,
                    uint32_t capacity);
// A final name fits in this many wide characters, terminator included: the file system's names
// are at most 255 characters.
constexpr uint32_t DecryptFileNameCapacity = 260;

// What a caller of DecryptCryptFileAs gives and gets back.
struct DecryptTarget {
    const DecryptWatch* watch; // may be null
    uint32_t pathCapacity;     // the longest input and output path taken, terminator included:
                               // DecryptNameCapacity up to DecryptLongPathCapacity
    CheckFormat checkFormat;   // the output checked by its format's own checks as it is written;
                               // CheckFormatNone: not checked
    int32_t dropIfCheckFails;  // an output whose check fails is removed again (DecryptNotKept)
    int32_t keepEarlier;       // an output's usual name that holds this plaintext already is
                               // taken as the output, and nothing is written
    // Filled in: the check's verdict; 1 when the output's usual name held these very bytes
    // already (a decryption of an earlier run): nothing was written, outputCounter names it.
    CheckReport check;
    int32_t alreadyDecrypted;
    // Filled in: the output's counter (DecryptOutputNames) on success, else DecryptNameNone; the
    // counter of a file that an earlier run left unfinished beside the input (DecryptUnfinished-
    // Names), found while naming this one's unfinished file and left as it is, else
    // DecryptNameNone; the system's error as for DecryptCryptFileTo.
    int32_t outputCounter;
    int32_t leftoverCounter;
    uint32_t systemError;
};

// DecryptCryptFileTo for paths up to target->pathCapacity characters (the long form reaches
// 32,767), telling the output by its counter, checked as asked. An entry that holds an unfinished
// file's name before this run's is never touched: it may be a file the user keeps. With
// keepEarlier, when a file of the output's usual name has the input's size, the plaintext is
// first compared with it, and only written when it differs.
DecryptResult DecryptCryptFileAs(const wchar_t* path, DecryptTarget* target);
