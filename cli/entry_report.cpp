// Lines for people and JSON objects for scripts.
#include "cli/entry_report.h"
#include "cli/console_output.h"
#include "cli/scope.h"
#include "cli/text_encoding.h"
#include "cli/walk_scopes.h"
#include "res/version.h"
#include "unlock/walk_limits.h"
#include <windows.h>
#include <algorithm>

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

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

// The final name of a path.
std::wstring NameOf(const std::wstring& path) {
    size_t separator = path.rfind(L'\\');
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

std::string JsonList(const std::vector<std::wstring>& items) {
    std::string list = "[";
    for (size_t i = 0; i < items.size(); ++i) {
        list += (i > 0 ? "," : "") + JsonString(DisplayedPath(items[i]));
    }
    return list + "]";
}

std::wstring Plural(int64_t count, const wchar_t* one, const wchar_t* many) {
    return std::to_wstring(count) + L" " + (count == 1 ? one : many);
}

} // namespace

std::string JsonField(const char* name, const std::wstring& value) {
    return std::string(",\"") + name + "\":" + JsonString(value);
}

std::string JsonField(const char* name, int64_t value) {
    return std::string(",\"") + name + "\":" + std::to_string(value);
}

std::wstring ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? std::wstring(name, size) : L"";
}

int ReportFailure(int exitCode, const std::wstring& message) {
    WriteError(message);
    if (OutputMode.json) {
        WriteUtf8Line(StandardOutput, "{\"kind\":\"error\"" + JsonField("message", message) +
                                          JsonField("computer", ComputerName()) +
                                          JsonField("exit_code", exitCode) + "}");
    }
    return exitCode;
}

std::wstring ErrorText(uint32_t error) {
    const wchar_t* words = nullptr;
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        words = L"the entry is gone";
        break;
    case ERROR_ACCESS_DENIED:
        words = L"access denied";
        break;
    case ERROR_WRITE_PROTECT:
        words = L"the medium is write-protected";
        break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        words = L"in use by another program";
        break;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        words = L"an entry of that name exists";
        break;
    case ERROR_FILENAME_EXCED_RANGE:
        words = L"the path is too long";
        break;
    case ERROR_NOT_READY:
        words = L"the drive is not ready";
        break;
    case ERROR_DISK_FULL:
        words = L"the disk is full";
        break;
    default:
        break;
    }
    std::wstring number = L"error " + std::to_wstring(error);
    return words != nullptr ? std::wstring(words) + L", " + number : number;
}

void ReportEntry(EntryOutcome outcome, const std::wstring& path, const std::wstring& restored,
                 uint32_t error) {
    const OutcomeText& text = OutcomeTexts[outcome];
    if (OutputMode.quiet && !text.left) {
        return;
    }
    if (OutputMode.json) {
        std::string line =
            std::string("{\"kind\":\"") + (outcome == EntryFolderTooLong ? "folder" : "entry") +
            "\",\"outcome\":\"" + text.json + "\"" + JsonField("path", DisplayedPath(path));
        if (!restored.empty()) {
            line += JsonField("restored", DisplayedPath(restored));
        }
        if (outcome == EntryRefused) {
            line += JsonField("error", static_cast<int64_t>(error));
        }
        WriteUtf8Line(StandardOutput, line + "}");
        return;
    }
    std::wstring label = text.label;
    label.resize(std::max(LabelWidth, label.size() + 1), L' ');
    std::wstring line = label + Quoted(DisplayedPath(path));
    if (!restored.empty()) {
        line += L" -> " + Quoted(NameOf(restored));
    }
    if (outcome == EntryRefused) {
        line += L" (" + ErrorText(error) + L")";
    } else if (text.because != nullptr) {
        line += std::wstring(L" (") + text.because + L")";
    }
    WriteLine(StandardOutput, line);
}

void ReportWalkSummary(const WalkSummary& summary) {
    bool scan = std::wstring(summary.command) == L"scan";
    if (OutputMode.json) {
        std::string line =
            "{\"kind\":\"summary\"" + JsonField("command", summary.command) +
            JsonField("computer", ComputerName()) + ",\"version\":\"" + RESCINDO_VERSION_TEXT +
            "\",\"scopes\":" + JsonList(summary.scopes) + JsonField("folders", WalkTally.folders) +
            JsonField("files", WalkTally.files) + JsonField("damaged", WalkTally.damaged) +
            JsonField(scan ? "would_restore" : "restored", WalkTally.restored) +
            JsonField("left", WalkTally.left) +
            JsonField("folders_not_searched", WalkTally.foldersNotSearched) +
            ",\"stopped\":" + (WalkTally.stopped ? "true" : "false");
        if (!summary.journal.empty()) {
            line += JsonField("journal", DisplayedPath(summary.journal)) +
                    JsonField("journalled", summary.journalled);
        }
        WriteUtf8Line(StandardOutput, line + JsonField("exit_code", summary.exitCode) + "}");
        return;
    }
    std::wstring scopes;
    for (const std::wstring& scope : summary.scopes) {
        scopes += (scopes.empty() ? L"" : L", ") + DisplayedPath(scope);
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
    if (WalkTally.stopped) {
        WriteLine(StandardOutput, summary.journalFailed
                                      ? L"Stopped: the journal could not be written."
                                      : L"Stopped before the end (Ctrl+C).");
    }
    if (!summary.journal.empty()) {
        WriteLine(StandardOutput, L"Journal: " + DisplayedPath(summary.journal) + L" (" +
                                      Plural(summary.journalled, L"rename", L"renames") +
                                      L"); to undo them: rescindo-cli undo \"" +
                                      DisplayedPath(summary.journal) + L"\"");
    }
}
