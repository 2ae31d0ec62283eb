// Writing and checking journal lines.
#include "cli/journal_format.h"
#include "report/text_encoding.h"
#include "unlock/name_rule.h"
#include "unlock/walk_limits.h"

const char JournalHeaderStart[] = "rescindo-cli journal 1;";

namespace {

const char LineEnd[] = "\r\n";
const char ByteOrderMark[] = "\xEF\xBB\xBF";

struct LineCheck {
    const char* reason; // null when the line is accepted
};

bool IsNameCharacter(wchar_t c) {
    if (c < 0x20) {
        return false;
    }
    switch (c) {
    case L'<':
    case L'>':
    case L':':
    case L'"':
    case L'/':
    case L'|':
    case L'?':
    case L'*':
    case L'\\':
        return false;
    default:
        return true;
    }
}

// The parts of path from index on, separated by '\': at least minimumParts of them, none empty,
// "." or "..", each made of characters a name can hold.
bool PartsAreNames(const std::wstring& path, size_t index, int minimumParts) {
    int parts = 0;
    while (index <= path.size()) {
        size_t end = path.find(L'\\', index);
        if (end == std::wstring::npos) {
            end = path.size();
        }
        size_t length = end - index;
        if (length == 0 || (length == 1 && path[index] == L'.') ||
            (length == 2 && path[index] == L'.' && path[index + 1] == L'.')) {
            return false;
        }
        for (size_t i = index; i < end; ++i) {
            if (!IsNameCharacter(path[i])) {
                return false;
            }
        }
        ++parts;
        index = end + 1;
    }
    return parts >= minimumParts;
}

bool IsAsciiLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// \\?\X:\name... or \\?\UNC\server\share\name..., short enough for the walk's buffers.
bool IsFullLongPath(const std::wstring& path) {
    if (path.size() >= WalkPathCapacity || path.compare(0, 4, L"\\\\?\\") != 0) {
        return false;
    }
    if (path.size() >= 7 && IsAsciiLetter(path[4]) && path[5] == L':' && path[6] == L'\\') {
        return PartsAreNames(path, 7, 1);
    }
    if (path.compare(4, 4, L"UNC\\") == 0) {
        return PartsAreNames(path, 8, 3);
    }
    return false;
}

LineCheck CheckRenameLine(const char* line, size_t length, size_t* tab) {
    size_t tabs = 0;
    for (size_t i = 0; i < length; ++i) {
        if (line[i] == '\t') {
            *tab = i;
            ++tabs;
        } else if (static_cast<unsigned char>(line[i]) < 0x20) {
            return {"it holds a control character"};
        }
    }
    if (length == 0) {
        return {"it is empty"};
    }
    if (tabs != 1) {
        return {"it is not an old path and a new path separated by one tab"};
    }
    std::wstring oldPath;
    std::wstring newPath;
    if (!Utf16FromUtf8(line, *tab, &oldPath) ||
        !Utf16FromUtf8(line + *tab + 1, length - *tab - 1, &newPath)) {
        return {"it is not valid UTF-8"};
    }
    if (!IsFullLongPath(oldPath)) {
        return {"the old path is not a full path in long form (\\\\?\\X:\\... or "
                "\\\\?\\UNC\\server\\share\\...)"};
    }
    if (!IsFullLongPath(newPath)) {
        return {"the new path is not a full path in long form (\\\\?\\X:\\... or "
                "\\\\?\\UNC\\server\\share\\...)"};
    }
    if (!CarriesDamageSuffix(oldPath.c_str())) {
        return {"the old name does not carry the damage suffix"};
    }
    wchar_t restored[WalkPathCapacity];
    // restore --keep-both gives a taken name the form of a copy, "photo (2).jpg".
    if (!CutRestoredName(oldPath.c_str(), restored, WalkPathCapacity) ||
        (newPath != restored && !IsCopyNameOf(newPath.c_str(), restored))) {
        return {"the new path is not the old path with its suffix cut off"};
    }
    return {nullptr};
}

} // namespace

std::string JournalHeaderLine(const char* programVersion) {
    return std::string(JournalHeaderStart) + " written by rescindo-cli " + programVersion + LineEnd;
}

std::string JournalRenameLine(const std::wstring& oldPath, const std::wstring& newPath) {
    return Utf8FromUtf16(oldPath, KeepUnpaired) + "\t" + Utf8FromUtf16(newPath, KeepUnpaired) +
           LineEnd;
}

JournalCheck CheckJournal(const char* data, size_t size) {
    JournalCheck check = {JournalReadable, 0, nullptr, 0, {}};
    if (size == 0) {
        check.verdict = JournalEmpty;
        return check;
    }
    size_t position = 0;
    // An editor may have put a byte-order mark in front.
    if (size >= 3 && std::string(data, 3) == ByteOrderMark) {
        position = 3;
    }
    size_t number = 0;
    while (position < size) {
        ++number;
        size_t end = position;
        while (end < size && data[end] != '\n') {
            ++end;
        }
        if (end == size) {
            // No line end: the restore that wrote it was cut off, so it may be incomplete.
            if (number == 1) {
                check.verdict = JournalBadHeader;
                check.badLineNumber = 1;
                check.badReason = "the first line has no line end";
                return check;
            }
            check.truncatedNumber = number;
            break;
        }
        size_t next = end + 1;
        if (end > position && data[end - 1] == '\r') {
            --end;
        }
        const char* line = data + position;
        size_t length = end - position;
        if (number == 1) {
            std::wstring header;
            size_t startLength = sizeof JournalHeaderStart - 1;
            if (length < startLength || std::string(line, startLength) != JournalHeaderStart ||
                !Utf16FromUtf8(line, length, &header)) {
                check.verdict = JournalBadHeader;
                check.badLineNumber = 1;
                check.badReason = "it does not begin with the header of a rescindo-cli journal";
                return check;
            }
        } else {
            size_t tab = 0;
            LineCheck lineCheck = CheckRenameLine(line, length, &tab);
            if (lineCheck.reason != nullptr) {
                check.verdict = JournalBadLine;
                check.badLineNumber = number;
                check.badReason = lineCheck.reason;
                check.renames.clear();
                return check;
            }
            check.renames.push_back(
                {number, position, position + tab, position + tab + 1, position + length});
        }
        position = next;
    }
    if (number == 0) { // a byte-order mark and nothing else
        check.verdict = JournalBadHeader;
        check.badLineNumber = 1;
        check.badReason = "there is no header line";
    }
    return check;
}

void ReadJournalRename(const char* data, const JournalLine& line, std::wstring* oldPath,
                       std::wstring* newPath) {
    Utf16FromUtf8(data + line.oldBegin, line.oldEnd - line.oldBegin, oldPath);
    Utf16FromUtf8(data + line.newBegin, line.newEnd - line.newBegin, newPath);
}
