// undo: gives the entries a restore renamed their damaged names back, from its journal, newest
// first. The whole journal is checked before anything is renamed; nothing is ever replaced.
#include "cli/commands.h"
#include "cli/console_output.h"
#include "cli/console_walk.h"
#include "cli/exit_codes.h"
#include "cli/journal_format.h"
#include "cli/path_text.h"
#include "report/decrypt_words.h"
#include "res/version.h"
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
                      : L"cannot open the journal " + path + L" (" + ErrorWords(error) + L")";
        return 0;
    }
    LARGE_INTEGER size;
    int read = 0;
    if (!GetFileSizeEx(file, &size)) {
        *reason = L"cannot read the journal " + path + L" (" + ErrorWords(GetLastError()) + L")";
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
            *reason =
                L"cannot read the journal " + path + L" (" + ErrorWords(GetLastError()) + L")";
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

const size_t LabelWidth = 14;

void ReportUndo(UndoOutcome outcome, size_t lineNumber, const std::wstring& oldPath,
                const std::wstring& newPath, DWORD error) {
    const UndoText& text = UndoTexts[outcome];
    if (OutputMode.quiet && outcome == UndoDone) {
        return;
    }
    if (OutputMode.json) {
        JsonLine line = JsonObject("undo");
        AddJson(&line, "outcome", std::string("\"") + text.json + "\"");
        AddNumber(&line, "line", static_cast<int64_t>(lineNumber));
        AddText(&line, "path", Displayed(newPath));
        AddText(&line, "damaged", Displayed(oldPath));
        if (outcome == UndoRefused) {
            AddNumber(&line, "error", static_cast<int64_t>(error));
        }
        WriteJsonLine(line);
        return;
    }
    std::wstring rest = Quoted(Displayed(newPath)) + L" -> " + Quoted(NameOf(oldPath));
    if (outcome == UndoRefused) {
        rest += L" (" + ErrorWords(error) + L")";
    } else if (text.because != nullptr) {
        rest += std::wstring(L" (") + text.because + L")";
    }
    WriteOutcomeLine(text.label, LabelWidth, rest);
}

void ReportTruncatedLine(size_t lineNumber) {
    if (OutputMode.json) {
        JsonLine line = JsonObject("truncated_line");
        AddNumber(&line, "line", static_cast<int64_t>(lineNumber));
        WriteJsonLine(line);
        return;
    }
    WriteLine(StandardOutput, L"line " + std::to_wstring(lineNumber) +
                                  L" skipped: it has no line end (the restore that wrote it was "
                                  L"cut off); its rename, if it was made, stays");
}

void ReportUndoSummary(const std::wstring& journal, size_t renames, size_t truncatedNumber,
                       int stopped, int exitCode) {
    if (OutputMode.json) {
        JsonLine line = JsonSummary("undo", ComputerName(), RESCINDO_VERSION_TEXT);
        AddText(&line, "journal", journal);
        AddNumber(&line, "renames", static_cast<int64_t>(renames));
        AddNumber(&line, "undone", UndoTally.undone);
        AddNumber(&line, "left", UndoTally.left);
        if (truncatedNumber != 0) {
            AddNumber(&line, "truncated_line", static_cast<int64_t>(truncatedNumber));
        }
        AddBool(&line, "stopped", stopped != 0);
        AddNumber(&line, "exit_code", exitCode);
        WriteJsonLine(line);
        return;
    }
    WriteLine(StandardOutput, L"Undid " + std::to_wstring(UndoTally.undone) + L" of " +
                                  std::to_wstring(renames) + L" renames in " + journal + L"; " +
                                  std::to_wstring(UndoTally.left) + L" left.");
    if (stopped) {
        WriteStoppedLine();
    }
}

// Reverses every rename of a checked journal, newest first, until the end or Ctrl+C.
void UndoRenames(const std::string& data, const JournalCheck& check) {
    StopWalkOnCtrlC();
    for (size_t i = check.renames.size(); i-- > 0 && !WalkStopRequested();) {
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
}

// Why undo refuses the journal, in one line.
std::wstring RefusalOf(const std::wstring& journal, const JournalCheck& check) {
    if (check.verdict == JournalEmpty) {
        return L"not a journal (the file is empty): " + journal;
    }
    std::wstring why;
    for (const char* c = check.badReason; *c != '\0'; ++c) {
        why += static_cast<wchar_t>(*c);
    }
    return journal + L", line " + std::to_wstring(check.badLineNumber) + L": " +
           (check.verdict == JournalBadHeader ? L"not a journal: " : L"") + why +
           L"; nothing was renamed";
}

} // namespace

int RunUndo(const CommandCall& call) {
    OpenOutput(HasOption(call, OptionJson), HasOption(call, OptionQuiet));
    const std::wstring& journal = call.operands[0];
    std::string data;
    std::wstring reason;
    if (!ReadJournalFile(journal, &data, &reason)) {
        return ReportFailure(ExitBadInput, reason);
    }
    JournalCheck check = CheckJournal(data.data(), data.size());
    if (check.verdict != JournalReadable) {
        return ReportFailure(ExitBadInput, RefusalOf(journal, check));
    }
    if (check.truncatedNumber != 0) {
        ReportTruncatedLine(check.truncatedNumber);
    }
    UndoRenames(data, check);
    int stopped = WalkStopRequested();
    int exitCode =
        UndoTally.left > 0 || check.truncatedNumber != 0 || stopped ? ExitSomeLeft : ExitAllDone;
    ReportUndoSummary(journal, check.renames.size(), check.truncatedNumber, stopped, exitCode);
    return exitCode;
}
