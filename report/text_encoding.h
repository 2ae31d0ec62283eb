// Text as the programs write and read it: UTF-16 inside, UTF-8 on every byte stream, and JSON
// strings. Windows-free so that it is tested natively and fuzzed. A std::wstring here holds UTF-16
// code units, also where wchar_t is wider.
#pragma once
#include <cstddef>
#include <string>

// What becomes of a surrogate without its partner: Windows accepts such a file name, UTF-8 has no
// form for it.
enum UnpairedSurrogates {
    ReplaceUnpaired, // U+FFFD, so every reader takes the bytes as UTF-8 (printed output)
    KeepUnpaired,    // encoded as if it were a code point (the generalised form called WTF-8), so
                     // the exact name comes back (the journal)
};

std::string Utf8FromUtf16(const std::wstring& text, UnpairedSurrogates unpaired);

// Decodes UTF-8 into UTF-16 code units: false on anything else (overlong forms, code points past
// U+10FFFF, missing or stray continuation bytes). An encoded unpaired surrogate, as KeepUnpaired
// writes it, is taken; an encoded high surrogate followed by an encoded low one is not, because
// UTF-8 writes such a pair as one 4-byte sequence.
bool Utf16FromUtf8(const char* bytes, size_t size, std::wstring* text);

// text as a JSON string, quotes included: '"', '\' and the control characters escaped, an unpaired
// surrogate as its \uXXXX escape (so the exact name is kept), everything else as UTF-8.
std::string JsonString(const std::wstring& text);
