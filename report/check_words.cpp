// The words of a check's report in both languages: see report/check_words.h. Every text is in
// the tables below; a text with values holds numbered places, {1} {2}..., which the two
// languages may order differently.
#include "report/check_words.h"

#include <initializer_list>

namespace {

struct Phrase {
    const wchar_t* english;
    const wchar_t* russian;
};

enum PhraseId : int32_t {
    PhrasePassed,  // {1} the format, {2} what was counted, {3} what was not read
    PhraseCounted, // {1} the count, {2} the items' noun
    PhraseNotCheckable,
    PhraseFailed, // {1} what failed, {2} where
    PhraseAtByte, // {1} the offset
    PhraseItem,   // {1} the format, {2} the item's noun, {3} its number
    PhraseVerdictPassed,
    PhraseVerdictNotCheckable,
    PhraseVerdictFailed,
    PhraseCount
};

const Phrase Phrases[PhraseCount] = {
    {L"checked: {1}{2}{3}", L"проверен: {1}{2}{3}"},
    {L", {1} {2}", L", {1} {2}"},
    {L"not checkable: this type has no check of its own",
     L"не проверяется: у этого типа нет собственной проверки"},
    {L"check failed: {1}{2}; the key may be wrong, or the file was damaged before it was "
     L"encrypted",
     L"проверка не пройдена — {1}{2}; возможно, ключ неверен или файл был повреждён ещё до "
     L"шифрования"},
    {L" (at byte {1})", L" (байт {1})"},
    {L"{1} {2} {3}", L"{1}, {2} {3}"},
    {L"checked", L"проверен"},
    {L"not checkable", L"не проверяется"},
    {L"failed", L"не прошёл проверку"},
};

// What each failure says: in a numbered item, and of the file as a whole. {1} the format, {2}
// the item ("ZIP entry 3"; in Russian "ZIP, элемент 3"), {3} the format's checksum, {4} its end
// marker.
struct FailureWords {
    CheckFailure failure; // the row's own value, so that a row out of place is found
    Phrase inItem;
    Phrase inFile;
};

const FailureWords Failures[CheckFailureCount] = {
    {CheckFailureNone, {L"", L""}, {L"", L""}},
    {CheckFailureSignature,
     {L"the file does not begin as a {1} file does", L"начало файла не соответствует формату {1}"},
     {L"the file does not begin as a {1} file does", L"начало файла не соответствует формату {1}"}},
    {CheckFailureTruncated,
     {L"the file ends inside {2}", L"{2}: файл обрывается на середине"},
     {L"the file ends before its {1} structure does",
      L"{1}: файл обрывается раньше, чем кончается структура"}},
    {CheckFailureStructure,
     {L"{2} has a header, length or offset that the format rules out",
      L"{2}: заголовок, длина или смещение, недопустимые в этом формате"},
     {L"the {1} file has a header, length or offset that the format rules out",
      L"{1}: заголовок, длина или смещение, недопустимые в этом формате"}},
    {CheckFailureCrc,
     {L"{2} has the wrong {3}", L"{2}: неверная контрольная сумма {3}"},
     {L"the {1} file has the wrong {3}", L"{1}: неверная контрольная сумма {3}"}},
    {CheckFailureSize,
     {L"{2} has the wrong size", L"{2}: неверный размер"},
     {L"the {1} file has the wrong size", L"{1}: неверный размер файла"}},
    {CheckFailureInflate,
     {L"{2} does not inflate: its compressed data is damaged",
      L"{2}: сжатые данные повреждены и не распаковываются"},
     {L"the {1} file does not inflate: its compressed data is damaged",
      L"{1}: сжатые данные повреждены и не распаковываются"}},
    {CheckFailureDirectory,
     {L"the {1} central directory does not match the entries",
      L"{1}: центральный каталог не соответствует элементам архива"},
     {L"the {1} central directory does not match the entries",
      L"{1}: центральный каталог не соответствует элементам архива"}},
    {CheckFailureEnd,
     {L"the {1} end marker ({4}) is missing", L"{1}: нет метки конца ({4})"},
     {L"the {1} end marker ({4}) is missing", L"{1}: нет метки конца ({4})"}},
    {CheckFailureCrossReference,
     {L"startxref does not lead to a cross-reference table or stream",
      L"{1}: startxref не ведёт к таблице или потоку перекрёстных ссылок"},
     {L"startxref does not lead to a cross-reference table or stream",
      L"{1}: startxref не ведёт к таблице или потоку перекрёстных ссылок"}},
};

// What each format calls the items it counts (English: one, several; Russian: the forms for 1,
// for 2 to 4 and for 5 and more), its checksum, its end marker, and what the items it could
// not read say. Every format has a checksum and an end marker in words, so that any report
// reads whole, even one that its checks never give.
struct FormatWords {
    CheckFormat format; // the row's own value, so that a row out of place is found
    const wchar_t* name;
    const wchar_t* englishItem[2];
    const wchar_t* russianItem[3];
    const wchar_t* checksum;
    Phrase endMarker;
    Phrase unchecked; // {1} their count
};

const FormatWords Formats[CheckFormatCount] = {
    {CheckFormatNone,
     L"",
     {nullptr, nullptr},
     {nullptr, nullptr, nullptr},
     L"CRC",
     {L"its end", L"конец"},
     {L"", L""}},
    {CheckFormatZip,
     L"ZIP",
     {L"entry", L"entries"},
     {L"элемент", L"элемента", L"элементов"},
     L"CRC-32",
     {L"the end of central directory record", L"запись конца центрального каталога"},
     {L" ({1} of them by their structure alone: encrypted, or compressed by a method the check "
      L"does not read)",
      L" (содержимое не проверено — зашифровано или сжато другим методом: {1})"}},
    {CheckFormatPng,
     L"PNG",
     {L"chunk", L"chunks"},
     {L"блок", L"блока", L"блоков"},
     L"CRC-32",
     {L"IEND", L"IEND"},
     {L"", L""}},
    {CheckFormatGzip,
     L"gzip",
     {L"member", L"members"},
     {L"поток", L"потока", L"потоков"},
     L"CRC-32",
     {L"the last member's trailer", L"концевик последнего потока"},
     {L"", L""}},
    {CheckFormatJpeg,
     L"JPEG",
     {L"segment", L"segments"},
     {L"сегмент", L"сегмента", L"сегментов"},
     L"CRC",
     {L"EOI", L"EOI"},
     {L"", L""}},
    {CheckFormatPdf,
     L"PDF",
     {nullptr, nullptr},
     {nullptr, nullptr, nullptr},
     L"CRC",
     {L"%%EOF", L"%%EOF"},
     {L"", L""}},
    {CheckFormatBmp,
     L"BMP",
     {nullptr, nullptr},
     {nullptr, nullptr, nullptr},
     L"CRC",
     {L"the pixel array's end", L"конец массива пикселей"},
     {L"", L""}},
    {CheckFormatSqlite,
     L"SQLite",
     {L"page", L"pages"},
     {L"страница", L"страницы", L"страниц"},
     L"CRC",
     {L"the last page's end", L"конец последней страницы"},
     {L"", L""}},
    {CheckFormat7z,
     L"7z",
     {L"header", L"headers"},
     {L"заголовок", L"заголовка", L"заголовков"},
     L"CRC-32",
     {L"the next header", L"следующий заголовок"},
     {L"", L""}},
    {CheckFormatRar,
     L"RAR",
     {L"header", L"headers"},
     {L"заголовок", L"заголовка", L"заголовков"},
     L"CRC",
     {L"the end-of-archive header", L"заголовок конца архива"},
     {L" (the headers after them are encrypted by the archive's password)",
      L" (дальше заголовки зашифрованы паролем архива)"}},
    {CheckFormatGif,
     L"GIF",
     {L"image", L"images"},
     {L"изображение", L"изображения", L"изображений"},
     L"CRC",
     {L"the trailer, 0x3B", L"завершающий байт 0x3B"},
     {L"", L""}},
};

const wchar_t* In(const Phrase& phrase, WordsLanguage language) {
    return language == WordsRussian ? phrase.russian : phrase.english;
}

// The noun for `count` items: Russian takes its form from the last two digits (1, 21, 31...;
// 2 to 4, 22 to 24...; the rest, 11 to 14 among them).
const wchar_t* ItemNoun(const FormatWords& format, uint64_t count, WordsLanguage language) {
    if (language != WordsRussian) {
        return format.englishItem[count == 1 ? 0 : 1];
    }
    uint64_t ones = count % 10;
    uint64_t tens = count % 100;
    if (ones == 1 && tens != 11) {
        return format.russianItem[0];
    }
    if (ones >= 2 && ones <= 4 && (tens < 12 || tens > 14)) {
        return format.russianItem[1];
    }
    return format.russianItem[2];
}

const FormatWords& FormatOf(CheckFormat format) {
    return Formats[format > CheckFormatNone && format < CheckFormatCount ? format
                                                                         : CheckFormatNone];
}

std::wstring PassedWords(const CheckReport& report, WordsLanguage language) {
    const FormatWords& format = FormatOf(report.format);
    std::wstring counted;
    if (format.englishItem[0] != nullptr) {
        counted =
            FillPlaces(In(Phrases[PhraseCounted], language),
                       {std::to_wstring(report.items), ItemNoun(format, report.items, language)});
    }
    std::wstring unchecked;
    if (report.uncheckedItems > 0) {
        unchecked =
            FillPlaces(In(format.unchecked, language), {std::to_wstring(report.uncheckedItems)});
    }
    return FillPlaces(In(Phrases[PhrasePassed], language), {format.name, counted, unchecked});
}

std::wstring FailedWords(const CheckReport& report, WordsLanguage language) {
    const FormatWords& format = FormatOf(report.format);
    bool inItem = report.items > 0 && format.englishItem[0] != nullptr;
    std::wstring item;
    if (inItem) {
        // The item named by its number, so the noun of one.
        item =
            FillPlaces(In(Phrases[PhraseItem], language),
                       {format.name, ItemNoun(format, 1, language), std::to_wstring(report.items)});
    }
    CheckFailure failure = report.failure > CheckFailureNone && report.failure < CheckFailureCount
                               ? report.failure
                               : CheckFailureStructure;
    const FailureWords& words = Failures[failure];
    std::wstring what =
        FillPlaces(In(inItem ? words.inItem : words.inFile, language),
                   {format.name, item, format.checksum, In(format.endMarker, language)});
    std::wstring at =
        FillPlaces(In(Phrases[PhraseAtByte], language), {std::to_wstring(report.failedAt)});
    return FillPlaces(In(Phrases[PhraseFailed], language), {what, at});
}

} // namespace

std::wstring CheckReportWords(const CheckReport& report, WordsLanguage language) {
    switch (report.verdict) {
    case CheckPassed:
        return PassedWords(report, language);
    case CheckFailed:
        return FailedWords(report, language);
    default:
        return In(Phrases[PhraseNotCheckable], language);
    }
}

std::wstring CheckVerdictWords(CheckVerdict verdict, WordsLanguage language) {
    switch (verdict) {
    case CheckPassed:
        return In(Phrases[PhraseVerdictPassed], language);
    case CheckFailed:
        return In(Phrases[PhraseVerdictFailed], language);
    default:
        return In(Phrases[PhraseVerdictNotCheckable], language);
    }
}
