// rescindo-cli scan on real folders of fresh drives: it changes nothing, and says exactly what
// restore then does, in JSON and for people.
#include "tests/cli/cli_driver.h"
#include "tests/cli/command_trees.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>

namespace {

class ScanCommand : public CleanDrives {};

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

TEST_F(ScanCommand, ListsExactlyWhatRestoreThenDoes) {
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

// The entry lines of a scan and of the restore after it, the foreseen rename written as made.
void ExpectScanForesawRestore(const std::vector<std::wstring>& options, const std::wstring& path) {
    std::vector<std::wstring> scanArguments = {L"scan", L"--json"};
    std::vector<std::wstring> restoreArguments = {L"restore", L"--json"};
    scanArguments.insert(scanArguments.end(), options.begin(), options.end());
    restoreArguments.insert(restoreArguments.end(), options.begin(), options.end());
    scanArguments.push_back(path);
    restoreArguments.push_back(path);
    CliResult scan = RunCli(scanArguments);
    CliResult restore = RunCli(restoreArguments);
    std::vector<Json> scanned = JsonLines(scan.out);
    std::vector<Json> restored = JsonLines(restore.out);
    ASSERT_EQ(scanned.size(), restored.size()) << scan.out << "\n----\n" << restore.out;
    for (size_t i = 0; i + 1 < scanned.size(); ++i) {
        Json predicted = scanned[i];
        if (predicted["outcome"] == "would_restore") {
            predicted["outcome"] = "restored";
        }
        EXPECT_EQ(predicted, restored[i]) << i << "\n" << scan.out << "\n----\n" << restore.out;
    }
    EXPECT_EQ(scan.exitCode, restore.exitCode);
}

// Whether a restored name is taken is foreseen as the file system finds names: another entry's
// name but for case, its short name, a name of another script that its case rules may take for an
// ASCII one, a name with trailing dots, names of copies; and a name no entry bears is free.
TEST_F(ScanCommand, ForeseesNamesTakenAsTheFileSystemFindsThem) {
    ASSERT_TRUE(MakeFolder(D + L"\\names"));
    for (const wchar_t* name : {L"a long file name.txt", L"Readme.TXT", L"README.txt q-r ",
                                L"f\x0131le.txt", L"FILE.TXT a-b ", L"dots...", L"dots a-b ",
                                L"file1.txt", L"file2.txt a-b ", L"Work", L"work 1-2 "}) {
        MakeFile(D + L"\\names\\" + name);
    }
    WIN32_FIND_DATAW found;
    HANDLE listing = FindFirstFileW((D + L"\\names\\a long file name.txt").c_str(), &found);
    ASSERT_NE(listing, INVALID_HANDLE_VALUE);
    FindClose(listing);
    if (found.cAlternateFileName[0] != L'\0') {
        MakeFile(D + L"\\names\\" + found.cAlternateFileName + L" a-b ");
    }
    ExpectScanForesawRestore({}, L"D:\\names");
    EXPECT_EQ(ReadWhole(D + L"\\names\\file2.txt"), Utf8(D + L"\\names\\file2.txt a-b "));
    EXPECT_TRUE(Exists(D + L"\\names\\README.txt q-r "));
    EXPECT_TRUE(Exists(D + L"\\names\\work 1-2 "));
    if (found.cAlternateFileName[0] != L'\0') {
        EXPECT_TRUE(Exists(D + L"\\names\\" + found.cAlternateFileName + L" a-b "));
    }

    ASSERT_TRUE(MakeFolder(D + L"\\copies"));
    for (const wchar_t* name : {L"photo.jpg", L"PHOTO (2).JPG", L"photo.jpg a-b ",
                                L"photo.jpg c-d ", L"Album", L"album (3)", L"album 1-2 "}) {
        MakeFile(D + L"\\copies\\" + name);
    }
    ExpectScanForesawRestore({L"--keep-both"}, L"D:\\copies");
    EXPECT_TRUE(Exists(D + L"\\copies\\photo (3).jpg"));
    EXPECT_TRUE(Exists(D + L"\\copies\\photo (4).jpg"));
    EXPECT_TRUE(Exists(D + L"\\copies\\album (2)"));
}

TEST_F(ScanCommand, ScanAndRestoreReadableByPeople) {
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

} // namespace
