// The dialog's long text: the introductions and the notice exact, the layout rules of the
// justified disclaimers (line count, paragraph indents, widths, runs of spaces, CR LF, closing
// empty line).
#include "app/texts.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
// Splits at CR LF; a lone CR or LF shows up inside a line.
std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t end = text.find(L"\r\n"); end != std::wstring::npos;
         end = text.find(L"\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    lines.push_back(text.substr(start));
    return lines;
}

struct DisclaimerLayout {
    const char* language;
    const wchar_t* text;
    size_t lineCount;
    std::vector<size_t> paragraphStarts; // 1-based line numbers
    std::vector<size_t> shortLines;      // lines that end a paragraph short
    size_t narrowest, widest;            // width of every other line
    size_t longestRun;                   // of spaces inside a line
    std::vector<std::wstring> firstLines;
    std::wstring nextLineBegins;
};

const DisclaimerLayout Disclaimers[] = {
    {"English",
     DisclaimerTextEnglish,
     9,
     {1, 7},
     {9},
     85,
     91,
     2,
     {L"    By pressing the <Continue> button,  you agree  that this  SOFTWARE is supplied on",
      L"an <AS IS> basis  and  in  no event  shall  Brennick  be  liable  for  possible damage"},
     L"arising  out  of  the  use  of  or  inability to use the SOFTWARE."},
    {"Russian",
     DisclaimerTextRussian,
     12,
     {1, 9},
     {8, 12},
     73,
     81,
     4,
     {L"    Нажимая <Продолжить> Вы соглашаетесь с тем, что данное ПО поставляется",
      L"<как есть>,  и  Бренник  не   несет  ответственности  за  возможный  ущерб,",
      L"нанесенный Вам  в результате использования или невозможности использования"},
     L"данного ПО."},
};
} // namespace

TEST(DialogText, IntroAndNoticeAreExact) {
    EXPECT_STREQ(
        IntroTextEnglish,
        L"Free utility to recover files crypted by Vorpalix and its modifications\r\n\r\n");
    EXPECT_STREQ(
        IntroTextRussian,
        L"Бесплатная утилита для восстановления файлов после Vorpalix и его модификаций. \r\n\r\n");
    std::vector<std::wstring> notice = Lines(MakerNotice);
    ASSERT_EQ(notice.size(), 3u) << "a copyright line and an address, each ending in CR LF";
    EXPECT_EQ(notice[0].find(L"Copyright"), 0u);
    EXPECT_EQ(notice[1].find(L"https://"), 0u);
    EXPECT_EQ(notice[2], L"");
}

TEST(DialogText, DisclaimersAreJustifiedBlocks) {
    for (const DisclaimerLayout& layout : Disclaimers) {
        SCOPED_TRACE(layout.language);
        std::vector<std::wstring> lines = Lines(layout.text);
        // The block ends with an empty line: two CR LF pairs, then nothing.
        ASSERT_EQ(lines.size(), layout.lineCount + 2);
        EXPECT_EQ(lines[layout.lineCount], L"");
        EXPECT_EQ(lines[layout.lineCount + 1], L"");
        for (size_t i = 0; i < layout.firstLines.size(); ++i) {
            EXPECT_EQ(lines[i], layout.firstLines[i]);
        }
        EXPECT_EQ(lines[layout.firstLines.size()].find(layout.nextLineBegins), 0u);
        for (size_t n = 1; n <= layout.lineCount; ++n) {
            const std::wstring& line = lines[n - 1];
            SCOPED_TRACE("line " + std::to_string(n));
            EXPECT_EQ(line.find_first_of(L"\r\n\t"), std::wstring::npos);
            EXPECT_NE(line.back(), L' ');
            bool starts = false;
            for (size_t start : layout.paragraphStarts) {
                starts = starts || start == n;
            }
            bool isShort = false;
            for (size_t shortLine : layout.shortLines) {
                isShort = isShort || shortLine == n;
            }
            bool indented = line.compare(0, 4, L"    ") == 0 && line[4] != L' ';
            EXPECT_EQ(indented, starts);
            if (!isShort) {
                EXPECT_GE(line.size(), layout.narrowest);
                EXPECT_LE(line.size(), layout.widest);
            } else {
                EXPECT_LT(line.size(), layout.narrowest);
            }
            std::wstring body = starts ? line.substr(4) : line;
            EXPECT_EQ(body.find(std::wstring(layout.longestRun + 1, L' ')), std::wstring::npos);
        }
    }
}

TEST(DialogText, JoinsIntroDisclaimerAndNotice) {
    const struct {
        int russian;
        const wchar_t* intro;
        const wchar_t* disclaimer;
    } languages[] = {{0, IntroTextEnglish, DisclaimerTextEnglish},
                     {1, IntroTextRussian, DisclaimerTextRussian}};
    for (const auto& language : languages) {
        wchar_t* text = BuildDialogText(language.russian);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(std::wstring(text),
                  std::wstring(language.intro) + language.disclaimer + MakerNotice);
        delete[] text;
    }
}
