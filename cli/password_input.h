// The password of decrypt: typed at the console without echo, the first line of standard input
// when that is no console, or the first line of a file. Its text becomes bytes by the file-API
// code page conversion, as the engine's password key expects, and every buffer that held it is
// wiped once the key is made.
//
// Bytes from a pipe or a file are decoded as UTF-8 after a UTF-8 byte-order mark, as UTF-16
// little-endian after that byte-order mark, as UTF-8 when they are valid UTF-8, and otherwise in
// the ANSI code page (the encoding of Notepad's "ANSI"). The line ends at CR or LF.
#pragma once
#include "cli/key_choice.h"
#include <string>

// Reads the password and derives its key into the process-wide Blowfish state. Returns 0 with a
// reason in one line when there is no password to take: none given, unreadable, empty, holding a
// NUL, or too long for the engine (32 bytes and more after the conversion).
int KeyFromPassword(PasswordSource source, const std::wstring& file, std::wstring* reason);
