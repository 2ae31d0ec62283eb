// decrypt's lines for people and JSON objects for scripts.
#include "cli/decrypt_report.h"
#include "cli/console_output.h"
#include "cli/path_text.h"
#include "report/check_words.h"
#include "report/decrypt_words.h"
#include "report/recycle_words.h"

namespace {

const size_t LabelWidth = 15;

std::wstring Megabytes(int64_t bytes) {
    return OneDecimal(static_cast<double>(bytes) / 1e6) + L" MB";
}

std::wstring Seconds(int64_t milliseconds) {
    return OneDecimal(static_cast<double>(milliseconds) / 1e3) + L" s";
}

} // namespace

void ReportCryptFile(const std::wstring& path, const CryptFileResult& result) {
    if (OutputMode.quiet && result.outcome == CryptDecrypted) {
        return;
    }
    if (OutputMode.json) {
        WriteUtf8Line(StandardOutput, DecryptFileJson(path.c_str(), result));
        return;
    }
    bool decrypted = result.outcome == CryptDecrypted;
    std::wstring rest = Quoted(Displayed(path));
    std::wstring output = OutputNameOf(path.c_str(), result);
    if (decrypted && !output.empty()) {
        rest += L" -> " + Quoted(output);
    }
    std::wstring words;
    if (decrypted) {
        words = KeyWords(result.selector) + L"; " + CheckReportWords(result.check, WordsEnglish);
    } else if (result.selector != KeySelectorNone && result.outcome == CryptFailed) {
        words = KeyWords(result.selector) + L"; ";
    }
    std::wstring reason = CryptReasonWords(path.c_str(), result);
    if (!reason.empty()) {
        words += (decrypted ? L"; " : L"") + reason;
    }
    std::wstring leftover = LeftoverWords(path.c_str(), result);
    if (!leftover.empty()) {
        words += L"; " + leftover;
    }
    WriteOutcomeLine(OutcomeLabelWords(result).c_str(), LabelWidth, rest + L" (" + words + L")");
}

void ReportRecycledFile(const std::wstring& path, const CryptFileResult& result,
                        const RecycleResult& recycled) {
    if (OutputMode.quiet && recycled.outcome == RecycleMoved && recycled.secondName.empty()) {
        return;
    }
    if (OutputMode.json) {
        WriteUtf8Line(StandardOutput, RecycleFileJson(path.c_str(), result, recycled));
        return;
    }
    WriteOutcomeLine(RecycleOutcomeWord(recycled.outcome).c_str(), LabelWidth,
                     Quoted(Displayed(path)) + L" (" +
                         RecycleWords(path.c_str(), result, recycled) + L")");
}

void ReportDecryptSummary(const DecryptRunFacts& facts) {
    const DecryptTotalsRecord& totals = DecryptTotals;
    if (OutputMode.json) {
        WriteUtf8Line(StandardOutput, DecryptSummaryJson(facts, totals));
        return;
    }
    int64_t all = totals.files + totals.notTried;
    std::wstring line = L"Decrypted " + std::to_wstring(totals.decrypted) + L" of " +
                        std::to_wstring(all) + (all == 1 ? L" .crypt file" : L" .crypt files");
    if (totals.decrypted > 0) {
        line +=
            L" (" + Megabytes(totals.bytesDecrypted) + L" in " + Seconds(totals.elapsedMs) + L")";
    }
    std::wstring left;
    const struct {
        int64_t count;
        CryptOutcome outcome;
    } parts[] = {{totals.notIdentified, CryptNotIdentified},
                 {totals.failed, CryptFailed},
                 {totals.skipped, CryptSkipped},
                 {totals.notTried, CryptPending}};
    for (const auto& part : parts) {
        if (part.count > 0) {
            left += (left.empty() ? L": " : L", ") + std::to_wstring(part.count) + L" " +
                    OutcomeWords(part.outcome);
        }
    }
    WriteLine(StandardOutput, line + left + L".");
    if (totals.decrypted > 0) {
        std::wstring checks = L"Checked by their formats: " + std::to_wstring(totals.checked) +
                              L" of " + std::to_wstring(totals.decrypted);
        if (totals.checkFailed > 0) {
            checks += L"; " + std::to_wstring(totals.checkFailed) +
                      L" failed their check (the key may be wrong, or the file was damaged before "
                      L"it was encrypted)";
        }
        if (totals.alreadyDecrypted > 0) {
            checks += L"; " + std::to_wstring(totals.alreadyDecrypted) +
                      L" decrypted already, by an earlier run";
        }
        WriteLine(StandardOutput, checks + L".");
    }
    if (facts.recycleAsked) {
        std::wstring recycled = L"Moved to the Recycle Bin: " + std::to_wstring(facts.recycled) +
                                (facts.recycled == 1 ? L" .crypt file" : L" .crypt files") +
                                L" whose decrypted files checked";
        if (facts.recycleKept > 0) {
            recycled += L"; " + std::to_wstring(facts.recycleKept) + L" of those kept";
        }
        WriteLine(StandardOutput, recycled + L".");
    }
    if (totals.foldersNotSearched > 0) {
        WriteLine(StandardOutput,
                  std::to_wstring(totals.foldersNotSearched) +
                      (totals.foldersNotSearched == 1 ? L" folder was" : L" folders were") +
                      L" not searched: the path is too long, or the system would not list it.");
    }
    if (facts.stopped) {
        WriteStoppedLine();
    }
}
