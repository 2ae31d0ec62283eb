// undo: gives the entries a restore renamed their damaged names back, from its journal, newest
// first. The whole journal is checked before anything is renamed; nothing is ever replaced.
#include "cli/commands.h"
#include "cli/console_output.h"
#include "cli/entry_report.h"
#include "cli/exit_codes.h"
#include "cli/journal_format.h"
#include "cli/scope.h"
#include "cli/walk_scopes.h"
#include "res/version.h"
#include "unlock/real_paths.h"
#include <windows.h>
#include <algorithm>

namespace {

// Far more than any restore writes (about four million renames); a larger file is no journal.
const int64_t JournalLimitBytes = 1 << 30;

enum UndoOutcome { UndoDone, UndoRestoredNameGone, UndoDamagedNameTaken, UndoRefused };

struct UndoText {
    const char* json;
    const wchar_t* label;
    const wchar_t* because;
};

// In the order of UndoOutcome.
const UndoText UndoTexts[] = {
    {"undone", L"undone", nullptr},
    {"restored_name_gone", L"left", L"the restored name no longer exists"},
    {"damaged_name_taken", L"left", L"an entry of the damaged name exists again"},
    {"refused", L"refused", nullptr},
};

struct UndoTallyRecord {
    int64_t undone;
    int64_t left;
};
UndoTallyRecord UndoTally = {};

// The journal's bytes, or a reason why it cannot be read.
int ReadJournalFile(const std::wstring& path, std::string* data, std::wstring* reason) {
    // No write sharing: a restore still writing the journal keeps undo out until it has ended.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        *reason = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                      ? L"no such journal: " + path
                  : error == ERROR_SHARING_VIOLATION
                      ? L"the journal is in use (is a restore still writing it?): " + path
                      : L"cannot open the journal " + path + L" (" + ErrorText(error) + L")";
        return 0;
    }
    LARGE_INTEGER size;
    int read = 0;
    if (!GetFileSizeEx(file, &size)) {
        *reason = L"cannot read the journal " + path + L" (" + ErrorText(GetLastError()) + L")";
    } else if (size.QuadPart > JournalLimitBytes) {
        *reason = L"too large to be a journal: " + path;
    } else {
        data->resize(static_cast<size_t>(size.QuadPart));
        size_t done = 0;
        DWORD got = 1;
        while (done < data->size() && got > 0) {
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(data->size() - done, 1u << 24));
            if (!ReadFile(file, &(*data)[done], chunk, &got, nullptr)) {
                break;
            }
            done += got;
        }
        read = done == data->size() ? 1 : 0;
        if (!read) {
            *reason = L"cannot read the journal " + path + L" (" + ErrorText(GetLastError()) + L")";
        }
    }
    CloseHandle(file);
    return read;
}

