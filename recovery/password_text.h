// A password as a person types it, turned into the ".crypt" decryptor's Blowfish key.
#pragma once
#include <cstdint>

enum PasswordVerdict : int32_t {
    PasswordKeyed = 0,          // ProcessBlowfish holds the password's key
    PasswordEmpty = 1,          // no characters
    PasswordHoldsNul = 2,       // a NUL character, which no password can contain
    PasswordNotConvertible = 3, // the text has no form in the file-API code page that fits
    PasswordTooLong = 4, // more than the 31 bytes the key is made from (byteCount says how many)
    PasswordNotHeld = 5, // characters the code page of the file functions cannot hold: they would
                         // be keyed as others ('?'), so no file's key can come from it
};

// Makes the key from the first length characters of text: their bytes in the code page of the
// Windows file functions, as the engine's key derivation takes them. Every copy of the password
// it makes is wiped before it returns. byteCount receives the password's length in bytes when it
// could be converted, else 0.
PasswordVerdict KeyFromPasswordText(const wchar_t* text, int32_t length, int32_t* byteCount);

// The characters of the password that the code page of the Windows file functions cannot hold
// (a conversion would put another in their place), each once, in order, into notHeld (capacity
// wide characters, terminator included); returns how many there are.
int32_t PasswordCharactersNotHeld(const wchar_t* text, int32_t length, wchar_t* notHeld,
                                  uint32_t capacity);
// The code page the Windows file functions use now: its number, and in name (capacity wide
// characters) the number with the system's name for it, "1252 (ANSI - Latin I)".
uint32_t FileApiCodePage(wchar_t* name, uint32_t capacity);

// For a password that is too long, what a person can act on: its length in characters (a pair
// of surrogates counts as one), and how many of its first characters the key takes, their bytes
// in the code page of the Windows file functions being at most 31.
int32_t PasswordCharacters(const wchar_t* text, int32_t length);
int32_t PasswordCharactersThatFit(const wchar_t* text, int32_t length);
