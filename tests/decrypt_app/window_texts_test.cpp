// The window's table of texts: every text in both languages, in the table's own order, with the
// same places for values in both, and mnemonics that lead to one control each.
#include <gtest/gtest.h>

#include <cwctype>
#include <set>
#include <string>

#include "decrypt_app/window_texts.h"
#include "report/decrypt_words.h"

namespace {

std::multiset<std::wstring> PlacesOf(const wchar_t* text) {
    std::multiset<std::wstring> places;
    for (const wchar_t* c = text; *c != L'\0'; ++c) {
        if (c[0] == L'{' && c[1] >= L'1' && c[1] <= L'9' && c[2] == L'}') {
            places.insert(std::wstring(c, 3));
        }
    }
    return places;
}

// The letter after '&', lower case; 0 when there is none.
wchar_t MnemonicOf(const wchar_t* text) {
    const wchar_t* mark = wcschr(text, L'&');
    return mark != nullptr && mark[1] != L'\0' ? static_cast<wchar_t>(std::towlower(mark[1])) : 0;
}

TEST(WindowTexts, EveryTextInBothLanguagesWithTheSamePlaces) {
    for (int32_t i = 0; i < TextCount; ++i) {
        const WindowTextRow& row = WindowTexts[i];
        EXPECT_EQ(row.id, i) << "row " << i << " stands out of its place";
        ASSERT_NE(row.english, nullptr) << i;
        ASSERT_NE(row.russian, nullptr) << i;
        EXPECT_NE(row.english[0], L'\0') << i;
        EXPECT_NE(row.russian[0], L'\0') << i;
        EXPECT_EQ(PlacesOf(row.english), PlacesOf(row.russian)) << i;
        // A Russian text holds Cyrillic unless it is made of names and numbers alone.
        bool cyrillic = false;
        for (const wchar_t* c = row.russian; *c != L'\0'; ++c) {
            cyrillic = cyrillic || (*c >= 0x0400 && *c <= 0x04FF);
        }
        bool namesOnly = i == TextReportFileName || i == TextSizeBytes;
        EXPECT_TRUE(cyrillic || namesOnly) << "text " << i << " is not translated";
    }
}

TEST(WindowTexts, MnemonicsLeadToOneControlEach) {
    const TextId captions[] = {TextFilesLabel, TextAddFiles,   TextAddFolder,  TextRemove,
                               TextKeyAuto,    TextKeyBuiltIn, TextKeyPair,    TextKeyPassword,
                               TextDecrypt,    TextStop,       TextSaveReport, TextExit};
    for (int russian = 0; russian <= 1; ++russian) {
        std::set<wchar_t> seen;
        for (TextId id : captions) {
            const WindowTextRow& row = WindowTexts[id];
            wchar_t mnemonic = MnemonicOf(russian ? row.russian : row.english);
            EXPECT_NE(mnemonic, 0) << "text " << id << " has no mnemonic";
            EXPECT_TRUE(seen.insert(mnemonic).second)
                << "text " << id << " shares its mnemonic, language " << russian;
        }
    }
}

TEST(WindowTexts, PlacesAreFilledInTheirOrderWhateverTheirPlace) {
    EXPECT_EQ(FillPlaces(L"{2} of {1}, {1}", {L"a", L"b"}), L"b of a, a");
    EXPECT_EQ(FillPlaces(L"{3} {x} {", {L"a"}), L" {x} {");
    WindowLanguage.russian = 1;
    EXPECT_EQ(Format(TextStatusDone, {L"3", L"4"}), L"Расшифровано файлов: 3 из 4.");
    WindowLanguage.russian = 0;
    EXPECT_EQ(Format(TextStatusDone, {L"3", L"4"}), L"Decrypted 3 of 4 files.");
}

} // namespace
