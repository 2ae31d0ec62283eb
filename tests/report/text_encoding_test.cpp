// The text encodings of every front end, checked on published examples and on the names only
// Windows allows. Built natively (wchar_t of 32 bits) and for Windows (16 bits).
#include "report/text_encoding.h"
#include "tests/support/hex.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>
#include <cstdint>
#include <string>

namespace {

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
        std::string bytes = ByteStringFromHex(e.utf8);
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
        std::string bytes = ByteStringFromHex(e.utf8);
        std::wstring back;
        ASSERT_TRUE(Utf16FromUtf8(bytes.data(), bytes.size(), &back)) << e.utf8;
        EXPECT_TRUE(back == e.text) << e.utf8;
    }
    EXPECT_EQ(Hex(Utf8FromUtf16(Units({0x61, 0xD800, 0x62}), ReplaceUnpaired)), "61efbfbd62");
    EXPECT_EQ(Hex(Utf8FromUtf16(Units({0xDC00, 0xD800}), ReplaceUnpaired)), "efbfbdefbfbd");
}

// Random text of every kind of code unit (ASCII, two and three bytes, surrogates paired and
// lone) against the tests' own encoder, written apart from the programs': the printed form
// agrees with it, and the journal's form reads back to the very same units.
TEST(Utf8, RandomTextAgreesWithAnIndependentEncoder) {
    uint32_t state = 2463534242u;
    auto next = [&state]() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    const unsigned starts[] = {0x20,   0x7F,   0x400,  0x7FF,  0x800,  0xD7FF,
                               0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xE000, 0xFFFF};
    for (int round = 0; round < 2000; ++round) {
        std::wstring text;
        for (uint32_t length = next() % 12; length > 0; --length) {
            unsigned unit = starts[next() % 12] + next() % 3 - 1;
            text.push_back(static_cast<wchar_t>(unit & 0xFFFF));
        }
        std::string shown = Hex(Utf8FromUtf16(text, KeepUnpaired));
        EXPECT_EQ(Hex(Utf8FromUtf16(text, ReplaceUnpaired)), Hex(Utf8(text))) << shown;
        std::string kept = Utf8FromUtf16(text, KeepUnpaired);
        std::wstring back;
        ASSERT_TRUE(Utf16FromUtf8(kept.data(), kept.size(), &back)) << shown;
        EXPECT_TRUE(back == text) << shown;
    }
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
        std::string bytes = ByteStringFromHex(hex);
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
