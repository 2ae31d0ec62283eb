// scan's and restore's lines for people and JSON objects for scripts.
#include "cli/entry_report.h"
#include "cli/console_output.h"
#include "cli/console_walk.h"
#include "cli/path_text.h"
#include "report/decrypt_words.h"
#include "res/version.h"
#include "unlock/walk_limits.h"

namespace {

struct OutcomeText {
    const char* json;       // the "outcome" of its JSON object
    const wchar_t* label;   // the first column of its line
    const wchar_t* because; // why it is left, or null
    int left;               // 1 when the entry stays as it is
};

// In the order of EntryOutcome.
const OutcomeText OutcomeTexts[] = {
    {"restored", L"restored", nullptr, 0},
    {"would_restore", L"would restore", nullptr, 0},
    {"name_taken", L"name taken", L"an entry of that name exists", 1},
    {"empty_name", L"left alone", L"its restored name would be empty, \".\" or \"..\"", 1},
    {"refused", L"refused", nullptr, 1},
    {"too_long", L"too long", L"its path is longer than the walk can handle", 1},
    {"too_long", L"not searched", L"a folder whose path is longer than the walk can handle", 1},
};

const size_t LabelWidth = 14;

std::wstring Plural(int64_t count, const wchar_t* one, const wchar_t* many) {
    return std::to_wstring(count) + L" " + (count == 1 ? one : many);
}

} // namespace

void ReportEntry(EntryOutcome outcome, const std::wstring& path, const std::wstring& restored,
                 uint32_t error) {
    const OutcomeText& text = OutcomeTexts[outcome];
    if (OutputMode.quiet && !text.left) {
        return;
    }
    if (OutputMode.json) {
        JsonLine line = JsonObject(outcome == EntryFolderTooLong ? "folder" : "entry");
        AddJson(&line, "outcome", std::string("\"") + text.json + "\"");
        AddText(&line, "path", Displayed(path));
        if (!restored.empty()) {
            AddText(&line, "restored", Displayed(restored));
        }
        if (outcome == EntryRefused) {
            AddNumber(&line, "error", error);
        }
        WriteJsonLine(line);
        return;
    }
    std::wstring rest = Quoted(Displayed(path));
    if (!restored.empty()) {
        rest += L" -> " + Quoted(NameOf(restored));
    }
    if (outcome == EntryRefused) {
        rest += L" (" + ErrorWords(error) + L")";
    } else if (text.because != nullptr) {
        rest += std::wstring(L" (") + text.because + L")";
    }
    WriteOutcomeLine(text.label, LabelWidth, rest);
}

void ReportWalkSummary(const WalkSummary& summary) {
    bool scan = std::wstring(summary.command) == L"scan";
    if (OutputMode.json) {
        std::vector<std::wstring> scopes;
        for (const std::wstring& scope : summary.scopes) {
            scopes.push_back(Displayed(scope));
        }
        JsonLine line =
            JsonSummary(scan ? "scan" : "restore", ComputerName(), RESCINDO_VERSION_TEXT);
        AddJson(&line, "scopes", JsonTextList(scopes.data(), scopes.size()));
        AddNumber(&line, "folders", WalkTally.folders);
        AddNumber(&line, "files", WalkTally.files);
        AddNumber(&line, "damaged", WalkTally.damaged);
        AddNumber(&line, scan ? "would_restore" : "restored", WalkTally.restored);
        AddNumber(&line, "left", WalkTally.left);
        AddNumber(&line, "folders_not_searched", WalkTally.foldersNotSearched);
        AddBool(&line, "stopped", WalkTally.stopped != 0);
        if (!summary.journal.empty()) {
            AddText(&line, "journal", Displayed(summary.journal));
            AddNumber(&line, "journalled", summary.journalled);
        }
        AddNumber(&line, "exit_code", summary.exitCode);
        WriteJsonLine(line);
        return;
    }
    std::wstring scopes;
    for (const std::wstring& scope : summary.scopes) {
        scopes += (scopes.empty() ? L"" : L", ") + Displayed(scope);
    }
    std::wstring line =
        std::wstring(scan ? L"Scanned " : L"Searched ") + (scopes.empty() ? L"nothing" : scopes) +
        L" (" + Plural(WalkTally.folders, L"folder", L"folders") + L", " +
        Plural(WalkTally.files, L"file", L"files") + L"): " +
        Plural(WalkTally.damaged, L"damaged entry", L"damaged entries") + L", " +
        std::to_wstring(WalkTally.restored) + (scan ? L" would be restored, " : L" restored, ") +
        std::to_wstring(WalkTally.left) + (scan ? L" would be left." : L" left.");
    WriteLine(StandardOutput, line);
    if (WalkTally.foldersNotSearched > 0) {
        WriteLine(StandardOutput,
                  Plural(WalkTally.foldersNotSearched, L"folder was", L"folders were") +
                      L" not searched: the path is longer than " +
                      std::to_wstring(WalkPathCapacity - 1) + L" characters.");
    }
    if (WalkTally.stopped && summary.journalFailed) {
        WriteLine(StandardOutput, L"Stopped: the journal could not be written.");
    } else if (WalkTally.stopped) {
        WriteStoppedLine();
    }
    if (!summary.journal.empty()) {
        WriteLine(StandardOutput, L"Journal: " + Displayed(summary.journal) + L" (" +
                                      Plural(summary.journalled, L"rename", L"renames") +
                                      L"); to undo them: rescindo-cli undo \"" +
                                      Displayed(summary.journal) + L"\"");
    }
}
