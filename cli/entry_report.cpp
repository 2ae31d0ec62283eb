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
    {"not_followed", L"not followed",
     L"a link to a folder outside the PATHs given; --follow-links enters it", 1},
    {"not_followed", L"not followed", L"a link whose target cannot be opened", 1},
    {"not_followed", L"not followed", L"more links than one run follows", 1},
    {"not_listed", L"not searched", nullptr, 1},
};

bool IsLink(EntryOutcome outcome) {
    return outcome == EntryLinkOutside || outcome == EntryLinkUnknown ||
           outcome == EntryLinkTooMany;
}

const size_t LabelWidth = 14;

std::wstring Plural(int64_t count, const wchar_t* one, const wchar_t* many) {
    return std::to_wstring(count) + L" " + (count == 1 ? one : many);
}

} // namespace

void ReportEntry(EntryOutcome outcome, const std::wstring& path, const std::wstring& restored,
                 uint32_t error, const EntryDetails& details) {
    const OutcomeText& text = OutcomeTexts[outcome];
    if (OutputMode.quiet && !text.left) {
        return;
    }
    if (OutputMode.json) {
        bool folder = outcome == EntryFolderTooLong || outcome == EntryFolderNotListed;
        JsonLine line = JsonObject(IsLink(outcome) ? "link" : folder ? "folder" : "entry");
        AddJson(&line, "outcome", std::string("\"") + text.json + "\"");
        AddText(&line, "path", Displayed(path));
        if (!restored.empty()) {
            AddText(&line, IsLink(outcome) ? "target" : "restored", Displayed(restored));
        }
        if (IsLink(outcome)) {
            AddText(&line, "reason", text.because);
        }
        if (outcome == EntryRefused || outcome == EntryFolderNotListed) {
            AddNumber(&line, "error", error);
        }
        if (!IsLink(outcome) && !folder) {
            AddNumber(&line, "suffixes", details.suffixes);
        }
        if (details.keptBoth) {
            AddBool(&line, "kept_both", true);
        }
        if (!details.leftAs.empty()) {
            AddText(&line, "left_as", Displayed(details.leftAs));
        }
        WriteJsonLine(line);
        return;
    }
    std::wstring rest = Quoted(Displayed(path));
    if (!restored.empty()) {
        rest += L" -> " + Quoted(IsLink(outcome) ? Displayed(restored) : NameOf(restored));
    }
    std::vector<std::wstring> remarks;
    if (outcome == EntryRefused) {
        remarks.push_back(ErrorWords(error));
    } else if (outcome == EntryFolderNotListed) {
        remarks.push_back(L"a folder the system would not list: " + ErrorWords(error));
    } else if (text.because != nullptr) {
        remarks.push_back(text.because);
    }
    if (details.keptBoth) {
        remarks.push_back(L"its name was taken: both kept");
    }
    if (!details.leftAs.empty()) {
        remarks.push_back(L"left as " + Quoted(NameOf(details.leftAs)));
    }
    if (details.suffixes > 1 && details.leftAs.empty()) {
        remarks.push_back(std::to_wstring(details.suffixes) + L" suffixes");
    }
    for (size_t i = 0; i < remarks.size(); ++i) {
        rest += (i == 0 ? L" (" : L"; ") + remarks[i] + (i + 1 == remarks.size() ? L")" : L"");
    }
    WriteOutcomeLine(text.label, LabelWidth, rest);
}

void ReportDamagedEntry(EntryOutcome outcome, const wchar_t* path, const wchar_t* reached,
                        const wchar_t* tried, uint32_t error, EntryDetails details) {
    if (outcome == EntryRestored || outcome == EntryWouldRestore) {
        WalkTally.restored += 1;
        ReportEntry(outcome, path, reached, 0, details);
        return;
    }
    WalkTally.left += 1;
    if (details.suffixes > 0) {
        details.leftAs = reached;
    }
    ReportEntry(outcome, path, outcome == EntryLeftByRule ? L"" : tried, error, details);
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
        AddNumber(&line, "links_not_followed", WalkTally.linksNotFollowed);
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
                      L" not searched (listed above).");
    }
    if (WalkTally.linksNotFollowed > 0) {
        WriteLine(StandardOutput, Plural(WalkTally.linksNotFollowed, L"link was", L"links were") +
                                      L" not followed (listed above).");
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
