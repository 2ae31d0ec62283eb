// Finds which key a ".crypt" file was made with, from its first bytes alone: by the signature of
// the type its name had before ".crypt", or by comparison with the file's original.
#pragma once
#include <cstdint>

#include "recovery/file_signatures.h"
#include "recovery/head_decrypt.h"
#include "recovery/key_select.h"

enum KeySearchResult : int32_t {
    KeyFound = 0,
    KeyNoSignature = 1,      // the type before ".crypt" has no known signature (plain text...)
    KeyNoneFits = 2,         // no candidate key gives the signature, or the original's bytes
    KeySeveralFit = 3,       // more than one does: none is taken
    KeyTooShort = 4,         // the file ends before the bytes that would tell the keys apart
    KeySizesDiffer = 5,      // an original and an encrypted file of different sizes
    KeyWholeFileDiffers = 6, // one key fits the first blocks, but the whole file does not follow
    KeyNotCryptName = 7,     // the name does not end in ".crypt"
    KeyOpenFailed = 8,       // the file is missing, locked or not readable by this user
    KeyReadFailed = 9,
    KeyNotAFile = 10,      // a folder or a device
    KeyStopped = 11,       // the caller asked to stop before the search was done
    KeyRefutedByType = 12, // the key given does not show the signature of the file's type
    KeySeveralCheck = 13,  // several keys fit, and the output of more than one of them checks
};

// How much of a file's start identification reads: enough for every signature in the table
// (tar's lies at 257) and for the usual place of a PE signature; whole blocks, so the chain of a
// longer file continues from it.
constexpr uint32_t KeyHeadSize = 4096;
// A pair is compared over at least one whole block: fewer bytes could fit a wrong key by chance.
constexpr uint32_t PairLeastSize = 8;
// Bit of a candidate in KeyMatch::fittingKeys: the table index, and this one for the password.
constexpr uint32_t PasswordKeyBit = 1u << BuiltInDesKeyCount;

struct KeyMatch {
    int32_t selector;     // the key found (0..9 or KeySelectorPassword), else KeySelectorNone
    uint32_t fittingKeys; // every candidate that fitted: 1 << index, PasswordKeyBit
};

// The candidates are the ten built-in keys and, when withPassword is non-zero, the password key
// DerivePasswordKey made last. None of these functions changes the process-wide cipher state.

// extension: the type's extension, without its dot (e.g. "pdf", any ASCII case).
KeySearchResult IdentifyKeyBySignature(const wchar_t* extension, uint32_t extensionLength,
                                       const CipherHead* head, int32_t withPassword,
                                       KeyMatch* match);
// The same against a table of the caller's.
KeySearchResult IdentifyKeyAmong(const FileSignature* signatures, uint32_t signatureCount,
                                 const wchar_t* extension, uint32_t extensionLength,
                                 const CipherHead* head, int32_t withPassword, KeyMatch* match);

// The key under which the encrypted head decrypts to the original's first bytes. original holds
// at least the head's readable bytes; originalSize is the original file's size. KeyFound here
// still wants confirmation over the whole file.
KeySearchResult FindPairKeyInHeads(const uint8_t* original, uint64_t originalSize,
                                   const CipherHead* encrypted, int32_t withPassword,
                                   KeyMatch* match);

// The extension of the files the decryptor takes, in these letters only, and its length.
constexpr wchar_t CryptExtension[] = L".crypt";
constexpr uint32_t CryptExtensionLength = sizeof CryptExtension / sizeof CryptExtension[0] - 1;

// Whether the path names a ".crypt" file as the decryptor takes it: its last '.' (anywhere in the
// path) starts exactly ".crypt", case counting.
bool IsCryptName(const wchar_t* path);
// The extension the file had before ".crypt" ("report.pdf.crypt" gives "pdf"), not NUL-ended:
// its start, its length in *length. Null when the path is no ".crypt" name or the name had no
// extension.
const wchar_t* TypeExtensionOfCryptName(const wchar_t* path, uint32_t* length);
