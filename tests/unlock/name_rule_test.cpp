// The damaged-name rule: which names carry the suffix, and what the cut gives back.
#include "unlock/name_rule.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>
#include <string>

namespace {

struct CutCase {
    const wchar_t* path;
    const wchar_t* restored; // nullptr: left alone
};

// The rule's worked examples, then the cases it leaves open: fewer than two spaces in the
// final name, restored names that are empty or dots, spaces in directory names.
const CutCase CutCases[] = {
    {L"\\\\?\\C:\\d\\report.doc xx-yy ", L"\\\\?\\C:\\d\\report.doc"},
    {L"\\\\?\\C:\\d\\my file.txt 12-34 ", L"\\\\?\\C:\\d\\my file.txt"},
    {L"\\\\?\\C:\\d\\a b c-d ", L"\\\\?\\C:\\d\\a b"},
    {L"\\\\?\\C:\\d\\x-y z-w ", L"\\\\?\\C:\\d\\x-y"},
    {L"\\\\?\\C:\\d\\notes  x-y ", L"\\\\?\\C:\\d\\notes "},
    {L"\\\\?\\C:\\my docs\\old dir\\photo 1.jpg ab-cd ",
     L"\\\\?\\C:\\my docs\\old dir\\photo 1.jpg"},
    {L"\\\\?\\C:\\d\\\x0444\x0430\x0439\x043b 1-2 ", L"\\\\?\\C:\\d\\\x0444\x0430\x0439\x043b"},
    {L"\\\\?\\C:\\d\\nospace", nullptr},
    {L"\\\\?\\C:\\my docs\\single-space ", nullptr},
    {L"\\\\?\\C:\\my docs\\x y", nullptr},
    {L"\\\\?\\C:\\d\\ a-b ", nullptr},
    {L"\\\\?\\C:\\d\\. a-b ", nullptr},
    {L"\\\\?\\C:\\d\\.. a-b ", nullptr},
    {L"\\\\?\\C:\\d\\... a-b ", L"\\\\?\\C:\\d\\..."},
    {L"a b-c ", L"a"},
    {L"", nullptr},
};

TEST(NameCut, TableOfPaths) {
    for (const CutCase& c : CutCases) {
        wchar_t restored[1024];
        int result = CutRestoredName(c.path, restored, 1024);
        SCOPED_TRACE(Utf8(c.path));
        if (c.restored == nullptr) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(restored[0], L'\0');
        } else {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(std::wstring(restored), std::wstring(c.restored)) << Utf8(restored);
        }
    }
}

TEST(NameCut, PathThatDoesNotFitIsLeftAlone) {
    // 1023 characters fit with the terminator; 1024 do not.
    std::wstring head = L"\\\\?\\C:\\";
    std::wstring fits = head + std::wstring(1023 - head.size() - 5, L'x') + L" a-b ";
    ASSERT_EQ(fits.size(), 1023u);
    wchar_t restored[1024];
    EXPECT_EQ(CutRestoredName(fits.c_str(), restored, 1024), 1);
    EXPECT_EQ(std::wstring(restored), fits.substr(0, 1018));
    std::wstring tooLong = head + L"y" + fits.substr(head.size());
    ASSERT_EQ(tooLong.size(), 1024u);
    EXPECT_EQ(CutRestoredName(tooLong.c_str(), restored, 1024), 0);
    EXPECT_EQ(restored[0], L'\0');
    wchar_t small[4];
    EXPECT_EQ(CutRestoredName(L"ab c-d ", small, 4), 0);
    EXPECT_EQ(CutRestoredName(L"ab c-d ", small, 0), 0);
}

TEST(DamageSuffix, AsThePatternHasIt) {
    EXPECT_TRUE(CarriesDamageSuffix(L"\\\\?\\D:\\a b-c "));
    EXPECT_TRUE(CarriesDamageSuffix(L"\\\\?\\D:\\ - "));
    EXPECT_TRUE(CarriesDamageSuffix(L"\\\\?\\D:\\x-y z-w "));
    EXPECT_FALSE(CarriesDamageSuffix(L"\\\\?\\D:\\a-b "));
    EXPECT_TRUE(CarriesDamageSuffix(L"\\\\?\\D:\\a b- "));
    EXPECT_FALSE(CarriesDamageSuffix(L"\\\\?\\D:\\a-b c "));
    EXPECT_TRUE(CarriesDamageSuffix(L"\\\\?\\D:\\a b-  "));
    EXPECT_FALSE(CarriesDamageSuffix(L"\\\\?\\D:\\a b c"));
    EXPECT_FALSE(CarriesDamageSuffix(L"\\\\?\\D:\\a b\\c-d "));
}

} // namespace
