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

// The pattern matched on a name alone, never saying no where the platform's listing says yes:
// for the damaged-name pattern exactly CarriesDamageSuffix, over every name of up to six
// characters from a small alphabet.
TEST(CouldMatch, NeverMissesWhatThePatternMatches) {
    const wchar_t alphabet[] = {L'a', L' ', L'-', L'.'};
    std::wstring name;
    for (int length = 0; length <= 6; ++length) {
        int combinations = 1;
        for (int i = 0; i < length; ++i) {
            combinations *= 4;
        }
        for (int n = 0; n < combinations; ++n) {
            name.clear();
            for (int i = 0, rest = n; i < length; ++i, rest /= 4) {
                name += alphabet[rest % 4];
            }
            std::wstring path = L"\\\\?\\D:\\" + name;
            EXPECT_EQ(NameCouldMatch(name.c_str(), SuffixPattern),
                      CarriesDamageSuffix(path.c_str()))
                << "\"" << std::string(name.begin(), name.end()) << "\"";
        }
    }
}

TEST(CouldMatch, OtherPatternsCaseAndLettersOfOtherScripts) {
    const struct {
        const wchar_t* name;
        const wchar_t* pattern;
        int could;
    } cases[] = {
        {L"report.pdf.crypt", L"*.crypt", 1},
        {L"REPORT.PDF.CRYPT", L"*.crypt", 1},
        {L"a.crypt.bak", L"*.crypt", 0},
        {L".crypt", L"*.crypt", 1},
        {L"crypt", L"*.crypt", 0},
        {L"x.CR\u0130PT", L"*.crypt", 1},
        {L"abc", L"a?c", 1},
        {L"ac", L"a?c", 0},
        {L"ab", L"ab?", 1},
        {L"", L"*", 1},
        {L"", L"", 1},
        {L"a", L"", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NameCouldMatch(c.name, c.pattern), c.could)
            << std::wstring(c.name).size() << " " << std::wstring(c.pattern).size();
    }
}

// The copy's form restore --keep-both gives a taken name, as Windows Explorer names copies, and
// the journal reader's test for it.
TEST(CopyName, AsExplorerNamesCopies) {
    const struct {
        const wchar_t* path;
        int isFolder;
        int number;
        const wchar_t* copy;
    } cases[] = {
        {L"\\\\?\\D:\\photo.jpg", 0, 2, L"\\\\?\\D:\\photo (2).jpg"},
        {L"\\\\?\\D:\\archive.tar.gz", 0, 3, L"\\\\?\\D:\\archive.tar (3).gz"},
        {L"\\\\?\\D:\\notes", 0, 2, L"\\\\?\\D:\\notes (2)"},
        {L"\\\\?\\D:\\.profile", 0, 2, L"\\\\?\\D:\\.profile (2)"},
        {L"\\\\?\\D:\\Work.2024", 1, 12, L"\\\\?\\D:\\Work.2024 (12)"},
        {L"\\\\?\\D:\\a.b\\c", 0, 2, L"\\\\?\\D:\\a.b\\c (2)"},
    };
    wchar_t copy[64];
    for (const auto& c : cases) {
        ASSERT_EQ(CopyNameOf(c.path, c.isFolder, c.number, copy, 64), 1);
        EXPECT_EQ(std::wstring(copy), c.copy);
        EXPECT_EQ(IsCopyNameOf(copy, c.path), 1);
    }
    EXPECT_EQ(CopyNameOf(L"\\\\?\\D:\\x", 0, 1, copy, 64), 0);         // copies start at 2
    EXPECT_EQ(CopyNameOf(L"\\\\?\\D:\\photo.jpg", 0, 2, copy, 20), 0); // one short of fitting
    EXPECT_EQ(CopyNameOf(L"\\\\?\\D:\\photo.jpg", 0, 2, copy, 21), 1);
    for (const wchar_t* other :
         {L"\\\\?\\D:\\photo (1).jpg", L"\\\\?\\D:\\photo (02).jpg", L"\\\\?\\D:\\photo (2)x.jpg",
          L"\\\\?\\D:\\photo(2).jpg", L"\\\\?\\D:\\photo.jpg", L"\\\\?\\E:\\photo (2).jpg"}) {
        EXPECT_EQ(IsCopyNameOf(other, L"\\\\?\\D:\\photo.jpg"), 0) << std::wstring(other).size();
    }
}

} // namespace
