// The JSON lines of a decrypt run, parsed back: a file object for each outcome with exactly the
// fields that outcome has, and the run's summary with its plan, counts and times.
#include "report/decrypt_json.h"
#include "tests/report/crypt_file_result.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>
#include <cwchar>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

namespace {

using Json = nlohmann::json;

const wchar_t ReportedInput[] = L"\\\\?\\D:\\docs\\report.pdf.crypt";

CryptFileResult Result(CryptOutcome outcome, CryptReason reason) {
    CryptFileResult result = ResultOf(outcome, reason);
    result.bytes = 5000;
    return result;
}

// The object, parsed; the test fails when the line is no JSON object on one line.
Json Parsed(const std::string& line) {
    EXPECT_EQ(line.find('\n'), std::string::npos) << line;
    Json object = Json::parse(line, nullptr, false);
    EXPECT_TRUE(object.is_object()) << line;
    return object;
}

std::set<std::string> Fields(const Json& object) {
    std::set<std::string> fields;
    for (auto field = object.begin(); field != object.end(); ++field) {
        fields.insert(field.key());
    }
    return fields;
}

TEST(DecryptJson, DecryptedFile) {
    CryptFileResult result = Result(CryptDecrypted, CryptReasonNone);
    result.selector = 3;
    result.decryptResult = DecryptOk;
    result.outputCounter = 0;
    Json file = Parsed(DecryptFileJson(ReportedInput, result));
    EXPECT_EQ(Fields(file),
              (std::set<std::string>{"kind", "outcome", "path", "bytes", "key", "output", "result",
                                     "already_decrypted", "check"}));
    EXPECT_EQ(file["check"]["result"], "not_checkable");
    EXPECT_FALSE(file["already_decrypted"]);
    EXPECT_EQ(file["kind"], "file");
    EXPECT_EQ(file["outcome"], "decrypted");
    EXPECT_EQ(file["path"], "D:\\docs\\report.pdf.crypt");
    EXPECT_EQ(file["bytes"], 5000);
    EXPECT_EQ(file["key"], 3);
    EXPECT_EQ(file["output"], "D:\\docs\\report.pdf(0)");
    EXPECT_EQ(file["result"], 0);

    result.selector = KeySelectorPassword;
    EXPECT_EQ(Parsed(DecryptFileJson(ReportedInput, result))["key"], "password");

    // An unfinished file of an earlier run beside it is named, whatever the outcome.
    result.leftoverCounter = DecryptNameBare;
    file = Parsed(DecryptFileJson(ReportedInput, result));
    EXPECT_EQ(file["unfinished_leftover"], "D:\\docs\\report.pdf.part");
    EXPECT_EQ(file["output"], "D:\\docs\\report.pdf(0)");
}

TEST(DecryptJson, NotIdentifiedFileWithTheKeysThatFitted) {
    CryptFileResult result = Result(CryptNotIdentified, CryptReasonKeySearch);
    result.keyResult = KeySeveralFit;
    result.fittingKeys = (1u << 4) | (1u << 0) | PasswordKeyBit;
    Json file = Parsed(DecryptFileJson(ReportedInput, result));
    EXPECT_EQ(Fields(file), (std::set<std::string>{"kind", "outcome", "path", "bytes",
                                                   "fitting_keys", "reason"}));
    EXPECT_EQ(file["outcome"], "not_identified");
    EXPECT_EQ(file["fitting_keys"], Json::array({0, 4, "password"}));
    EXPECT_EQ(file["reason"], "several keys fit");

    result.keyResult = KeyNoSignature;
    result.fittingKeys = 0;
    file = Parsed(DecryptFileJson(ReportedInput, result));
    EXPECT_FALSE(file.contains("fitting_keys"));
    EXPECT_EQ(file["reason"], "no known signature for this file type");
    // The last built-in key alone.
    result.fittingKeys = 1u << (BuiltInDesKeyCount - 1);
    EXPECT_EQ(Parsed(DecryptFileJson(ReportedInput, result))["fitting_keys"],
              Json::array({BuiltInDesKeyCount - 1}));
}

// A failure part way has no output: the decryptor removed what it had written.
TEST(DecryptJson, FailedFileWithNothingLeft) {
    CryptFileResult result = Result(CryptFailed, CryptReasonDecryptor);
    result.selector = 0;
    result.decryptResult = DecryptWriteFailed;
    result.systemError = 112;
    Json file = Parsed(DecryptFileJson(ReportedInput, result));
    EXPECT_EQ(Fields(file), (std::set<std::string>{"kind", "outcome", "path", "bytes", "key",
                                                   "result", "reason"}));
    EXPECT_EQ(file["outcome"], "failed");
    EXPECT_EQ(file["result"], 5);
    EXPECT_EQ(file["reason"],
              "writing the output failed part way (is the disk full?); nothing was left of it");

    // Given to the decryptor not at all: no key, no result.
    Json tooLong = Parsed(
        DecryptFileJson(ReportedInput, Result(CryptFailed, CryptReasonDecryptorPathTooLong)));
    EXPECT_EQ(Fields(tooLong),
              (std::set<std::string>{"kind", "outcome", "path", "bytes", "reason"}));
}

TEST(DecryptJson, SkippedAndNotTriedFiles) {
    Json skipped = Parsed(DecryptFileJson(L"\\\\?\\D:\\PHOTO.JPG.CRYPT",
                                          Result(CryptSkipped, CryptReasonOtherLetters)));
    EXPECT_EQ(skipped["outcome"], "skipped");
    EXPECT_EQ(skipped["path"], "D:\\PHOTO.JPG.CRYPT");
    EXPECT_EQ(skipped["reason"],
              "the decryptor takes only names ending in \".crypt\", in small letters");
    Json pending = Parsed(DecryptFileJson(ReportedInput, Result(CryptPending, CryptReasonNone)));
    EXPECT_EQ(pending["outcome"], "not_tried");
    EXPECT_EQ(Fields(pending), (std::set<std::string>{"kind", "outcome", "path", "bytes"}));
}

// A name holding a surrogate without its partner keeps its escape, so the exact name is there
// for a parser that takes it.
TEST(DecryptJson, ALoneSurrogateKeepsItsEscape) {
    std::wstring odd = L"\\\\?\\E:\\a" + Units({0xD800}) + L".crypt";
    std::string line = DecryptFileJson(odd.c_str(), Result(CryptPending, CryptReasonNone));
    EXPECT_NE(line.find("\"path\":\"E:\\\\a\\ud800.crypt\""), std::string::npos) << line;
}

DecryptTotalsRecord Totals() {
    DecryptTotalsRecord totals = {};
    totals.folders = 2;
    totals.foldersNotSearched = 1;
    totals.files = 9;
    totals.decrypted = 4;
    totals.notIdentified = 2;
    totals.failed = 1;
    totals.skipped = 1;
    totals.notTried = 3;
    totals.bytesDecrypted = int64_t{5} << 32; // more than 32 bits hold
    totals.elapsedMs = 1500;
    totals.identifyMs = 300;
    return totals;
}

TEST(DecryptJson, SummaryOfARun) {
    DecryptRunFacts facts = {L"PC-7", {L"\\\\?\\D:", L"\\\\?\\E:\\docs"}, {}, 1, 1, 0, 0, 0};
    facts.plan = {KeyByType, 1, KeySelectorNone};
    Json summary = Parsed(DecryptSummaryJson(facts, Totals()));
    EXPECT_EQ(summary["kind"], "summary");
    EXPECT_EQ(summary["command"], "decrypt");
    EXPECT_EQ(summary["computer"], "PC-7");
    EXPECT_TRUE(summary["version"].is_string());
    EXPECT_EQ(summary["paths"], Json::array({"D:\\", "E:\\docs"}));
    EXPECT_EQ(summary["key_option"], "auto");
    EXPECT_FALSE(summary.contains("key"));
    EXPECT_EQ(summary["password"], true);
    EXPECT_EQ(summary["folders"], 2);
    EXPECT_EQ(summary["folders_not_searched"], 1);
    EXPECT_EQ(summary["files"], 9);
    EXPECT_EQ(summary["decrypted"], 4);
    EXPECT_EQ(summary["not_identified"], 2);
    EXPECT_EQ(summary["failed"], 1);
    EXPECT_EQ(summary["skipped"], 1);
    EXPECT_EQ(summary["not_tried"], 3);
    EXPECT_EQ(summary["bytes_decrypted"], int64_t{5} << 32);
    EXPECT_EQ(summary["elapsed_ms"], 1500);
    EXPECT_EQ(summary["identify_ms"], 300);
    EXPECT_EQ(summary["stopped"], true);
    EXPECT_EQ(summary["exit_code"], 1);
}

// Each method under its option's name, and the key when the plan has one.
TEST(DecryptJson, SummaryOfEachPlan) {
    const struct {
        DecryptPlan plan;
        const char* option;
        Json key; // null: none
        bool password;
    } cases[] = {
        {{KeyByType, 0, KeySelectorNone}, "auto", nullptr, false},
        {{KeyBuiltIn, 0, 7}, "key", 7, false},
        {{KeyByPair, 0, 2}, "pair", 2, false},
        {{KeyByPair, 1, KeySelectorPassword}, "pair", "password", true},
        {{KeyByPair, 0, KeySelectorNone}, "pair", nullptr, false},
        {{KeyByPassword, 1, KeySelectorPassword}, "password", "password", true},
    };
    for (const auto& c : cases) {
        DecryptRunFacts facts = {L"PC", {L"\\\\?\\D:"}, c.plan, 0, 0, 0, 0, 0};
        Json summary = Parsed(DecryptSummaryJson(facts, Totals()));
        EXPECT_EQ(summary["key_option"], c.option);
        EXPECT_EQ(summary.contains("key"), !c.key.is_null()) << c.option;
        if (!c.key.is_null()) {
            EXPECT_EQ(summary["key"], c.key) << c.option;
        }
        EXPECT_EQ(summary["password"], c.password);
        EXPECT_EQ(summary["stopped"], false);
    }
}

} // namespace
