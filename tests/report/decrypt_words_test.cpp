// What a decrypt run's outcomes say in words, the same in the console's lines and in every JSON
// "reason": each reason of a file left, each result of the decryptor with the system's error, and
// the errors a user can do something about.
#include "report/decrypt_words.h"
#include "tests/report/crypt_file_result.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string Words(const wchar_t* path, const CryptFileResult& result) {
    return Utf8(CryptReasonWords(path, result));
}

const wchar_t Input[] = L"\\\\?\\D:\\docs\\report.pdf.crypt";

TEST(DecryptWords, ErrorsByNameAndNumber) {
    const struct {
        uint32_t error;
        const char* words;
    } cases[] = {
        {2, "the entry is gone, error 2"},
        {3, "the entry is gone, error 3"},
        {5, "access denied, error 5"},
        {19, "the medium is write-protected, error 19"},
        {21, "the drive is not ready, error 21"},
        {32, "in use by another program, error 32"},
        {33, "in use by another program, error 33"},
        {80, "an entry of that name exists, error 80"},
        {112, "the disk is full, error 112"},
        {183, "an entry of that name exists, error 183"},
        {206, "the path is too long, error 206"},
        // Others by their number alone.
        {0, "error 0"},
        {1, "error 1"},
        {1117, "error 1117"},
        {4294967295u, "error 4294967295"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8(ErrorWords(c.error)), c.words);
    }
}

TEST(DecryptWords, KeysByNumberOrThePassword) {
    EXPECT_EQ(Utf8(KeyWords(0)), "key 0");
    EXPECT_EQ(Utf8(KeyWords(9)), "key 9");
    EXPECT_EQ(Utf8(KeyWords(KeySelectorPassword)), "the password's key");
}

TEST(DecryptWords, EveryReasonAFileIsLeft) {
    EXPECT_EQ(Words(Input, ResultOf(CryptDecrypted, CryptReasonNone)), "");
    EXPECT_EQ(Words(Input, ResultOf(CryptSkipped, CryptReasonOtherLetters)),
              "the decryptor takes only names ending in \".crypt\", in small letters");
    EXPECT_EQ(Words(Input, ResultOf(CryptFailed, CryptReasonWalkPathTooLong)),
              "its path is longer than the walk can handle");
    // The decrypt run's limit: the platform's longest long-form path.
    EXPECT_EQ(Words(Input, ResultOf(CryptFailed, CryptReasonDecryptorPathTooLong)),
              "its path is too long for the decryptor (at most 32766 characters, \\\\?\\ "
              "included)");
}

// The output's bare name, as people write the path, is what is taken.
TEST(DecryptWords, NoOutputNameNamesTheTakenPath) {
    EXPECT_EQ(Words(Input, ResultOf(CryptFailed, CryptReasonNoOutputName)),
              "no free name for the output fits the decryptor's 32766 characters: "
              "D:\\docs\\report.pdf is taken");
    EXPECT_EQ(
        Words(L"\\\\?\\UNC\\srv\\share\\a.crypt", ResultOf(CryptFailed, CryptReasonNoOutputName)),
        "no free name for the output fits the decryptor's 32766 characters: "
        "\\\\srv\\share\\a is taken");
}

// Identification's words, one for each of its results.
TEST(DecryptWords, EachKeySearchResult) {
    const struct {
        KeySearchResult result;
        const char* words;
    } cases[] = {
        {KeyNoSignature, "no known signature for this file type"},
        {KeyNoneFits, "no key fits"},
        {KeySeveralFit, "several keys fit"},
        {KeyTooShort, "the file is too short to tell the keys apart"},
        {KeySizesDiffer, "the original and the encrypted file differ in size"},
        {KeyWholeFileDiffers, "the first blocks fit a key but the whole file does not"},
        {KeyNotCryptName, "the name does not end in \".crypt\""},
        {KeyOpenFailed, "the file cannot be opened"},
        {KeyReadFailed, "the file cannot be read"},
        {KeyNotAFile, "not a file"},
        {KeyStopped, "stopped before a key was found"},
    };
    for (const auto& c : cases) {
        CryptFileResult result = ResultOf(CryptNotIdentified, CryptReasonKeySearch);
        result.keyResult = c.result;
        EXPECT_EQ(Words(Input, result), c.words);
    }
}

// The decryptor's results, with the system's error where it has one; a failure part way leaves
// nothing behind.
TEST(DecryptWords, EachDecryptorResult) {
    const struct {
        DecryptResult result;
        uint32_t error;
        const char* words;
    } cases[] = {
        {DecryptOpenFailed, 32, "the file cannot be opened (in use by another program, error 32)"},
        {DecryptOpenFailed, 0, "the file cannot be opened"},
        {DecryptCreateFailed, 5, "the output file cannot be created (access denied, error 5)"},
        {DecryptCreateFailed, 206,
         "the output file cannot be created (the path is too long, error 206)"},
        {DecryptReadFailed, 23, "reading the file failed part way"},
        {DecryptWriteFailed, 112,
         "writing the output failed part way (is the disk full?); nothing was left of it"},
        {DecryptNoKey, 0, "no key was chosen"},
        {DecryptNotCryptFile, 0, "the name does not end in \".crypt\""},
        {DecryptOk, 0, "the decryptor gave result 0"},
        {static_cast<DecryptResult>(42), 0, "the decryptor gave result 42"},
    };
    for (const auto& c : cases) {
        CryptFileResult result = ResultOf(CryptFailed, CryptReasonDecryptor);
        result.decryptResult = c.result;
        result.systemError = c.error;
        EXPECT_EQ(Words(Input, result), c.words) << c.result;
    }
}

