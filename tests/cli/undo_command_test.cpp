// rescindo-cli undo of real restores' journals: every name given back, names taken in between
// left with the reason, a cut-off last line skipped, and a malformed journal refused whole.
#include "tests/cli/cli_driver.h"
#include "tests/cli/command_trees.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>

namespace {

class UndoCommand : public CleanDrives {};

TEST_F(UndoCommand, RestoreWithJournalThenUndoGivesEveryNameBack) {
    MakeJournalTree();
    // A name that is not valid UTF-16, where the file system takes one.
    std::wstring odd = D + L"\\odd" + std::wstring(1, wchar_t(0xD800)) + L".txt a-b ";
    bool oddName = WriteWhole(odd, "odd") && Snapshot(D).count(odd.substr(6)) == 1;
    if (!oddName) {
        std::printf("this file system takes no unpaired surrogate in a name: not tried\n");
    }
    Tree before = Snapshot(D);
    CliResult restore = RunCli({L"restore", L"--journal", L"E:\\journal.txt", L"D:\\"});
    EXPECT_EQ(restore.exitCode, 0) << restore.out << restore.err;
    EXPECT_EQ(restore.err, "");
    size_t renames = 9 + (oddName ? 1 : 0);
    EXPECT_NE(Snapshot(D), before);
    EXPECT_EQ(ReadWhole(D + L"\\photos\\2024\\b.jpg"),
              Utf8(D + L"\\photos ab-cd \\2024 1-2 \\b.jpg 3-4 "));

    std::vector<std::string> journal = Lines(ReadWhole(E + L"\\journal.txt"));
    ASSERT_EQ(journal.size(), renames + 1);
    EXPECT_EQ(journal[0], "rescindo-cli journal 1; written by rescindo-cli 1.0.0");
    EXPECT_EQ(journal[1], "\\\\?\\D:\\photos ab-cd \\2024 1-2 \\b.jpg 3-4 \t"
                          "\\\\?\\D:\\photos ab-cd \\2024 1-2 \\b.jpg");
    EXPECT_NE(restore.out.find("rescindo-cli undo \"E:\\journal.txt\""), std::string::npos);

    CliResult undo = RunCli({L"undo", L"--json", L"E:\\journal.txt"});
    EXPECT_EQ(undo.exitCode, 0) << undo.out << undo.err;
    EXPECT_EQ(Snapshot(D), before);
    std::vector<Json> lines = JsonLines(undo.out);
    ASSERT_EQ(lines.size(), renames + 1);
    // Newest first: the last rename of the journal is undone first.
    std::string last = journal.back();
    EXPECT_EQ(lines[0]["damaged"], last.substr(4, last.find('\t') - 4));
    EXPECT_EQ(lines[0]["path"], last.substr(last.find('\t') + 5));
    EXPECT_EQ(lines[0]["line"], renames + 1);
    EXPECT_EQ(lines[renames - 1]["path"], "D:\\photos ab-cd \\2024 1-2 \\b.jpg");
    Json summary = lines.back();
    EXPECT_EQ(summary["renames"], renames);
    EXPECT_EQ(summary["undone"], renames);
    EXPECT_EQ(summary["left"], 0);
    EXPECT_EQ(summary["journal"], "E:\\journal.txt");
}

TEST_F(UndoCommand, LeavesNamesTakenInBetweenAndSaysWhy) {
    MakeJournalTree();
    CliResult restore = RunCli({L"restore", L"--quiet", L"--journal", L"E:\\journal.txt", L"D:\\"});
    ASSERT_EQ(restore.exitCode, 0) << restore.out;
    // After the restore: one restored file removed, one damaged name used again.
    ASSERT_TRUE(DeleteFileW((D + L"\\report.doc").c_str()));
    ASSERT_TRUE(WriteWhole(D + L"\\zz.txt 5-6 ", "new"));
    CliResult undo = RunCli({L"undo", L"E:\\journal.txt", L"--json"});
    EXPECT_EQ(undo.exitCode, 1);
    std::vector<Json> lines = JsonLines(undo.out);
    std::map<std::string, std::string> outcomes;
    for (const Json& line : OfKind(lines, "undo")) {
        outcomes[line["path"]] = line["outcome"];
    }
    EXPECT_EQ(outcomes["D:\\report.doc"], "restored_name_gone");
    EXPECT_EQ(outcomes["D:\\zz.txt"], "damaged_name_taken");
    EXPECT_EQ(outcomes["D:\\photos"], "undone");
    EXPECT_EQ(lines.back()["undone"], 7);
    EXPECT_EQ(lines.back()["left"], 2);
    EXPECT_EQ(ReadWhole(D + L"\\zz.txt 5-6 "), "new");
    EXPECT_EQ(ReadWhole(D + L"\\zz.txt"), Utf8(D + L"\\zz.txt 5-6 "));
    EXPECT_EQ(ReadWhole(D + L"\\photos ab-cd \\a.jpg ab-cd "),
              Utf8(D + L"\\photos ab-cd \\a.jpg ab-cd "));
    // The same in words.
    ASSERT_TRUE(DeleteFileW((D + L"\\zz.txt 5-6 ").c_str()));
    ASSERT_TRUE(WriteWhole(E + L"\\one.txt", Lines(ReadWhole(E + L"\\journal.txt"))[0] + "\r\n" +
                                                 "\\\\?\\D:\\zz.txt 5-6 \t\\\\?\\D:\\zz.txt\r\n" +
                                                 "\\\\?\\D:\\report.doc id-7F3A \t"
                                                 "\\\\?\\D:\\report.doc\r\n"));
    CliResult words = RunCli({L"undo", L"E:\\one.txt"});
    EXPECT_EQ(words.exitCode, 1);
    EXPECT_EQ(Lines(words.out),
              (std::vector<std::string>{
                  "left          \"D:\\report.doc\" -> \"report.doc id-7F3A \" (the restored name "
                  "no longer exists)",
                  "undone        \"D:\\zz.txt\" -> \"zz.txt 5-6 \"",
                  "Undid 1 of 2 renames in E:\\one.txt; 1 left."}));
}

TEST_F(UndoCommand, TruncatedLastJournalLineIsReportedTheRestUndone) {
    MakeJournalTree();
    Tree before = Snapshot(D);
    CliResult restore = RunCli({L"restore", L"--journal", L"E:\\journal.txt", L"D:\\"});
    ASSERT_EQ(restore.exitCode, 0);
    std::string journal = ReadWhole(E + L"\\journal.txt");
    std::string last = Lines(journal).back();
    std::wstring lastOld = Wide(last.substr(6, last.find('\t') - 6));
    std::wstring lastNew = Wide(last.substr(last.find('\t') + 7));
    // A crash while the last line was written: its end and its line end never reached the disk.
    ASSERT_TRUE(WriteWhole(E + L"\\journal.txt", journal.substr(0, journal.size() - 6)));
    CliResult undo = RunCli({L"undo", L"--json", L"E:\\journal.txt"});
    EXPECT_EQ(undo.exitCode, 1);
    std::vector<Json> lines = JsonLines(undo.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0]["kind"], "truncated_line");
    EXPECT_EQ(lines[0]["line"], 10);
    EXPECT_EQ(lines.back()["truncated_line"], 10);
    EXPECT_EQ(lines.back()["undone"], 8);
    EXPECT_EQ(lines.back()["left"], 0);
    // Everything is back but the entry of the cut line, which keeps its restored name.
    Tree after = Snapshot(D);
    Tree expected = before;
    ASSERT_EQ(expected.count(lastOld), 1u) << last;
    expected[lastNew] = expected[lastOld];
    expected.erase(lastOld);
    EXPECT_EQ(after, expected);
}

