// The dialog's short texts, exact: its caption, the banner title, the Russian button captions and
// the result message in both languages.
#include "app/texts.h"

#include <gtest/gtest.h>

TEST(Texts, ShortTextsAreExact) {
    EXPECT_STREQ(WindowCaption, L"Rescindo");
    EXPECT_STREQ(BannerTitle, L"Vorpalix unlocker");
    EXPECT_STREQ(ContinueCaptionRussian, L"Продолжить");
    EXPECT_STREQ(ExitCaptionRussian, L"Выход");
    EXPECT_STREQ(ResultFormatEnglish, L"Unlocked %d file(s)");
    EXPECT_STREQ(ResultFormatRussian, L"Разблокировано %d файл(ов)");
    EXPECT_STREQ(ResultTitle, L"Done");
}
