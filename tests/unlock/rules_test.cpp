// The pure rules of the unlock run: name cut, drive decision, progress position.
#include "unlock/drive_rule.h"
#include "unlock/name_rule.h"
#include "unlock/progress_rule.h"
#include <gtest/gtest.h>
#include <cstdint>
#include <string>

namespace {

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        out += (c >= 32 && c < 127) ? static_cast<char>(c) : '?';
    }
    return out;
}

struct CutCase {
    const wchar_t* path;
    const wchar_t* restored; // nullptr: left alone
};

// The rule's worked examples, then the cases it leaves open: fewer than two spaces in the
// final name, restored names that are empty or dots, spaces in directory names.
const CutCase CutCases[] = {
    {L"\\\\?\\C:\\d\\report.doc xx-yy ", L"\\\\?\\C:\\d\\report.doc"},
    {L"\\\\?\\C:\\d\\my file.txt 12-34 ", L"\\\\?\\C:\\d\\my file.txt"},
    {L"\\\\?\\C:\\d\\a b c-d ", L"\\\\?\\C:\\d\\a b"},
    {L"\\\\?\\C:\\d\\x-y z-w ", L"\\\\?\\C:\\d\\x-y"},
    {L"\\\\?\\C:\\d\\notes  x-y ", L"\\\\?\\C:\\d\\notes "},
    {L"\\\\?\\C:\\my docs\\old dir\\photo 1.jpg ab-cd ",
     L"\\\\?\\C:\\my docs\\old dir\\photo 1.jpg"},
    {L"\\\\?\\C:\\d\\\x0444\x0430\x0439\x043b 1-2 ", L"\\\\?\\C:\\d\\\x0444\x0430\x0439\x043b"},
    {L"\\\\?\\C:\\d\\nospace", nullptr},
    {L"\\\\?\\C:\\my docs\\single-space ", nullptr},
    {L"\\\\?\\C:\\my docs\\x y", nullptr},
    {L"\\\\?\\C:\\d\\ a-b ", nullptr},
    {L"\\\\?\\C:\\d\\. a-b ", nullptr},
    {L"\\\\?\\C:\\d\\.. a-b ", nullptr},
    {L"\\\\?\\C:\\d\\... a-b ", L"\\\\?\\C:\\d\\..."},
    {L"a b-c ", L"a"},
    {L"", nullptr},
};

TEST(NameCut, TableOfPaths) {
    for (const CutCase& c : CutCases) {
        wchar_t restored[1024];
        int result = CutRestoredName(c.path, restored, 1024);
        SCOPED_TRACE(Narrow(c.path));
        if (c.restored == nullptr) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(restored[0], L'\0');
        } else {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(std::wstring(restored), std::wstring(c.restored)) << Narrow(restored);
        }
    }
}

TEST(NameCut, PathThatDoesNotFitIsLeftAlone) {
    // 1023 characters fit with the terminator; 1024 do not.
    std::wstring head = L"\\\\?\\C:\\";
    std::wstring fits = head + std::wstring(1023 - head.size() - 5, L'x') + L" a-b ";
    ASSERT_EQ(fits.size(), 1023u);
    wchar_t restored[1024];
    EXPECT_EQ(CutRestoredName(fits.c_str(), restored, 1024), 1);
    EXPECT_EQ(std::wstring(restored), fits.substr(0, 1018));
    std::wstring tooLong = head + L"y" + fits.substr(head.size());
    ASSERT_EQ(tooLong.size(), 1024u);
    EXPECT_EQ(CutRestoredName(tooLong.c_str(), restored, 1024), 0);
    EXPECT_EQ(restored[0], L'\0');
    wchar_t small[4];
    EXPECT_EQ(CutRestoredName(L"ab c-d ", small, 4), 0);
    EXPECT_EQ(CutRestoredName(L"ab c-d ", small, 0), 0);
}

struct DriveCase {
    int deviceOpened;
    int mediaChecked;
    uint32_t checkError;
    uint32_t driveType;
    int searched;
};

// Drive types: 2 removable, 3 fixed, 4 remote, 5 optical, 6 RAM disk. Errors: 1 invalid
// function, 50 not supported, 21 not ready (no medium), 5 access denied.
const DriveCase DriveCases[] = {
    {1, 1, 0, 3, 1},  {1, 1, 0, 2, 1},  {1, 1, 0, 4, 1},  {1, 1, 0, 6, 1},  {1, 1, 0, 5, 0},
    {1, 0, 21, 5, 0}, {1, 0, 50, 5, 0}, {1, 0, 50, 3, 1}, {1, 0, 1, 3, 1},  {1, 0, 50, 2, 0},
    {1, 0, 1, 2, 0},  {1, 0, 50, 4, 0}, {1, 0, 21, 3, 0}, {1, 0, 21, 2, 0}, {1, 0, 5, 3, 0},
    {0, 0, 0, 3, 0},  {0, 1, 0, 3, 0},
};

TEST(DriveRule, Decision) {
    for (const DriveCase& c : DriveCases) {
        EXPECT_EQ(DriveIsSearched(c.deviceOpened, c.mediaChecked, c.checkError, c.driveType),
                  c.searched)
            << "opened " << c.deviceOpened << " checked " << c.mediaChecked << " error "
            << c.checkError << " type " << c.driveType;
    }
}

TEST(DriveRule, LettersFromBits) {
    for (int bit = 0; bit < 32; ++bit) {
        EXPECT_EQ(DriveLetterOfBit(bit), static_cast<wchar_t>(L'A' + bit));
    }
    EXPECT_EQ(DriveLetterOfBit(2), L'C');
    EXPECT_EQ(DriveLetterOfBit(25), L'Z');
}

struct ProgressCase {
    int64_t walked;
    int64_t used;
    int position;
};

const ProgressCase ProgressCases[] = {
    {0, 1000, 0},
    {999, 1000, 99},
    {1000, 1000, 100},
    {1001, 1000, 100},
    {500, 1000, 50},
    {1, 3, 33},
    {2, 3, 66},
    {0, 0, 100},
    {5, 0, 100},
    {5, -1, 100},
    {INT64_MAX, INT64_MAX, 100},
    {INT64_MAX - 1, INT64_MAX, 99},
    {INT64_MAX / 2, INT64_MAX, 49},
    {INT64_MAX / 100 + 1, INT64_MAX / 100 * 2, 50},
    {1, INT64_MAX, 0},
    {(int64_t{1} << 32) * 3, (int64_t{1} << 32) * 4, 75},
};

TEST(ProgressRule, Position) {
    for (const ProgressCase& c : ProgressCases) {
        EXPECT_EQ(ProgressPosition(c.walked, c.used), c.position)
            << std::hex << "walked 0x" << c.walked << " used 0x" << c.used;
    }
}

TEST(ProgressRule, FileSizes) {
    EXPECT_EQ(AddFileSize(0, 0, 1000), 1000);
    EXPECT_EQ(AddFileSize(10, 1, 0), 10 + (int64_t{1} << 32)); // a 4 GiB file
    EXPECT_EQ(AddFileSize(0, 0xFFFFFFFFu, 0xFFFFFFFFu), INT64_MAX);
    EXPECT_EQ(AddFileSize(INT64_MAX - 1, 0, 1), INT64_MAX);
    EXPECT_EQ(AddFileSize(INT64_MAX - 1, 0, 2), INT64_MAX);
    EXPECT_EQ(AddFileSize(0, 0x7FFFFFFFu, 0xFFFFFFFFu), INT64_MAX);
}

} // namespace
