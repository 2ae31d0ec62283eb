// The journal reader: what it accepts, and every kind of line it refuses with its line number.
#include "cli/journal_format.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>
#include <string>

namespace {

const std::string Header = "rescindo-cli journal 1; written by rescindo-cli 1.0.0\r\n";

JournalCheck Check(const std::string& journal) {
    return CheckJournal(journal.data(), journal.size());
}

TEST(Journal, WrittenLinesReadBackExactly) {
    const std::wstring renames[][2] = {
        {L"\\\\?\\D:\\photos ab-cd \\a.jpg ab-cd ", L"\\\\?\\D:\\photos ab-cd \\a.jpg"},
        {L"\\\\?\\D:\\photos ab-cd ", L"\\\\?\\D:\\photos"},
        {L"\\\\?\\D:\\notes  x-y ", L"\\\\?\\D:\\notes "},
        {L"\\\\?\\UNC\\server\\share\\r.doc 1-2 ", L"\\\\?\\UNC\\server\\share\\r.doc"},
        {Units({'\\', '\\', '?', '\\', 'e', ':', '\\', 0x43E, 0xD800, ' ', 'a', '-', 'b', ' '}),
         Units({'\\', '\\', '?', '\\', 'e', ':', '\\', 0x43E, 0xD800})},
    };
    std::string journal = JournalHeaderLine("1.0.0");
    EXPECT_EQ(journal, Header);
    for (const auto& rename : renames) {
        journal += JournalRenameLine(rename[0], rename[1]);
    }
    JournalCheck check = Check(journal);
    ASSERT_EQ(check.verdict, JournalReadable) << check.badLineNumber << " " << check.badReason;
    EXPECT_EQ(check.truncatedNumber, 0u);
    ASSERT_EQ(check.renames.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        std::wstring oldPath;
        std::wstring newPath;
        ReadJournalRename(journal.data(), check.renames[i], &oldPath, &newPath);
        EXPECT_EQ(check.renames[i].number, i + 2);
        EXPECT_TRUE(oldPath == renames[i][0]) << i;
        EXPECT_TRUE(newPath == renames[i][1]) << i;
    }
}

TEST(Journal, HeaderOnlyByteOrderMarkAndBareLineFeeds) {
    EXPECT_EQ(Check(Header).verdict, JournalReadable);
    EXPECT_TRUE(Check(Header).renames.empty());
    JournalCheck check = Check("\xEF\xBB\xBFrescindo-cli journal 1; by hand\n"
                               "\\\\?\\D:\\a b-c \t\\\\?\\D:\\a\n");
    ASSERT_EQ(check.verdict, JournalReadable);
    ASSERT_EQ(check.renames.size(), 1u);
}

TEST(Journal, LastLineWithoutLineEndIsSkippedAndNamed) {
    std::string journal = Header + "\\\\?\\D:\\a x-y \t\\\\?\\D:\\a\r\n" +
                          "\\\\?\\D:\\b x-y \t\\\\?\\D:\\b\r\n" + "\\\\?\\D:\\c x-y \t\\\\?\\D:";
    JournalCheck check = Check(journal);
    ASSERT_EQ(check.verdict, JournalReadable);
    EXPECT_EQ(check.truncatedNumber, 4u);
    EXPECT_EQ(check.renames.size(), 2u);
    // Cut inside the line end, and cut into garbage: both only the last line.
    EXPECT_EQ(Check(journal + "\\c\r").truncatedNumber, 4u);
    EXPECT_EQ(Check(journal + "\xff").truncatedNumber, 4u);
    EXPECT_EQ(Check(journal + "\\c\r").renames.size(), 2u);
}

TEST(Journal, NotAJournal) {
    EXPECT_EQ(Check("").verdict, JournalEmpty);
    const char* headers[] = {
        "rescindo-cli journal 1; written by rescindo-cli 1.0.0", // no line end
        "rescindo-cli journal 2; from the future\r\n",
        "\\\\?\\D:\\a b-c \t\\\\?\\D:\\a b\r\n",
        "\r\n",
        "rescindo-cli journal 1; \xff\r\n",
        "\xEF\xBB\xBF", // a byte-order mark alone
    };
    for (const char* header : headers) {
        JournalCheck check = Check(header);
        EXPECT_EQ(check.verdict, JournalBadHeader) << header;
        EXPECT_EQ(check.badLineNumber, 1u);
        EXPECT_TRUE(check.renames.empty());
    }
}

// Each is line 3, after a good line 2: the whole journal is refused, and nothing is kept of it.
TEST(Journal, EveryKindOfBadLineIsRefusedByNumber) {
    const std::string good = "\\\\?\\D:\\a x-y \t\\\\?\\D:\\a\r\n";
    const std::string longName(1020, 'n');
    const char* const lines[] = {
        "",                                                // empty
        "\\\\?\\D:\\b x-y \\\\?\\D:\\b",                   // no tab
        "\\\\?\\D:\\b x-y \t\\\\?\\D:\\b\t",               // two tabs
        "\\\\?\\D:\\b\xff x-y \t\\\\?\\D:\\b\xff",         // not UTF-8
        "\\\\?\\D:\\b\xc0\x80 x-y \t\\\\?\\D:\\b\xc0\x80", // overlong
        "D:\\b x-y \tD:\\b",                               // not long paths
        "\\\\?\\D:\\b x-y \tb",                            // relative new path
        "\\\\?\\D:\\b x-y \t\\\\?\\E:\\b",                 // another drive
        "\\\\?\\D:\\b x-y \t\\\\?\\D:\\sub\\b",            // another folder
        "\\\\?\\D:\\b x-y \t\\\\?\\D:\\c",                 // another name
        "\\\\?\\D:\\b x-y \t\\\\?\\D:\\b ",                // suffix not cut whole
        "\\\\?\\D:\\b x-y \t\\\\?\\D:\\B",                 // case differs
        "\\\\?\\D:\\b xy \t\\\\?\\D:\\b",                  // no hyphen: no suffix
        "\\\\?\\D:\\b x-y\t\\\\?\\D:\\b x-y",              // no final space
        "\\\\?\\D:\\..\\b x-y \t\\\\?\\D:\\..\\b",         // a ".." part
        "\\\\?\\D:\\.\\b x-y \t\\\\?\\D:\\.\\b",           // a "." part
        "\\\\?\\D:\\\\b x-y \t\\\\?\\D:\\\\b",             // an empty part
        "\\\\?\\D:\\a*\\b x-y \t\\\\?\\D:\\a*\\b",         // a wildcard
        "\\\\?\\D:\\a\x01\\b x-y \t\\\\?\\D:\\a\x01\\b",   // a control character
        "\\\\?\\D:\\b x-y \r\t\\\\?\\D:\\b",               // a carriage return inside
        "\\\\?\\GLOBALROOT\\Device\\b x-y \t\\\\?\\GLOBALROOT\\Device\\b", // no drive
        "\\\\?\\UNC\\server\\b x-y \t\\\\?\\UNC\\server\\b",               // no share
        "\\\\?\\1:\\b x-y \t\\\\?\\1:\\b",                                 // no drive letter
        "\\\\?\\D:\\ a-b \t\\\\?\\D:\\",                                   // the empty name
        "\\\\?\\D:\\.. a-b \t\\\\?\\D:\\..",                               // the name ".."
    };
    for (const char* line : lines) {
        JournalCheck check = Check(Header + good + line + "\r\n" + good);
        EXPECT_EQ(check.verdict, JournalBadLine) << line;
        EXPECT_EQ(check.badLineNumber, 3u) << line;
        EXPECT_NE(check.badReason, nullptr);
        EXPECT_TRUE(check.renames.empty()) << line;
    }
    // Paths up to the walk's 1023 characters, and no longer.
    std::string fits = "\\\\?\\D:\\" + longName.substr(0, 1023 - 7 - 5) + " x-y ";
    ASSERT_EQ(fits.size(), 1023u);
    std::string cut = fits.substr(0, fits.size() - 5);
    EXPECT_EQ(Check(Header + fits + "\t" + cut + "\r\n").verdict, JournalReadable);
    std::string tooLong = "\\\\?\\D:\\" + longName.substr(0, 1024 - 7 - 5) + " x-y ";
    EXPECT_EQ(
        Check(Header + tooLong + "\t" + tooLong.substr(0, tooLong.size() - 5) + "\r\n").verdict,
        JournalBadLine);
}

} // namespace
