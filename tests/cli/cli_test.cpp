// rescindo-cli.exe as an administrator's script runs it: on real folders of fresh drives D:, E:
// and F:, its output and exit code read back, every --json line through a JSON parser.
#include "tests/cli/cli_driver.h"
#include "tests/support/test_window.h"
#include <gtest/gtest.h>
#include <cstdio>

namespace {

using Json = nlohmann::json;
using Tree = std::map<std::wstring, std::string>;

const std::wstring D = L"\\\\?\\D:";
const std::wstring E = L"\\\\?\\E:";

class Cli : public ::testing::Test {
  protected:
    void SetUp() override { ClearTestDrives(); }
    void TearDown() override { ClearTestDrives(); }
};

void MakeFile(const std::wstring& path) {
    // Each file holds its own path, so a lost or swapped file shows in its contents.
    ASSERT_TRUE(WriteWhole(path, Shown(path))) << Shown(path);
}

// Folders of 200 characters below D:\long until the path passes 700 characters.
std::wstring MakeLongFolder() {
    std::wstring folder = D + L"\\long";
    EXPECT_TRUE(MakeFolder(folder));
    while (folder.size() < 700) {
        folder += L"\\" + std::wstring(200, L'p');
        EXPECT_TRUE(MakeFolder(folder));
    }
    return folder;
}

// A name of exactly the length that makes folder\name as long as length.
std::wstring NameForLength(const std::wstring& folder, size_t length, const std::wstring& tail) {
    return std::wstring(length - folder.size() - 1 - tail.size(), L'n') + tail;
}

// Collisions, a name freed by an earlier rename, dot names, Unicode, nested damaged folders, a
// damaged folder whose name is taken, and paths at and past the limit.
void MakeMixedTree() {
    for (const wchar_t* name :
         {L"same.txt a-b ", L"same.txt c-d ", L"report.doc", L"report.doc xx-yy ", L"Kept.txt",
          L"KEPT.TXT q-r ", L"x 1-2 ", L"x 1-2  3-4 ", L" a-b ", L". a-b ", L".. a-b ",
          L"\x041e\x0442\x0447\x0451\x0442.txt \x0430\x0431-\x0432\x0433 ",
          L"\x5199\x771f 1.jpg 7-8 ", L"\xD83D\xDE00 smile.png e-f ", L"plain.txt"}) {
        MakeFile(D + L"\\" + name);
    }
    ASSERT_TRUE(MakeFolder(D + L"\\p a-b "));
    ASSERT_TRUE(MakeFolder(D + L"\\p a-b \\q c-d "));
    MakeFile(D + L"\\p a-b \\q c-d \\f e-f ");
    MakeFile(D + L"\\p a-b \\g.txt 1-2 ");
    ASSERT_TRUE(MakeFolder(D + L"\\Folder"));
    ASSERT_TRUE(MakeFolder(D + L"\\folder 1-2 "));
    MakeFile(D + L"\\folder 1-2 \\in.txt 3-4 ");
    std::wstring folder = MakeLongFolder();
    MakeFile(folder + L"\\" + NameForLength(folder, 1023, L"fits 1-2 "));
    std::wstring inner = folder + L"\\" + NameForLength(folder, 1014, L"q");
    ASSERT_TRUE(MakeFolder(inner));
    MakeFile(inner + L"\\toolong x-y ");
    // 1024 characters: no room for the terminator in the walk's buffers.
    ASSERT_TRUE(MakeFolder(folder + L"\\" + NameForLength(folder, 1024, L"r")));
}

std::string Utf8(const std::wstring& text) {
    return Shown(text);
}

TEST_F(Cli, ScanListsExactlyWhatRestoreThenDoes) {
    MakeMixedTree();
    Tree before = Snapshot(D);
    CliResult scan = RunCli({L"scan", L"--json", L"D:\\"});
    EXPECT_EQ(Snapshot(D), before) << "scan changed the tree";
    CliResult restore = RunCli({L"restore", L"--json", L"D:\\"});
    EXPECT_EQ(scan.exitCode, 1);
    EXPECT_EQ(restore.exitCode, 1);
    EXPECT_EQ(scan.err, "");
    EXPECT_EQ(restore.err, "");

    std::vector<Json> scanned = JsonLines(scan.out);
    std::vector<Json> restored = JsonLines(restore.out);
    ASSERT_EQ(scanned.size(), restored.size()) << scan.out << "\n----\n" << restore.out;
    ASSERT_FALSE(scanned.empty());
    for (size_t i = 0; i + 1 < scanned.size(); ++i) {
        Json predicted = scanned[i];
        if (predicted["outcome"] == "would_restore") {
            predicted["outcome"] = "restored";
        }
        EXPECT_EQ(predicted, restored[i]) << i;
    }
    Json scanSummary = scanned.back();
    Json restoreSummary = restored.back();
    EXPECT_EQ(scanSummary["kind"], "summary");
    EXPECT_EQ(scanSummary["would_restore"], restoreSummary["restored"]);
    for (const char* count : {"folders", "files", "damaged", "left", "folders_not_searched"}) {
        EXPECT_EQ(scanSummary[count], restoreSummary[count]) << count;
    }
    EXPECT_EQ(restoreSummary["damaged"], 20);
    EXPECT_EQ(restoreSummary["restored"], 11);
    EXPECT_EQ(restoreSummary["left"], 9);
    EXPECT_EQ(restoreSummary["folders_not_searched"], 1);
    EXPECT_EQ(restoreSummary["scopes"], Json::array({"D:\\"}));
    EXPECT_EQ(restoreSummary["exit_code"], 1);

    std::map<std::string, std::string> outcomes;
    std::map<std::string, Json> entries;
    for (const Json& entry : restored) {
        if (entry["kind"] != "summary") {
            outcomes[entry["path"]] = entry["outcome"];
            entries[entry["path"]] = entry;
        }
    }
    EXPECT_EQ(outcomes["D:\\same.txt a-b "], "restored");
    EXPECT_EQ(outcomes["D:\\same.txt c-d "], "name_taken");
    EXPECT_EQ(outcomes["D:\\report.doc xx-yy "], "name_taken");
    EXPECT_EQ(outcomes["D:\\KEPT.TXT q-r "], "name_taken");
    EXPECT_EQ(outcomes["D:\\x 1-2 "], "restored");
    // Damaged twice: its first suffix goes, the name its second cut would give is taken.
    EXPECT_EQ(outcomes["D:\\x 1-2  3-4 "], "name_taken");
    EXPECT_EQ(entries["D:\\x 1-2  3-4 "]["left_as"], "D:\\x 1-2 ");
    EXPECT_EQ(entries["D:\\x 1-2  3-4 "]["suffixes"], 1);
    EXPECT_EQ(outcomes["D:\\ a-b "], "empty_name");
    EXPECT_EQ(outcomes["D:\\. a-b "], "empty_name");
    EXPECT_EQ(outcomes["D:\\.. a-b "], "empty_name");
    EXPECT_EQ(outcomes["D:\\folder 1-2 "], "name_taken");
    EXPECT_EQ(outcomes["D:\\folder 1-2 \\in.txt 3-4 "], "restored");
    EXPECT_EQ(outcomes["D:\\p a-b \\q c-d \\f e-f "], "restored");
    EXPECT_EQ(outcomes["D:\\p a-b "], "restored");

    // What the lines say is what the tree shows.
    EXPECT_EQ(ReadWhole(D + L"\\same.txt"), Utf8(D + L"\\same.txt a-b "));
    EXPECT_EQ(ReadWhole(D + L"\\same.txt c-d "), Utf8(D + L"\\same.txt c-d "));
    EXPECT_EQ(ReadWhole(D + L"\\x"), Utf8(D + L"\\x 1-2 "));
    EXPECT_EQ(ReadWhole(D + L"\\x 1-2 "), Utf8(D + L"\\x 1-2  3-4 "));
    EXPECT_EQ(ReadWhole(D + L"\\p\\q\\f"), Utf8(D + L"\\p a-b \\q c-d \\f e-f "));
    EXPECT_EQ(ReadWhole(D + L"\\folder 1-2 \\in.txt"), Utf8(D + L"\\folder 1-2 \\in.txt 3-4 "));
    EXPECT_EQ(ReadWhole(D + L"\\\x041e\x0442\x0447\x0451\x0442.txt"),
              Utf8(D + L"\\\x041e\x0442\x0447\x0451\x0442.txt \x0430\x0431-\x0432\x0433 "));
    EXPECT_TRUE(Exists(D + L"\\ a-b "));
    // "x 1-2  3-4 " was left as "x 1-2 ", which still carries a suffix, but the name it would get
    // is taken: a second run restores nothing more.
    CliResult again = RunCli({L"scan", L"--json", L"D:\\"});
    Json summary = JsonLines(again.out).back();
    EXPECT_EQ(summary["would_restore"], 0) << again.out;
    EXPECT_EQ(summary["left"], 9) << again.out;
}

TEST_F(Cli, ScanAndRestoreReadableByPeople) {
    MakeFile(D + L"\\report.doc xx-yy ");
    MakeFile(D + L"\\report.doc");
    MakeFile(D + L"\\\x041e\x0442\x0447\x0451\x0442.txt a-b ");
    CliResult scan = RunCli({L"scan", L"D:"});
    EXPECT_EQ(scan.exitCode, 1);
    EXPECT_EQ(Lines(scan.out),
              (std::vector<std::string>{
                  "name taken    \"D:\\report.doc xx-yy \" -> \"report.doc\" (an entry of that "
                  "name exists)",
                  "would restore \"D:\\" + Utf8(L"\x041e\x0442\x0447\x0451\x0442.txt a-b ") +
                      "\" -> \"" + Utf8(L"\x041e\x0442\x0447\x0451\x0442.txt") + "\"",
                  "Scanned D:\\ (1 folder, 3 files): 2 damaged entries, 1 would be restored, 1 "
                  "would be left."}));
    CliResult quietScan = RunCli({L"scan", L"--quiet", L"D:"});
    EXPECT_EQ(quietScan.exitCode, 1);
    EXPECT_EQ(Lines(quietScan.out),
              (std::vector<std::string>{
                  "name taken    \"D:\\report.doc xx-yy \" -> \"report.doc\" (an entry of that "
                  "name exists)",
                  "Scanned D:\\ (1 folder, 3 files): 2 damaged entries, 1 would be restored, 1 "
                  "would be left."}));
    CliResult quiet = RunCli({L"restore", L"--quiet", L"D:"});
    EXPECT_EQ(quiet.exitCode, 1);
    EXPECT_EQ(Lines(quiet.out),
              (std::vector<std::string>{
                  "name taken    \"D:\\report.doc xx-yy \" -> \"report.doc\" (an entry of that "
                  "name exists)",
                  "Searched D:\\ (1 folder, 3 files): 2 damaged entries, 1 restored, 1 left."}));
    EXPECT_EQ(quiet.err, "");
}

// Names, folders and contents: a tree to restore and give back.
void MakeJournalTree() {
    ASSERT_TRUE(MakeFolder(D + L"\\photos ab-cd "));
    ASSERT_TRUE(MakeFolder(D + L"\\photos ab-cd \\2024 1-2 "));
    for (const wchar_t* name :
         {L"\\photos ab-cd \\a.jpg ab-cd ", L"\\photos ab-cd \\2024 1-2 \\b.jpg 3-4 ",
          L"\\photos ab-cd \\keep.jpg", L"\\notes  x-y ", L"\\report.doc id-7F3A ",
          L"\\\x043e\x0442\x0447\x0451\x0442.doc \x0430\x0431-\x0432\x0433 ",
          L"\\\xD83D\xDE00 smile.png e-f ", L"\\zz.txt 5-6 "}) {
        MakeFile(D + name);
    }
}

TEST_F(Cli, RestoreWithJournalThenUndoGivesEveryNameBack) {
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

TEST_F(Cli, UndoLeavesNamesTakenInBetweenAndSaysWhy) {
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

TEST_F(Cli, TruncatedLastJournalLineIsReportedTheRestUndone) {
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

TEST_F(Cli, MalformedJournalRenamesNothingAndNamesTheLine) {
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

// D:\a and D:\b each hold a damaged file; E:\ one more.
void MakeScopeTree() {
    ASSERT_TRUE(MakeFolder(D + L"\\a"));
    ASSERT_TRUE(MakeFolder(D + L"\\b"));
    MakeFile(D + L"\\a\\x a-b ");
    MakeFile(D + L"\\b\\y a-b ");
    MakeFile(E + L"\\z a-b ");
}

TEST_F(Cli, ScopeOneFolderOfADrive) {
    MakeScopeTree();
    // A relative path, from the program's current folder D:\.
    CliResult restore = RunCli({L"restore", L"--json", L"a"}, L"D:\\");
    EXPECT_EQ(restore.exitCode, 0);
    std::vector<Json> lines = JsonLines(restore.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]["path"], "D:\\a\\x a-b ");
    EXPECT_EQ(lines[1]["scopes"], Json::array({"D:\\a"}));
    EXPECT_TRUE(Exists(D + L"\\a\\x"));
    EXPECT_TRUE(Exists(D + L"\\b\\y a-b "));
    EXPECT_TRUE(Exists(E + L"\\z a-b "));
    // The same folder written other ways, twice, and inside the drive given too: walked once.
    CliResult scan = RunCli({L"scan", L"--json", L"d:/b/", L"D:", L"D:\\b", L"D:\\"});
    lines = JsonLines(scan.out);
    ASSERT_EQ(lines.size(), 2u) << scan.out;
    EXPECT_EQ(lines[0]["path"], "D:\\b\\y a-b ");
    EXPECT_EQ(lines[1]["scopes"], Json::array({"D:\\"}));
}

TEST_F(Cli, ScopeTwoPaths) {
    MakeScopeTree();
    CliResult restore = RunCli({L"restore", L"E:\\", L"D:\\b\\"});
    EXPECT_EQ(restore.exitCode, 0);
    EXPECT_TRUE(Exists(E + L"\\z"));
    EXPECT_TRUE(Exists(D + L"\\b\\y"));
    EXPECT_TRUE(Exists(D + L"\\a\\x a-b "));
    EXPECT_EQ(Lines(restore.out).back(),
              "Searched E:\\, D:\\b (2 folders, 2 files): 2 damaged entries, 2 restored, 0 left.");
}

TEST_F(Cli, ScopeThatIsNoFolderWalksNothing) {
    MakeScopeTree();
    MakeFile(D + L"\\a\\plain.txt");
    Tree before = Snapshot(D);
    const struct {
        std::vector<std::wstring> arguments;
        const char* said;
    } cases[] = {
        {{L"restore", L"D:\\a", L"D:\\missing"}, "rescindo-cli: no such folder: D:\\missing\r\n"},
        {{L"restore", L"D:\\a\\plain.txt"},
         "rescindo-cli: a file, not a folder: D:\\a\\plain.txt\r\n"},
        {{L"scan", L"Q:\\"}, "rescindo-cli: no such folder: Q:\\\r\n"},
    };
    for (const auto& c : cases) {
        CliResult result = RunCli(c.arguments);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.err, c.said);
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(Snapshot(D), before);
}

TEST_F(Cli, WithoutPathEveryDriveIsSearched) {
    MakeScopeTree();
    MakeFile(L"\\\\?\\F:\\w a-b ");
    CliResult scan = RunCli({L"scan", L"--json"});
    EXPECT_EQ(scan.exitCode, 0) << scan.out;
    std::vector<Json> lines = JsonLines(scan.out);
    std::vector<std::string> paths;
    for (const Json& entry : OfKind(lines, "entry")) {
        paths.push_back(entry["path"]);
    }
    EXPECT_EQ(paths, (std::vector<std::string>{"D:\\a\\x a-b ", "D:\\b\\y a-b ", "E:\\z a-b ",
                                               "F:\\w a-b "}));
    Json scopes = lines.back()["scopes"];
    EXPECT_EQ(scopes[0], "C:\\");
    EXPECT_NE(std::find(scopes.begin(), scopes.end(), "F:\\"), scopes.end());
}

TEST_F(Cli, JournalThatCannotBeMadeStopsBeforeAnyRename) {
    MakeScopeTree();
    ASSERT_TRUE(WriteWhole(E + L"\\old journal.txt", "an earlier journal"));
    Tree before = Snapshot(D);
    CliResult exists = RunCli({L"restore", L"--journal", L"E:\\old journal.txt", L"D:\\"});
    EXPECT_EQ(exists.exitCode, 3);
    EXPECT_NE(exists.err.find("it exists already"), std::string::npos) << exists.err;
    EXPECT_EQ(ReadWhole(E + L"\\old journal.txt"), "an earlier journal");
    CliResult noFolder = RunCli({L"restore", L"--journal=E:\\no\\j.txt", L"--json", L"D:\\"});
    EXPECT_EQ(noFolder.exitCode, 3);
    std::vector<Json> lines = JsonLines(noFolder.out);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["kind"], "error");
    EXPECT_EQ(Snapshot(D), before);
}

TEST_F(Cli, ExitCodes) {
    MakeFile(D + L"\\x a-b ");
    EXPECT_EQ(RunCli({L"scan", L"D:\\"}).exitCode, 0);
    EXPECT_EQ(RunCli({L"restore", L"D:\\"}).exitCode, 0);
    EXPECT_EQ(RunCli({L"restore", L"D:\\"}).exitCode, 0); // nothing found
    MakeFile(D + L"\\x c-d ");
    EXPECT_EQ(RunCli({L"restore", L"D:\\"}).exitCode, 1); // name taken
}

TEST_F(Cli, BadUsageIsOneLineAndTheUsage) {
    const struct {
        std::vector<std::wstring> arguments;
        const char* reason;
    } cases[] = {
        {{}, "no command given"},
        {{L"fix"}, "unknown command fix"},
        {{L"--json", L"scan"}, "a command must come first, not the option --json"},
        {{L"scan", L"--journal", L"j"}, "unknown option --journal for scan"},
        {{L"restore", L"-q"}, "unknown option -q for restore"},
        {{L"restore", L"--journal"}, "--journal needs a value"},
        {{L"restore", L"--journal", L"a", L"--journal", L"b"}, "--journal is given twice"},
        {{L"restore", L"--json=yes"}, "--json takes no value"},
        {{L"undo"}, "undo needs one JOURNAL"},
        {{L"undo", L"a", L"b"}, "undo takes one JOURNAL; extra argument: b"},
        {{L"--version", L"scan"}, "--version takes nothing else"},
    };
    for (const auto& c : cases) {
        CliResult result = RunCli(c.arguments);
        EXPECT_EQ(result.exitCode, 2) << c.reason;
        std::vector<std::string> lines = Lines(result.err);
        ASSERT_EQ(lines.size(), 8u) << result.err;
        EXPECT_EQ(lines[0], std::string("rescindo-cli: ") + c.reason);
        EXPECT_EQ(lines[1], "Usage:");
        EXPECT_EQ(result.out, "");
    }
}

TEST_F(Cli, HelpFitsAScreenAndDocumentsTheExitCodes) {
    for (const wchar_t* asked : {L"--help", L"-h", L"/?"}) {
        CliResult help = RunCli({L"restore", asked});
        EXPECT_EQ(help.exitCode, 0);
        std::vector<std::string> lines = Lines(help.out);
        EXPECT_LE(lines.size(), 24u);
        for (const std::string& line : lines) {
            EXPECT_LT(line.size(), 80u) << line;
        }
        for (const char* needed :
             {"rescindo-cli scan    [OPTION...] [PATH...]",
              "rescindo-cli restore [--journal FILE] [OPTION...] [PATH...]",
              "rescindo-cli undo    JOURNAL [--json] [--quiet]",
              "rescindo-cli decrypt [KEY OPTION] [OPTION...] PATH...", "--keep-both",
              "--follow-links", "key options: rescindo-cli decrypt --help", "Exit codes:", "  0  ",
              "  1  ", "  2  ", "  3  the journal could not be written"}) {
            EXPECT_NE(help.out.find(needed), std::string::npos) << needed;
        }
    }
    CliResult version = RunCli({L"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "rescindo-cli 1.0.0\r\n");
}

TEST_F(Cli, DeepestTreeIsWalked) {
    // 505 folders "d" and a damaged file whose path is 1023 characters, the most the walk
    // holds: about 2.4 MiB of the walk's stack, more than a main thread's 1 MiB.
    std::wstring folder = D;
    for (int level = 1; level <= 505; ++level) {
        folder += L"\\d";
        ASSERT_TRUE(MakeFolder(folder)) << level;
    }
    ASSERT_EQ(folder.size() + 7, 1023u);
    ASSERT_TRUE(WriteWhole(folder + L"\\a b-c ", "deep"));
    CliResult restore = RunCli({L"restore", L"--json", L"D:"});
    EXPECT_EQ(restore.exitCode, 0) << restore.err;
    std::vector<Json> lines = JsonLines(restore.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1]["folders"], 506);
    EXPECT_EQ(lines[1]["restored"], 1);
    EXPECT_EQ(ReadWhole(folder + L"\\a"), "deep");
    DeleteFileW((folder + L"\\a").c_str());
    while (folder.size() > 6) {
        RemoveDirectoryW(folder.c_str());
        folder.resize(folder.size() - 2);
    }
}

} // namespace