// The new name goes back to the old one only when it still exists and the old one is free;
// MoveFileW never replaces, so an entry that takes the old name in between stays too.
UndoOutcome UndoRename(const std::wstring& oldPath, const std::wstring& newPath, DWORD* error) {
    *error = 0;
    if (GetFileAttributesW(newPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        *error = GetLastError();
        return *error == ERROR_FILE_NOT_FOUND || *error == ERROR_PATH_NOT_FOUND
                   ? UndoRestoredNameGone
                   : UndoRefused;
    }
    if (GetFileAttributesW(oldPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return UndoDamagedNameTaken;
    }
    if (MoveFileW(newPath.c_str(), oldPath.c_str())) {
        return UndoDone;
    }
    *error = GetLastError();
    return *error == ERROR_ALREADY_EXISTS || *error == ERROR_FILE_EXISTS ? UndoDamagedNameTaken
                                                                         : UndoRefused;
}

std::wstring FinalName(const std::wstring& path) {
    return path.substr(path.rfind(L'\\') + 1);
}

void ReportUndo(UndoOutcome outcome, size_t lineNumber, const std::wstring& oldPath,
                const std::wstring& newPath, DWORD error) {
    const UndoText& text = UndoTexts[outcome];
    if (OutputMode.quiet && outcome == UndoDone) {
        return;
    }
    if (OutputMode.json) {
        std::string line = std::string("{\"kind\":\"undo\",\"outcome\":\"") + text.json + "\"" +
                           JsonField("line", static_cast<int64_t>(lineNumber)) +
                           JsonField("path", DisplayedPath(newPath)) +
                           JsonField("damaged", DisplayedPath(oldPath));
        if (outcome == UndoRefused) {
            line += JsonField("error", static_cast<int64_t>(error));
        }
        WriteUtf8Line(StandardOutput, line + "}");
        return;
    }
    std::wstring label = text.label;
    label.resize(14, L' ');
    std::wstring line =
        label + L"\"" + DisplayedPath(newPath) + L"\" -> \"" + FinalName(oldPath) + L"\"";
    if (outcome == UndoRefused) {
        line += L" (" + ErrorText(error) + L")";
    } else if (text.because != nullptr) {
        line += std::wstring(L" (") + text.because + L")";
    }
    WriteLine(StandardOutput, line);
}

void ReportTruncatedLine(size_t lineNumber) {
    if (OutputMode.json) {
        WriteUtf8Line(StandardOutput, "{\"kind\":\"truncated_line\"" +
                                          JsonField("line", static_cast<int64_t>(lineNumber)) +
                                          "}");
        return;
    }
    WriteLine(StandardOutput, L"line " + std::to_wstring(lineNumber) +
                                  L" skipped: it has no line end (the restore that wrote it was "
                                  L"cut off); its rename, if it was made, stays");
}

void ReportUndoSummary(const std::wstring& journal, size_t renames, size_t truncatedNumber,
                       int stopped, int exitCode) {
    if (OutputMode.json) {
        std::string line =
            "{\"kind\":\"summary\",\"command\":\"undo\"" + JsonField("computer", ComputerName()) +
            ",\"version\":\"" + RESCINDO_VERSION_TEXT + "\"" + JsonField("journal", journal) +
            JsonField("renames", static_cast<int64_t>(renames)) +
            JsonField("undone", UndoTally.undone) + JsonField("left", UndoTally.left);
        if (truncatedNumber != 0) {
            line += JsonField("truncated_line", static_cast<int64_t>(truncatedNumber));
        }
        line += std::string(",\"stopped\":") + (stopped ? "true" : "false");
        WriteUtf8Line(StandardOutput, line + JsonField("exit_code", exitCode) + "}");
        return;
    }
    WriteLine(StandardOutput, L"Undid " + std::to_wstring(UndoTally.undone) + L" of " +
                                  std::to_wstring(renames) + L" renames in " + journal + L"; " +
                                  std::to_wstring(UndoTally.left) + L" left.");
    if (stopped) {
        WriteLine(StandardOutput, L"Stopped before the end (Ctrl+C).");
    }
}

} // namespace

int RunUndo(const CommandCall& call) {
    OpenOutput(HasOption(call, OptionJson), HasOption(call, OptionQuiet));
    RedirectionState redirection;
    BeginRealPaths(&redirection);
    const std::wstring& journal = call.operands[0];
    std::string data;
    std::wstring reason;
    if (!ReadJournalFile(journal, &data, &reason)) {
        EndRealPaths(&redirection);
        return ReportFailure(ExitBadInput, reason);
    }
    JournalCheck check = CheckJournal(data.data(), data.size());
    if (check.verdict != JournalReadable) {
        EndRealPaths(&redirection);
        if (check.verdict == JournalEmpty) {
            return ReportFailure(ExitBadInput, L"not a journal (the file is empty): " + journal);
        }
        std::wstring why;
        for (const char* c = check.badReason; *c != '\0'; ++c) {
            why += static_cast<wchar_t>(*c);
        }
        return ReportFailure(ExitBadInput,
                             journal + L", line " + std::to_wstring(check.badLineNumber) + L": " +
                                 (check.verdict == JournalBadHeader ? L"not a journal: " : L"") +
                                 why + L"; nothing was renamed");
    }
    if (check.truncatedNumber != 0) {
        ReportTruncatedLine(check.truncatedNumber);
    }
    StopWalkOnCtrlC();
    for (size_t i = check.renames.size(); i-- > 0;) {
        if (WalkStopped()) {
            break;
        }
        std::wstring oldPath;
        std::wstring newPath;
        ReadJournalRename(data.data(), check.renames[i], &oldPath, &newPath);
        DWORD error = 0;
        UndoOutcome outcome = UndoRename(oldPath, newPath, &error);
        if (outcome == UndoDone) {
            UndoTally.undone += 1;
        } else {
            UndoTally.left += 1;
        }
        ReportUndo(outcome, check.renames[i].number, oldPath, newPath, error);
    }
    EndRealPaths(&redirection);
    int stopped = WalkStopped();
    int exitCode =
        UndoTally.left > 0 || check.truncatedNumber != 0 || stopped ? ExitSomeLeft : ExitAllDone;
    ReportUndoSummary(journal, check.renames.size(), check.truncatedNumber, stopped, exitCode);
    return exitCode;
}