TEST_F(UndoCommand, MalformedJournalRenamesNothingAndNamesTheLine) {
    MakeJournalTree();
    CliResult restore = RunCli({L"restore", L"--journal", L"E:\\journal.txt", L"D:\\"});
    ASSERT_EQ(restore.exitCode, 0);
    std::vector<std::string> journal = Lines(ReadWhole(E + L"\\journal.txt"));
    Tree restored = Snapshot(D);
    auto joined = [&](size_t replaced, const std::string& line) {
        std::string text;
        for (size_t i = 0; i < journal.size(); ++i) {
            text += (i == replaced ? line : journal[i]) + "\r\n";
        }
        return text;
    };
    const struct {
        std::string text;
        const char* said;
    } cases[] = {
        {joined(0, "rescindo journal"), "line 1: not a journal"},
        {joined(3, "\\\\?\\D:\\a.txt x-y  \\\\?\\D:\\a.txt"), "line 4: it is not an old path"},
        {joined(5, "\\\\?\\D:\\zz.txt 5-6 \t\\\\?\\E:\\zz.txt"), "line 6: the new path is not"},
        {joined(2, "\\\\?\\D:\\zz\xff.txt 5-6 \t\\\\?\\D:\\zz\xff.txt"), "line 3: it is not valid"},
        {joined(9, "\\\\?\\D:\\..\\x 5-6 \t\\\\?\\D:\\..\\x"), "line 10: the old path is not"},
        {"", "the file is empty"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteWhole(E + L"\\bad.txt", c.text));
        CliResult undo = RunCli({L"undo", L"E:\\bad.txt"});
        EXPECT_EQ(undo.exitCode, 2) << c.said;
        EXPECT_NE(undo.err.find(c.said), std::string::npos) << undo.err;
        EXPECT_EQ(undo.out, "");
        EXPECT_EQ(Snapshot(D), restored) << c.said;
    }
    CliResult missing = RunCli({L"undo", L"--json", L"E:\\none.txt"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, "rescindo-cli: no such journal: E:\\none.txt\r\n");
    std::vector<Json> error = JsonLines(missing.out);
    ASSERT_EQ(error.size(), 1u);
    EXPECT_EQ(error[0]["kind"], "error");
    EXPECT_EQ(error[0]["exit_code"], 2);
}

} // namespace
