// How the walk's long paths read to people: the dialog's status text, the final name, and the
// path as people write it, cut to fit the buffer it is given.
#include "unlock/path_text.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>
#include <string>

namespace {

TEST(PathText, ShownFromTheDriveLetterOn) {
    const wchar_t* start = L"\\\\?\\C:";
    EXPECT_EQ(ShownPath(start), start + 4);
    const wchar_t* folder = L"\\\\?\\D:\\walk\\a b-c ";
    EXPECT_EQ(ShownPath(folder), folder + 4);
    // Already without the prefix, or with no drive at all: as it is.
    const wchar_t* plain = L"D:\\x";
    EXPECT_EQ(ShownPath(plain), plain);
    const wchar_t* share = L"\\\\?\\UNC\\server\\share";
    EXPECT_EQ(ShownPath(share), share);
    const wchar_t* empty = L"";
    EXPECT_EQ(ShownPath(empty), empty);
    const wchar_t* colonFirst = L":x";
    EXPECT_EQ(ShownPath(colonFirst), colonFirst);
}

TEST(PathText, FinalNameIsWhatFollowsTheLastSeparator) {
    const struct {
        const wchar_t* path;
        const wchar_t* name;
    } cases[] = {
        {L"\\\\?\\D:\\photos ab-cd \\a.jpg ab-cd ", L"a.jpg ab-cd "},
        {L"\\\\?\\D:\\report.pdf(0)", L"report.pdf(0)"},
        {L"report.pdf", L"report.pdf"},
        {L"\\\\?\\D:\\folder\\", L""},
        {L"\\\\?\\D:", L"D:"}, // a drive's start directory: after the prefix's last separator
        {L"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8(FinalNameOf(c.path)), Utf8(c.name)) << Utf8(c.path);
    }
}

struct DisplayCase {
    const wchar_t* longPath;
    const wchar_t* displayed;
};

const DisplayCase Displays[] = {
    {L"\\\\?\\C:\\Users\\Ann", L"C:\\Users\\Ann"},
    {L"\\\\?\\D:\\a b-c ", L"D:\\a b-c "},
    // A drive's start directory is its root: D: alone would mean the current folder there.
    {L"\\\\?\\D:", L"D:\\"},
    {L"\\\\?\\d:", L"d:\\"},
    {L"\\\\?\\UNC\\server\\share", L"\\\\server\\share"},
    {L"\\\\?\\UNC\\server\\share\\x y-z ", L"\\\\server\\share\\x y-z "},
    // Other forms lose the prefix alone; any other text stays as it is.
    {L"\\\\?\\GLOBALROOT\\Device\\x", L"GLOBALROOT\\Device\\x"},
    {L"\\\\?\\", L""},
    {L"D:\\plain", L"D:\\plain"},
    {L"\\\\server\\share", L"\\\\server\\share"},
    {L"", L""},
};

TEST(PathText, DisplayedAsPeopleWriteIt) {
    for (const DisplayCase& c : Displays) {
        wchar_t out[64];
        DisplayedPath(c.longPath, out, 64);
        EXPECT_EQ(Utf8(out), Utf8(c.displayed)) << Utf8(c.longPath);
    }
}

// Every capacity from none to more than enough: the text is the displayed path's start, as much
// as fits with its terminator, and nothing is written past the capacity.
TEST(PathText, DisplayedPathIsCutToFit) {
    for (const DisplayCase& c : Displays) {
        std::wstring whole = c.displayed;
        for (size_t capacity = 0; capacity <= whole.size() + 2; ++capacity) {
            wchar_t out[72];
            for (wchar_t& unit : out) {
                unit = L'#';
            }
            DisplayedPath(c.longPath, out + 4, capacity);
            SCOPED_TRACE(Utf8(c.longPath) + ", capacity " + std::to_string(capacity));
            for (size_t i = 0; i < 4; ++i) {
                EXPECT_EQ(out[i], L'#');
            }
            for (size_t i = 4 + capacity; i < 72; ++i) {
                ASSERT_EQ(out[i], L'#') << "written at " << i - 4;
            }
            if (capacity == 0) {
                continue;
            }
            size_t kept = capacity - 1 < whole.size() ? capacity - 1 : whole.size();
            EXPECT_EQ(Utf8(out + 4), Utf8(whole.substr(0, kept)));
        }
    }
}

} // namespace
