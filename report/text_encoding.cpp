// UTF-16 to UTF-8 and back, and JSON strings.
#include "report/text_encoding.h"
#include <cstdint>

namespace {

const uint32_t ReplacementCharacter = 0xFFFD;

bool IsHighSurrogate(uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The code unit at index, whatever the width of wchar_t.
uint32_t UnitAt(const std::wstring& text, size_t index) {
    return static_cast<uint32_t>(text[index]) & 0xFFFF;
}

// The code point that starts at index, and how many units it takes; an unpaired surrogate is
// returned as itself, one unit long.
uint32_t CodePointAt(const std::wstring& text, size_t index, size_t* units) {
    uint32_t unit = UnitAt(text, index);
    *units = 1;
    if (IsHighSurrogate(unit) && index + 1 < text.size()) {
        uint32_t next = UnitAt(text, index + 1);
        if (IsLowSurrogate(next)) {
            *units = 2;
            return 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
        }
    }
    return unit;
}

void AppendUtf8(std::string* out, uint32_t point) {
    if (point < 0x80) {
        out->push_back(static_cast<char>(point));
    } else if (point < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (point >> 6)));
        out->push_back(static_cast<char>(0x80 | (point & 0x3F)));
    } else if (point < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (point >> 12)));
        out->push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (point & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (point >> 18)));
        out->push_back(static_cast<char>(0x80 | ((point >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (point & 0x3F)));
    }
}

void AppendUtf16(std::wstring* out, uint32_t point) {
    if (point < 0x10000) {
        out->push_back(static_cast<wchar_t>(point));
    } else {
        point -= 0x10000;
        out->push_back(static_cast<wchar_t>(0xD800 + (point >> 10)));
        out->push_back(static_cast<wchar_t>(0xDC00 + (point & 0x3FF)));
    }
}

const char HexDigits[] = "0123456789abcdef";

void AppendUnicodeEscape(std::string* out, uint32_t unit) {
    out->append("\\u");
    for (int shift = 12; shift >= 0; shift -= 4) {
        out->push_back(HexDigits[(unit >> shift) & 0xF]);
    }
}

} // namespace

std::string Utf8FromUtf16(const std::wstring& text, UnpairedSurrogates unpaired) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        size_t units;
        uint32_t point = CodePointAt(text, i, &units);
        if (units == 1 && (IsHighSurrogate(point) || IsLowSurrogate(point)) &&
            unpaired == ReplaceUnpaired) {
            point = ReplacementCharacter;
        }
        AppendUtf8(&out, point);
        i += units;
    }
    return out;
}

bool Utf16FromUtf8(const char* bytes, size_t size, std::wstring* text) {
    text->clear();
    const unsigned char* in = reinterpret_cast<const unsigned char*>(bytes);
    bool lastWasHighSurrogate = false;
    for (size_t i = 0; i < size;) {
        uint32_t lead = in[i];
        size_t length;
        uint32_t point;
        uint32_t smallest;
        if (lead < 0x80) {
            length = 1, point = lead, smallest = 0;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, point = lead & 0x1F, smallest = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, point = lead & 0x0F, smallest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, point = lead & 0x07, smallest = 0x10000;
        } else {
            return false; // a continuation byte, an overlong lead (C0, C1) or past U+10FFFF
        }
        if (length > size - i) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            uint32_t next = in[i + k];
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            point = (point << 6) | (next & 0x3F);
        }
        if (point < smallest || point > 0x10FFFF) {
            return false;
        }
        // A pair written as two 3-byte sequences would decode into a different string than the
        // one its writer held, once the two units are joined: not UTF-8, and not ours.
        if (lastWasHighSurrogate && IsLowSurrogate(point)) {
            return false;
        }
        lastWasHighSurrogate = IsHighSurrogate(point);
        AppendUtf16(text, point);
        i += length;
    }
    return true;
}

std::string JsonString(const std::wstring& text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        size_t units;
        uint32_t point = CodePointAt(text, i, &units);
        i += units;
        switch (point) {
        case '"':
            out.append("\\\"");
            continue;
        case '\\':
            out.append("\\\\");
            continue;
        case '\b':
            out.append("\\b");
            continue;
        case '\f':
            out.append("\\f");
            continue;
        case '\n':
            out.append("\\n");
            continue;
        case '\r':
            out.append("\\r");
            continue;
        case '\t':
            out.append("\\t");
            continue;
        default:
            break;
        }
        if (point < 0x20 || (units == 1 && (IsHighSurrogate(point) || IsLowSurrogate(point)))) {
            AppendUnicodeEscape(&out, point);
        } else {
            AppendUtf8(&out, point);
        }
    }
    out.push_back('"');
    return out;
}
