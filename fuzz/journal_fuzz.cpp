// libFuzzer target: the journal reader on arbitrary bytes. A journal is a file a user hands the
// program, so whatever it holds, every rename the reader accepts must be exactly what one
// complete line names (the line's bytes are the old path, a tab and the new path), a rename a
// restore could have made (the damaged name, cut by the name rule, in the same folder), and a
// journal refused must yield no rename at all.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>
#include "cli/journal_format.h"
#include "report/text_encoding.h"
#include "unlock/name_rule.h"
#include "unlock/walk_limits.h"

namespace {

void Check(bool condition) {
    if (!condition)
        abort();
}

struct Line {
    std::string text; // without its line end
    bool complete;    // ended by a line feed
};

// The input's lines, split here without the reader's help.
std::vector<Line> SplitLines(const char* data, size_t size) {
    std::vector<Line> lines;
    size_t start = 0;
    if (size >= 3 && std::string(data, 3) == "\xEF\xBB\xBF")
        start = 3;
    while (start < size) {
        size_t end = start;
        while (end < size && data[end] != '\n')
            ++end;
        Line line = {std::string(data + start, end - start), end < size};
        if (line.complete && !line.text.empty() && line.text.back() == '\r')
            line.text.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.rfind(L'\\'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const char* data = reinterpret_cast<const char*>(bytes);
    JournalCheck check = CheckJournal(data, size);
    std::vector<Line> lines = SplitLines(data, size);
    if (check.verdict != JournalReadable) {
        Check(check.renames.empty());
        Check(check.verdict == JournalEmpty ? size == 0 : check.badLineNumber >= 1);
        Check(check.verdict == JournalEmpty || check.badLineNumber <= lines.size() ||
              (lines.empty() && check.badLineNumber == 1));
        return 0;
    }
    // Every complete line after the header is one rename, in order; an incomplete last line none.
    size_t complete = lines.size() - (!lines.empty() && !lines.back().complete ? 1 : 0);
    Check(complete >= 1);
    Check(check.renames.size() == complete - 1);
    Check(check.truncatedNumber == (complete < lines.size() ? lines.size() : 0));
    for (size_t i = 0; i < check.renames.size(); ++i) {
        const JournalLine& rename = check.renames[i];
        Check(rename.number == i + 2);
        std::wstring oldPath;
        std::wstring newPath;
        ReadJournalRename(data, rename, &oldPath, &newPath);
        Check(Utf8FromUtf16(oldPath, KeepUnpaired) + "\t" + Utf8FromUtf16(newPath, KeepUnpaired) ==
              lines[rename.number - 1].text);
        Check(oldPath.size() < WalkPathCapacity && oldPath.compare(0, 4, L"\\\\?\\") == 0);
        Check(oldPath.find(L'\0') == std::wstring::npos);
        Check(CarriesDamageSuffix(oldPath.c_str()));
        wchar_t restored[WalkPathCapacity];
        Check(CutRestoredName(oldPath.c_str(), restored, WalkPathCapacity) == 1);
        Check(newPath == restored);
        Check(FolderOf(newPath) == FolderOf(oldPath));
    }
    return 0;
}
