// decrypt's lines for people and JSON objects for scripts.
#include "cli/decrypt_report.h"
#include "cli/console_output.h"
#include "cli/entry_report.h"
#include "cli/scope.h"
#include "cli/text_encoding.h"
#include "common/key_selector.h"
#include "res/version.h"
#include <algorithm>
#include <cstdio>

DecryptTallyRecord DecryptTally = {};

namespace {

struct CryptOutcomeText {
    const char* json;
    const wchar_t* label;
};

// In the order of CryptOutcome.
const CryptOutcomeText CryptOutcomeTexts[] = {
    {"decrypted", L"decrypted"},
    {"not_identified", L"not identified"},
    {"failed", L"failed"},
    {"skipped", L"skipped"},
};

const size_t LabelWidth = 15;

std::wstring NameOf(const std::wstring& path) {
    size_t separator = path.rfind(L'\\');
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

// The key as JSON: its number, or "password".
std::string JsonKey(int32_t selector) {
    return selector == KeySelectorPassword ? std::string("\"password\"") : std::to_string(selector);
}

std::string JsonKeyList(uint32_t keys) {
    std::string list = "[";
    for (int32_t index = 0; index <= BuiltInDesKeyCount; ++index) {
        if (keys & (1u << index)) {
            list += (list.size() > 1 ? "," : "") +
                    JsonKey(index == BuiltInDesKeyCount ? KeySelectorPassword : index);
        }
    }
    return list + "]";
}

std::wstring Megabytes(int64_t bytes) {
    return OneDecimal(static_cast<double>(bytes) / 1e6) + L" MB";
}

std::wstring Seconds(int64_t milliseconds) {
    return OneDecimal(static_cast<double>(milliseconds) / 1e3) + L" s";
}

} // namespace

std::wstring OneDecimal(double value) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.1f", value);
    return text;
}

std::wstring KeyWords(int32_t selector) {
    return selector == KeySelectorPassword ? std::wstring(L"the password's key")
                                           : L"key " + std::to_wstring(selector);
}

void ReportCryptFile(const CryptFileReport& report) {
    DecryptTally.files += 1;
    switch (report.outcome) {
    case CryptDecrypted:
        DecryptTally.decrypted += 1;
        DecryptTally.bytesDecrypted += report.bytes;
        break;
    case CryptNotIdentified:
        DecryptTally.notIdentified += 1;
        break;
    case CryptFailed:
        DecryptTally.failed += 1;
        break;
    case CryptSkipped:
        DecryptTally.skipped += 1;
        break;
    }
    const CryptOutcomeText& text = CryptOutcomeTexts[report.outcome];
    if (OutputMode.quiet && report.outcome == CryptDecrypted) {
        return;
    }
    bool keyed = report.selector != KeySelectorNone;
    if (OutputMode.json) {
        std::string line = std::string("{\"kind\":\"file\",\"outcome\":\"") + text.json + "\"" +
                           JsonField("path", DisplayedPath(report.path)) +
                           JsonField("bytes", report.bytes);
        if (keyed) {
            line += ",\"key\":" + JsonKey(report.selector);
        }
        if (!report.output.empty()) {
            line += JsonField(report.outcome == CryptDecrypted ? "output" : "partial_output",
                              DisplayedPath(report.output));
        } else if (report.outcome == CryptDecrypted) {
            line += ",\"output\":null";
        }
        if (report.result >= 0) {
            line += JsonField("result", static_cast<int64_t>(report.result));
        }
        if (report.fittingKeys != 0) {
            line += ",\"fitting_keys\":" + JsonKeyList(report.fittingKeys);
        }
        if (!report.reason.empty()) {
            line += JsonField("reason", report.reason);
        }
        WriteUtf8Line(StandardOutput, line + "}");
        return;
    }
    std::wstring label = text.label;
    label.resize(std::max(LabelWidth, label.size() + 1), L' ');
    std::wstring line = label + L"\"" + DisplayedPath(report.path) + L"\"";
    if (report.outcome == CryptDecrypted && !report.output.empty()) {
        line += L" -> \"" + NameOf(report.output) + L"\"";
    }
    std::wstring words;
    if (report.outcome == CryptDecrypted) {
        words = KeyWords(report.selector);
    } else if (keyed && report.outcome == CryptFailed) {
        words = KeyWords(report.selector) + L"; ";
    }
    if (!report.reason.empty()) {
        words += (report.outcome == CryptDecrypted ? L"; " : L"") + report.reason;
    }
    WriteLine(StandardOutput, line + L" (" + words + L")");
}

void ReportDecryptSummary(const DecryptSummary& summary) {
    const DecryptTallyRecord& tally = DecryptTally;
    if (OutputMode.json) {
        std::string paths = "[";
        for (size_t i = 0; i < summary.paths.size(); ++i) {
            paths += (i > 0 ? "," : "") + JsonString(DisplayedPath(summary.paths[i]));
        }
        std::string line = "{\"kind\":\"summary\",\"command\":\"decrypt\"" +
                           JsonField("computer", ComputerName()) + ",\"version\":\"" +
                           RESCINDO_VERSION_TEXT + "\",\"paths\":" + paths + "]" +
                           ",\"key_option\":\"" + summary.keyOption + "\"";
        if (summary.selector != KeySelectorNone) {
            line += ",\"key\":" + JsonKey(summary.selector);
        }
        line +=
            std::string(",\"password\":") + (summary.withPassword ? "true" : "false") +
            JsonField("folders", summary.folders) + JsonField("files", tally.files) +
            JsonField("decrypted", tally.decrypted) +
            JsonField("not_identified", tally.notIdentified) + JsonField("failed", tally.failed) +
            JsonField("skipped", tally.skipped) + JsonField("not_tried", tally.notTried) +
            JsonField("bytes_decrypted", tally.bytesDecrypted) +
            JsonField("elapsed_ms", tally.elapsedMs) + JsonField("identify_ms", tally.identifyMs) +
            JsonField("folders_not_searched", summary.foldersNotSearched) +
            ",\"stopped\":" + (summary.stopped ? "true" : "false") +
            JsonField("exit_code", summary.exitCode) + "}";
        WriteUtf8Line(StandardOutput, line);
        return;
    }
    int64_t all = tally.files + tally.notTried;
    std::wstring line = L"Decrypted " + std::to_wstring(tally.decrypted) + L" of " +
                        std::to_wstring(all) + (all == 1 ? L" .crypt file" : L" .crypt files");
    if (tally.decrypted > 0) {
        line += L" (" + Megabytes(tally.bytesDecrypted) + L" in " + Seconds(tally.elapsedMs) + L")";
    }
    std::wstring left;
    const struct {
        int64_t count;
        const wchar_t* words;
    } parts[] = {{tally.notIdentified, L" not identified"},
                 {tally.failed, L" failed"},
                 {tally.skipped, L" skipped"},
                 {tally.notTried, L" not tried"}};
    for (const auto& part : parts) {
        if (part.count > 0) {
            left += (left.empty() ? L": " : L", ") + std::to_wstring(part.count) + part.words;
        }
    }
    WriteLine(StandardOutput, line + left + L".");
    if (summary.foldersNotSearched > 0) {
        WriteLine(StandardOutput,
                  std::to_wstring(summary.foldersNotSearched) +
                      (summary.foldersNotSearched == 1 ? L" folder was" : L" folders were") +
                      L" not searched: the path is too long.");
    }
    if (summary.stopped) {
        WriteLine(StandardOutput, L"Stopped before the end (Ctrl+C).");
    }
}
