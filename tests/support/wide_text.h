// Wide text in the tests: a std::wstring holds UTF-16 code units on every platform, as in the
// programs (also natively, where wchar_t has 32 bits). Written apart from the programs' own
// conversions (report/text_encoding.*) so that it can check them. Portable.
#pragma once
#include <initializer_list>
#include <string>

// Text of exactly these code units, lone surrogates included.
std::wstring Units(std::initializer_list<unsigned> units);

// UTF-8 of the text, a surrogate without its partner as U+FFFD: for file contents that name
// their file, for comparing with a program's UTF-8 output and for failure messages.
std::string Utf8(const std::wstring& text);

// UTF-16 of UTF-8 text; a byte that starts no well-formed sequence becomes U+FFFD.
std::wstring Wide(const std::string& utf8);
