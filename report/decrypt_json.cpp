// The JSON lines of a decrypt run: see report/decrypt_json.h.
#include "report/decrypt_json.h"

#include "report/check_words.h"
#include "report/decrypt_words.h"
#include "report/recycle_words.h"
#include "report/json_line.h"
#include "report/text_encoding.h"
#include "res/version.h"
#include "unlock/path_text.h"
#include <cwchar>
#include <vector>

namespace {

const char* const OutcomeNames[] = {"decrypted", "not_identified", "failed", "skipped",
                                    "not_tried"};

// The check's verdicts, in the order of CheckVerdict.
const char* const CheckResultNames[] = {"not_checkable", "checked", "failed"};

// The names of the key methods as the summary gives them, in the order of KeyMethod.
const char* const KeyOptionNames[] = {"auto", "key", "pair", "password"};

std::wstring Displayed(const wchar_t* longPath) {
    std::vector<wchar_t> shown(std::wcslen(longPath) + 8);
    DisplayedPath(longPath, shown.data(), shown.size());
    return shown.data();
}

// The key as JSON: its number, or "password".
std::string JsonKey(int32_t selector) {
    return selector == KeySelectorPassword ? std::string("\"password\"") : std::to_string(selector);
}

std::string JsonKeyList(uint32_t keys) {
    std::string list = "[";
    for (int32_t selector : FittingSelectors(keys)) {
        list += (list.size() > 1 ? "," : "") + JsonKey(selector);
    }
    return list + "]";
}

} // namespace

std::string DecryptFileJson(const wchar_t* path, const CryptFileResult& result) {
    JsonLine line = JsonObject("file");
    AddJson(&line, "outcome", std::string("\"") + OutcomeNames[result.outcome] + "\"");
    AddText(&line, "path", Displayed(path));
    AddNumber(&line, "bytes", result.bytes);
    if (result.selector != KeySelectorNone) {
        AddJson(&line, "key", JsonKey(result.selector));
    }
    std::wstring output = OutputNameOf(path, result);
    if (!output.empty()) {
        AddText(&line, "output", Displayed(BesideInput(path, output).c_str()));
    }
    std::wstring leftover = LeftoverNameOf(path, result);
    if (!leftover.empty()) {
        AddText(&line, "unfinished_leftover", Displayed(BesideInput(path, leftover).c_str()));
    }
    if (result.decryptResult >= 0) {
        AddNumber(&line, "result", result.decryptResult);
    }
    if (result.fittingKeys != 0) {
        AddJson(&line, "fitting_keys", JsonKeyList(result.fittingKeys));
    }
    if (result.outcome == CryptDecrypted) {
        AddBool(&line, "already_decrypted", result.alreadyDecrypted != 0);
        AddJson(&line, "check",
                std::string("{\"result\":\"") + CheckResultNames[result.check.verdict] +
                    "\",\"words\":" + JsonString(CheckReportWords(result.check, WordsEnglish)) +
                    "}");
    }
    std::wstring reason = CryptReasonWords(path, result);
    if (!reason.empty()) {
        AddText(&line, "reason", reason);
    }
    return Finished(line);
}

std::string RecycleFileJson(const wchar_t* path, const CryptFileResult& result,
                            const RecycleResult& recycled) {
    JsonLine line = JsonObject("recycle");
    AddText(&line, "outcome", RecycleOutcomeWord(recycled.outcome));
    AddText(&line, "path", Displayed(path));
    std::wstring output = OutputNameOf(path, result);
    if (!output.empty()) {
        AddText(&line, "output", Displayed(BesideInput(path, output).c_str()));
    }
    if (recycled.outcome != RecycleMoved) {
        AddText(&line, "reason", RecycleWords(path, result, recycled));
    }
    if (!recycled.secondName.empty()) {
        AddText(&line, "second_name", Displayed(recycled.secondName.c_str()));
    }
    return Finished(line);
}

std::string DecryptSummaryJson(const DecryptRunFacts& facts, const DecryptTotalsRecord& totals) {
    JsonLine line = JsonSummary("decrypt", facts.computer, RESCINDO_VERSION_TEXT);
    std::vector<std::wstring> paths;
    for (const std::wstring& path : facts.paths) {
        paths.push_back(Displayed(path.c_str()));
    }
    AddJson(&line, "paths", JsonTextList(paths.data(), paths.size()));
    AddJson(&line, "key_option", std::string("\"") + KeyOptionNames[facts.plan.method] + "\"");
    if (facts.plan.selector != KeySelectorNone) {
        AddJson(&line, "key", JsonKey(facts.plan.selector));
    }
    AddBool(&line, "password", facts.plan.withPassword != 0);
    AddNumber(&line, "folders", totals.folders);
    AddNumber(&line, "files", totals.files);
    AddNumber(&line, "decrypted", totals.decrypted);
    AddNumber(&line, "already_decrypted", totals.alreadyDecrypted);
    AddNumber(&line, "checked", totals.checked);
    AddNumber(&line, "check_failed", totals.checkFailed);
    AddNumber(&line, "not_identified", totals.notIdentified);
    AddNumber(&line, "failed", totals.failed);
    AddNumber(&line, "skipped", totals.skipped);
    AddNumber(&line, "not_tried", totals.notTried);
    AddNumber(&line, "bytes_decrypted", totals.bytesDecrypted);
    AddNumber(&line, "elapsed_ms", totals.elapsedMs);
    AddNumber(&line, "identify_ms", totals.identifyMs);
    AddNumber(&line, "folders_not_searched", totals.foldersNotSearched);
    if (facts.recycleAsked) {
        AddNumber(&line, "recycled", facts.recycled);
        AddNumber(&line, "recycle_kept", facts.recycleKept);
    }
    AddBool(&line, "stopped", facts.stopped != 0);
    AddNumber(&line, "exit_code", facts.exitCode);
    return Finished(line);
}
