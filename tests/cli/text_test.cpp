// The console program's text conversions, checked on published examples and on the names only
// Windows allows. Built natively (wchar_t of 32 bits) and for Windows (16 bits).
#include "report/text_encoding.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <string>

namespace {

std::string Hex(const std::string& bytes) {
    std::string out;
    char digits[4];
    for (unsigned char c : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", c);
        out += digits;
    }
    return out;
}

std::string Bytes(const char* hex) {
    std::string out;
    for (size_t i = 0; hex[i] != '\0' && hex[i + 1] != '\0'; i += 2) {
        out.push_back(static_cast<char>(std::stoi(std::string(hex + i, 2), nullptr, 16)));
    }
    return out;
}

std::wstring Units(std::initializer_list<unsigned> units) {
    std::wstring text;
    for (unsigned unit : units) {
        text.push_back(static_cast<wchar_t>(unit));
    }
    return text;
}

struct Encoding {
    std::wstring text;
    const char* utf8;
};

// RFC 3629, section 7 (the examples), and U+1F600 as a surrogate pair.
const Encoding Published[] = {
    {Units({0x41, 0x2262, 0x391, 0x2E}), "41e289a2ce912e"},
    {Units({0xD55C, 0xAD6D, 0xC5B4}), "ed959ceab5adec96b4"},
    {Units({0x65E5, 0x672C, 0x8A9E}), "e697a5e69cace8aa9e"},
    {Units({0xFEFF, 0xD84C, 0xDFB4}), "efbbbff0a38eb4"},
    {Units({0xD83D, 0xDE00}), "f09f9880"},
};

TEST(Utf8, PublishedExamplesBothWays) {
    for (const Encoding& e : Published) {
        EXPECT_EQ(Hex(Utf8FromUtf16(e.text, ReplaceUnpaired)), e.utf8);
        EXPECT_EQ(Hex(Utf8FromUtf16(e.text, KeepUnpaired)), e.utf8);
        std::string bytes = Bytes(e.utf8);
        std::wstring back;
        ASSERT_TRUE(Utf16FromUtf8(bytes.data(), bytes.size(), &back)) << e.utf8;
        EXPECT_TRUE(back == e.text) << e.utf8;
    }
}

// Windows names may hold a surrogate without its partner: replaced in printed output, kept
// exactly (in UTF-8's generalised form) in the journal.
TEST(Utf8, UnpairedSurrogatesAreReplacedOrKept) {
    const Encoding kept[] = {
        {Units({0xD800}), "eda080"},
        {Units({0x61, 0xDC00, 0x62}), "61edb08062"},
        {Units({0xDC00, 0xD800}), "edb080eda080"},
        {Units({0xD800, 0xD800, 0xDC00}), "eda080f0908080"},
        {Units({0xDBFF}), "edafbf"},
    };
    for (const Encoding& e : kept) {
        EXPECT_EQ(Hex(Utf8FromUtf16(e.text, KeepUnpaired)), e.utf8);
        std::string bytes = Bytes(e.utf8);
        std::wstring back;
        ASSERT_TRUE(Utf16FromUtf8(bytes.data(), bytes.size(), &back)) << e.utf8;
        EXPECT_TRUE(back == e.text) << e.utf8;
    }
    EXPECT_EQ(Hex(Utf8FromUtf16(Units({0x61, 0xD800, 0x62}), ReplaceUnpaired)), "61efbfbd62");
    EXPECT_EQ(Hex(Utf8FromUtf16(Units({0xDC00, 0xD800}), ReplaceUnpaired)), "efbfbdefbfbd");
}

TEST(Utf8, MalformedInputIsRefused) {
    const char* malformed[] = {
        "80",           // a continuation byte alone
        "c3",           // a lead byte without its continuation
        "e282",         // cut short
        "c080",         // overlong NUL
        "c1bf",         // overlong
        "e08080",       // overlong three-byte form
        "f0808080",     // overlong four-byte form
        "f4908080",     // past U+10FFFF
        "f8888080",     // five-byte lead
        "ff",           //
        "c328",         // a continuation byte missing in the middle
        "eda080edb080", // a pair written as two three-byte sequences
        "41e2",         // good text, then cut short
    };
    for (const char* hex : malformed) {
        std::string bytes = Bytes(hex);
        std::wstring text;
        EXPECT_FALSE(Utf16FromUtf8(bytes.data(), bytes.size(), &text)) << hex;
    }
    std::wstring empty = L"x";
    EXPECT_TRUE(Utf16FromUtf8("", 0, &empty));
    EXPECT_TRUE(empty.empty());
}

TEST(Json, StringsAreEscapedAsRfc8259Asks) {
    const struct {
        std::wstring text;
        const char* json;
    } cases[] = {
        {L"D:\\a b-c ", "\"D:\\\\a b-c \""},
        {L"say \"hi\"", "\"say \\\"hi\\\"\""},
        {Units({8, 9, 10, 12, 13}), "\"\\b\\t\\n\\f\\r\""},
        {Units({0, 1, 0x1F, 0x20, 0x7F}), "\"\\u0000\\u0001\\u001f \x7f\""},
        {Units({0x43A, 0x2028}), "\"\xd0\xba\xe2\x80\xa8\""},
        {Units({0xD83D, 0xDE00}), "\"\xf0\x9f\x98\x80\""},
        {Units({0x61, 0xD800, 0x62, 0xDFFF}), "\"a\\ud800b\\udfff\""},
        {L"", "\"\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JsonString(c.text), c.json);
    }
}

} // namespace
