// The clean-up after a decrypt run: a .crypt file whose output checked, and that neither file has
// changed since, is moved to the Recycle Bin, where the user can take it back. Nothing here ever
// deletes a user's file: where the bin does not keep what it is given (a drive without a bin, a
// bin set to delete at once, a file too large for it), the file is given back its name.
#pragma once
#include <cstdint>
#include <string>

#include "recovery/decrypt_run.h"

enum RecycleOutcome : int32_t {
    RecycleMoved = 0,         // in the Recycle Bin
    RecycleNotOffered = 1,    // not decrypted, or its output did not check
    RecycleOutputChanged = 2, // the output is gone or has changed since the run
    RecycleInputChanged = 3,  // the .crypt file is gone or has changed since the run
    RecyclePathTooLong = 4,   // longer than the shell's Recycle Bin takes (MAX_PATH)
    RecycleNoSecondName = 5,  // no second name could be made for it on its drive, without which
                              // its reaching the bin could not be made sure of
    RecycleRefused = 6,       // the shell did not move it
    RecycleNotKept = 7,       // the bin did not keep it: it is back under its own name
};

struct RecycleResult {
    RecycleOutcome outcome;
    uint32_t systemError; // the system's or the shell's error where there is one, else 0
    // A second name of the file that could not be removed or given back (long form); else empty.
    std::wstring secondName;
};

// 1 when the run's result lets its .crypt file be offered for the bin: decrypted (or already
// decrypted), its output checked, and both files stamped when the run ended with them.
int RecycleOffered(const CryptFileResult& result);

// Moves the .crypt file at path (long form), the input of result, to the Recycle Bin when it is
// offered and neither it nor its output has changed since result was made. The file is given a
// second name first: after the shell's move, that name's count of links tells whether the file
// went to the bin or was deleted, and a deleted one is given back its name from it.
RecycleResult RecycleCheckedCryptFile(const wchar_t* path, const CryptFileResult& result);
