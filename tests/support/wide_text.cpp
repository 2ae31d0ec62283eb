// UTF-16 and UTF-8 for the tests: see tests/support/wide_text.h.
#include "tests/support/wide_text.h"

namespace {

void AppendUtf8(std::string* out, unsigned long point) {
    if (point < 0x80) {
        out->push_back(static_cast<char>(point));
    } else if (point < 0x800) {
        out->push_back(static_cast<char>(0xC0 | point >> 6));
        out->push_back(static_cast<char>(0x80 | (point & 0x3F)));
    } else if (point < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | point >> 12));
        out->push_back(static_cast<char>(0x80 | (point >> 6 & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (point & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | point >> 18));
        out->push_back(static_cast<char>(0x80 | (point >> 12 & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (point >> 6 & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (point & 0x3F)));
    }
}

void AppendUtf16(std::wstring* out, unsigned long point) {
    if (point < 0x10000) {
        out->push_back(static_cast<wchar_t>(point));
    } else {
        out->push_back(static_cast<wchar_t>(0xD800 + ((point - 0x10000) >> 10)));
        out->push_back(static_cast<wchar_t>(0xDC00 + ((point - 0x10000) & 0x3FF)));
    }
}

bool IsHigh(unsigned long unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLow(unsigned long unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

std::wstring Units(std::initializer_list<unsigned> units) {
    std::wstring text;
    for (unsigned unit : units) {
        text.push_back(static_cast<wchar_t>(unit));
    }
    return text;
}

std::string Utf8(const std::wstring& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned long unit = static_cast<unsigned long>(text[i]) & 0xFFFF;
        if (IsHigh(unit) && i + 1 < text.size() && IsLow(text[i + 1] & 0xFFFF)) {
            unsigned long low = static_cast<unsigned long>(text[++i]) & 0xFFFF;
            AppendUtf8(&out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        } else {
            AppendUtf8(&out, IsHigh(unit) || IsLow(unit) ? 0xFFFD : unit);
        }
    }
    return out;
}

std::wstring Wide(const std::string& utf8) {
    std::wstring out;
    size_t i = 0;
    while (i < utf8.size()) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        size_t length = lead < 0x80                    ? 1
                        : lead >= 0xC2 && lead <= 0xDF ? 2
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                       : 0;
        unsigned long point = length == 1 ? lead : lead & (0x7F >> length);
        bool formed = length != 0 && i + length <= utf8.size();
        for (size_t k = 1; formed && k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(utf8[i + k]);
            formed = (next & 0xC0) == 0x80;
            point = point << 6 | (next & 0x3F);
        }
        // Overlong forms, surrogates and points past U+10FFFF are no UTF-8.
        static const unsigned long least[] = {0, 0, 0x80, 0x800, 0x10000};
        formed = formed && point >= least[length] && point <= 0x10FFFF &&
                 !(point >= 0xD800 && point <= 0xDFFF);
        AppendUtf16(&out, formed ? point : 0xFFFD);
        i += formed ? length : 1;
    }
    return out;
}
