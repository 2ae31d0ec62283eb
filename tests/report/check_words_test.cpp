// What the check of a decrypted file says in words, in English and in Russian: every verdict,
// every failure in an item and in the file as a whole, every format's count with Russian's three
// plural forms, and the short words for a list's column.
#include "report/check_words.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>
#include <string>

namespace {

CheckReport Passed(CheckFormat format, uint64_t items, uint64_t unchecked = 0) {
    return {CheckPassed, format, CheckFailureNone, items, unchecked, 0};
}

CheckReport Failed(CheckFormat format, CheckFailure failure, uint64_t item, uint64_t at) {
    return {CheckFailed, format, failure, item, 0, at};
}

std::string English(const CheckReport& report) {
    return Utf8(CheckReportWords(report, WordsEnglish));
}

std::string Russian(const CheckReport& report) {
    return Utf8(CheckReportWords(report, WordsRussian));
}

const char EnglishCause[] =
    "; the key may be wrong, or the file was damaged before it was encrypted";
const char RussianCause[] = "; возможно, ключ неверен или файл был повреждён ещё до шифрования";

TEST(CheckWords, PassedWithWhatWasCounted) {
    const struct {
        CheckReport report;
        const char* english;
        const char* russian;
    } cases[] = {
        {Passed(CheckFormatZip, 14), "checked: ZIP, 14 entries", "проверен: ZIP, 14 элементов"},
        {Passed(CheckFormatZip, 1), "checked: ZIP, 1 entry", "проверен: ZIP, 1 элемент"},
        {Passed(CheckFormatZip, 0), "checked: ZIP, 0 entries", "проверен: ZIP, 0 элементов"},
        {Passed(CheckFormatZip, 14, 2),
         "checked: ZIP, 14 entries (2 of them by their structure alone: encrypted, or compressed "
         "by a method the check does not read)",
         "проверен: ZIP, 14 элементов (содержимое не проверено — зашифровано или сжато другим "
         "методом: 2)"},
        {Passed(CheckFormatPng, 9), "checked: PNG, 9 chunks", "проверен: PNG, 9 блоков"},
        {Passed(CheckFormatGzip, 2), "checked: gzip, 2 members", "проверен: gzip, 2 потока"},
        {Passed(CheckFormatJpeg, 23), "checked: JPEG, 23 segments", "проверен: JPEG, 23 сегмента"},
        {Passed(CheckFormatPdf, 0), "checked: PDF", "проверен: PDF"},
        {Passed(CheckFormatBmp, 0), "checked: BMP", "проверен: BMP"},
        {Passed(CheckFormatSqlite, 21), "checked: SQLite, 21 pages",
         "проверен: SQLite, 21 страница"},
        {Passed(CheckFormat7z, 2), "checked: 7z, 2 headers", "проверен: 7z, 2 заголовка"},
        {Passed(CheckFormatRar, 1, 1),
         "checked: RAR, 1 header (the headers after them are encrypted by the archive's password)",
         "проверен: RAR, 1 заголовок (дальше заголовки зашифрованы паролем архива)"},
        {Passed(CheckFormatGif, 5), "checked: GIF, 5 images", "проверен: GIF, 5 изображений"},
        {{CheckNotCheckable, CheckFormatNone, CheckFailureNone, 0, 0, 0},
         "not checkable: this type has no check of its own",
         "не проверяется: у этого типа нет собственной проверки"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(English(c.report), c.english);
        EXPECT_EQ(Russian(c.report), c.russian);
    }
}

TEST(CheckWords, RussianCountsTakeTheirPluralForm) {
    const struct {
        uint64_t count;
        const char* noun;
    } cases[] = {{1, "страница"},   {2, "страницы"},   {4, "страницы"},   {5, "страниц"},
                 {11, "страниц"},   {12, "страниц"},   {14, "страниц"},   {21, "страница"},
                 {22, "страницы"},  {25, "страниц"},   {101, "страница"}, {111, "страниц"},
                 {1000, "страниц"}, {1002, "страницы"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Russian(Passed(CheckFormatSqlite, c.count)),
                  "проверен: SQLite, " + std::to_string(c.count) + " " + c.noun);
    }
}

TEST(CheckWords, FailedWithWhereAndWhy) {
    const struct {
        CheckReport report;
        const char* english;
        const char* russian;
    } cases[] = {
        {Failed(CheckFormatZip, CheckFailureCrc, 3, 5120),
         "check failed: ZIP entry 3 has the wrong CRC-32 (at byte 5120)",
         "проверка не пройдена — ZIP, элемент 3: неверная контрольная сумма CRC-32 (байт 5120)"},
        {Failed(CheckFormatZip, CheckFailureInflate, 2, 300),
         "check failed: ZIP entry 2 does not inflate: its compressed data is damaged (at byte 300)",
         "проверка не пройдена — ZIP, элемент 2: сжатые данные повреждены и не распаковываются "
         "(байт 300)"},
        {Failed(CheckFormatZip, CheckFailureDirectory, 0, 9000),
         "check failed: the ZIP central directory does not match the entries (at byte 9000)",
         "проверка не пройдена — ZIP: центральный каталог не соответствует элементам архива "
         "(байт 9000)"},
        {Failed(CheckFormatZip, CheckFailureTruncated, 0, 700),
         "check failed: the file ends before its ZIP structure does (at byte 700)",
         "проверка не пройдена — ZIP: файл обрывается раньше, чем кончается структура (байт 700)"},
        {Failed(CheckFormatPng, CheckFailureTruncated, 4, 700),
         "check failed: the file ends inside PNG chunk 4 (at byte 700)",
         "проверка не пройдена — PNG, блок 4: файл обрывается на середине (байт 700)"},
        {Failed(CheckFormatPng, CheckFailureEnd, 0, 812),
         "check failed: the PNG end marker (IEND) is missing (at byte 812)",
         "проверка не пройдена — PNG: нет метки конца (IEND) (байт 812)"},
        {Failed(CheckFormatGzip, CheckFailureSize, 1, 0),
         "check failed: gzip member 1 has the wrong size (at byte 0)",
         "проверка не пройдена — gzip, поток 1: неверный размер (байт 0)"},
        {Failed(CheckFormatJpeg, CheckFailureSignature, 0, 0),
         "check failed: the file does not begin as a JPEG file does (at byte 0)",
         "проверка не пройдена — начало файла не соответствует формату JPEG (байт 0)"},
        {Failed(CheckFormatJpeg, CheckFailureStructure, 6, 160),
         "check failed: JPEG segment 6 has a header, length or offset that the format rules out "
         "(at byte 160)",
         "проверка не пройдена — JPEG, сегмент 6: заголовок, длина или смещение, недопустимые в "
         "этом формате (байт 160)"},
        {Failed(CheckFormatPdf, CheckFailureCrossReference, 0, 1234),
         "check failed: startxref does not lead to a cross-reference table or stream (at byte "
         "1234)",
         "проверка не пройдена — PDF: startxref не ведёт к таблице или потоку перекрёстных ссылок "
         "(байт 1234)"},
        {Failed(CheckFormatBmp, CheckFailureSize, 0, 2),
         "check failed: the BMP file has the wrong size (at byte 2)",
         "проверка не пройдена — BMP: неверный размер файла (байт 2)"},
        {Failed(CheckFormatRar, CheckFailureCrc, 2, 20),
         "check failed: RAR header 2 has the wrong CRC (at byte 20)",
         "проверка не пройдена — RAR, заголовок 2: неверная контрольная сумма CRC (байт 20)"},
        {Failed(CheckFormatGif, CheckFailureEnd, 0, 90),
         "check failed: the GIF end marker (the trailer, 0x3B) is missing (at byte 90)",
         "проверка не пройдена — GIF: нет метки конца (завершающий байт 0x3B) (байт 90)"},
        {Failed(CheckFormatGif, CheckFailureTruncated, 2, 90),
         "check failed: the file ends inside GIF image 2 (at byte 90)",
         "проверка не пройдена — GIF, изображение 2: файл обрывается на середине (байт 90)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(English(c.report), std::string(c.english) + EnglishCause);
        EXPECT_EQ(Russian(c.report), std::string(c.russian) + RussianCause);
    }
}

// Whatever a report holds, its words are whole: every place filled, the format named, and in
// the language asked for.
TEST(CheckWords, EveryReportHasWholeWords) {
    for (int32_t format = CheckFormatZip; format < CheckFormatCount; ++format) {
        for (int32_t failure = CheckFailureNone; failure <= CheckFailureCount; ++failure) {
            for (uint64_t item : {0u, 3u}) {
                CheckReport report = {failure == CheckFailureNone ? CheckPassed : CheckFailed,
                                      static_cast<CheckFormat>(format),
                                      static_cast<CheckFailure>(failure),
                                      item,
                                      item,
                                      77};
                std::string english = English(report);
                std::string russian = Russian(report);
                SCOPED_TRACE(english + " | " + russian);
                EXPECT_EQ(english.find('{'), std::string::npos);
                EXPECT_EQ(russian.find('{'), std::string::npos);
                EXPECT_EQ(english.find("  "), std::string::npos);
                EXPECT_NE(english, russian);
                // Cyrillic letters take two bytes in UTF-8, Latin ones one.
                EXPECT_NE(russian.find("\xd0"), std::string::npos);
                EXPECT_EQ(english.find("\xd0"), std::string::npos);
            }
        }
    }
    // A report of values out of range still reads.
    CheckReport odd = {static_cast<CheckVerdict>(9),
                       static_cast<CheckFormat>(40),
                       static_cast<CheckFailure>(40),
                       1,
                       0,
                       0};
    EXPECT_EQ(English(odd), "not checkable: this type has no check of its own");
    odd.verdict = CheckFailed;
    EXPECT_FALSE(English(odd).empty());
}

TEST(CheckWords, ShortWordsForAColumn) {
    EXPECT_EQ(Utf8(CheckVerdictWords(CheckPassed, WordsEnglish)), "checked");
    EXPECT_EQ(Utf8(CheckVerdictWords(CheckNotCheckable, WordsEnglish)), "not checkable");
    EXPECT_EQ(Utf8(CheckVerdictWords(CheckFailed, WordsEnglish)), "failed");
    EXPECT_EQ(Utf8(CheckVerdictWords(CheckPassed, WordsRussian)), "проверен");
    EXPECT_EQ(Utf8(CheckVerdictWords(CheckNotCheckable, WordsRussian)), "не проверяется");
    EXPECT_EQ(Utf8(CheckVerdictWords(CheckFailed, WordsRussian)), "не прошёл проверку");
}

} // namespace