// The names beside the input, from the counters the decryptor gives, and a file an earlier run
// left unfinished.
TEST(DecryptWords, OutputsAndLeftoversByTheirCounters) {
    CryptFileResult result = ResultOf(CryptDecrypted, CryptReasonNone);
    EXPECT_EQ(Utf8(OutputNameOf(Input, result)), "");
    EXPECT_EQ(Utf8(LeftoverWords(Input, result)), "");
    result.outputCounter = DecryptNameBare;
    EXPECT_EQ(Utf8(OutputNameOf(Input, result)), "report.pdf");
    result.outputCounter = 12;
    result.leftoverCounter = 0;
    EXPECT_EQ(Utf8(OutputNameOf(Input, result)), "report.pdf(12)");
    EXPECT_EQ(Utf8(LeftoverNameOf(Input, result)), "report.pdf.part(0)");
    EXPECT_EQ(Utf8(LeftoverWords(Input, result)),
              "an unfinished file of an earlier run lies beside it, \"report.pdf.part(0)\": it "
              "was left as it is");
    EXPECT_EQ(Utf8(BesideInput(Input, L"report.pdf(12)")), "\\\\?\\D:\\docs\\report.pdf(12)");
}

TEST(DecryptWords, KeysThatFitAndOutcomes) {
    EXPECT_EQ(FittingSelectors((1u << 4) | 1u | PasswordKeyBit),
              (std::vector<int32_t>{0, 4, KeySelectorPassword}));
    EXPECT_EQ(Utf8(FittingKeysWords((1u << 9) | (1u << 2))), "key 2, key 9");
    EXPECT_EQ(Utf8(ShortKeyWords(KeySelectorPassword)), "password");
    EXPECT_EQ(Utf8(ShortKeyWords(KeySelectorNone)), "");
    const char* const outcomes[] = {"decrypted", "not identified", "failed", "skipped",
                                    "not tried"};
    for (int32_t outcome = CryptDecrypted; outcome <= CryptPending; ++outcome) {
        EXPECT_EQ(Utf8(OutcomeWords(static_cast<CryptOutcome>(outcome))), outcomes[outcome]);
    }
}

// Every phrase in Russian too: Cyrillic, its places filled as in English, never the English text.
TEST(DecryptWords, EveryPhraseInRussian) {
    std::vector<std::wstring> russian;
    std::vector<std::wstring> english;
    auto both = [&](auto words) {
        english.push_back(words(WordsEnglish));
        russian.push_back(words(WordsRussian));
    };
    for (int32_t reason = CryptReasonOtherLetters; reason <= CryptReasonStopped; ++reason) {
        for (int32_t key = KeyNoSignature; key <= KeyStopped; ++key) {
            for (int32_t decrypted : {2, 3, 4, 5, 6, 7, 42}) {
                CryptFileResult result = ResultOf(CryptFailed, static_cast<CryptReason>(reason));
                result.keyResult = static_cast<KeySearchResult>(key);
                result.decryptResult = decrypted;
                result.systemError = decrypted == 3 ? 5 : 0;
                both([&](WordsLanguage language) {
                    return CryptReasonWords(Input, result, language);
                });
            }
        }
    }
    for (int32_t outcome = CryptDecrypted; outcome <= CryptPending; ++outcome) {
        both([&](WordsLanguage language) {
            return OutcomeWords(static_cast<CryptOutcome>(outcome), language);
        });
    }
    CryptFileResult leftover = ResultOf(CryptDecrypted, CryptReasonNone);
    leftover.leftoverCounter = DecryptNameBare;
    both([&](WordsLanguage language) { return LeftoverWords(Input, leftover, language); });
    both([&](WordsLanguage language) { return ErrorWords(112, language); });
    both([&](WordsLanguage language) { return ErrorWords(1117, language); });
    both([&](WordsLanguage language) { return KeyWords(KeySelectorPassword, language); });
    both([&](WordsLanguage language) { return FittingKeysWords(3u | PasswordKeyBit, language); });
    for (size_t i = 0; i < russian.size(); ++i) {
        bool cyrillic = false;
        for (wchar_t c : russian[i]) {
            cyrillic = cyrillic || (c >= 0x0400 && c <= 0x04FF);
        }
        EXPECT_TRUE(cyrillic) << Utf8(russian[i]);
        EXPECT_NE(russian[i], english[i]);
        EXPECT_EQ(russian[i].find(L'{'), std::wstring::npos) << Utf8(russian[i]);
    }
    EXPECT_EQ(Utf8(ErrorWords(5, WordsRussian)), "отказано в доступе, ошибка 5");
}

TEST(DecryptWords, OneDecimalAsTheSummaryShowsIt) {
    EXPECT_EQ(Utf8(OneDecimal(0)), "0.0");
    EXPECT_EQ(Utf8(OneDecimal(0.04)), "0.0");
    EXPECT_EQ(Utf8(OneDecimal(0.06)), "0.1");
    EXPECT_EQ(Utf8(OneDecimal(12.34)), "12.3");
    EXPECT_EQ(Utf8(OneDecimal(262.144)), "262.1");
    EXPECT_EQ(Utf8(OneDecimal(1e9)), "1000000000.0");
}

} // namespace
