// Key identification on files: reads, never writes, and says why when no key is taken.
#pragma once
#include <cstdint>

#include "recovery/key_identify.h"

// The key of one ".crypt" file, by the signature of the type its name had before ".crypt".
KeySearchResult IdentifyCryptFileKey(const wchar_t* path, int32_t withPassword, KeyMatch* match);

// Whether the file's type lets the key (a selector the run was given) be its key: KeyFound when
// the first blocks under it show the type's signature, KeyRefutedByType when they do not;
// KeyNoSignature and KeyTooShort when the type cannot tell, and the reasons a file cannot be read.
KeySearchResult TypeAcceptsKey(const wchar_t* path, int32_t selector);

// The key under which `encrypted` decrypts to `original` byte for byte: the first blocks choose
// the one candidate, then the whole of both files confirms it, asking stopRequested (may be null)
// between its chunks. Leaves the process-wide cipher state keyed for what it tried, as SelectKey
// would for the next file.
KeySearchResult FindPairFileKey(const wchar_t* original, const wchar_t* encrypted,
                                int32_t withPassword, KeyMatch* match, int (*stopRequested)());
