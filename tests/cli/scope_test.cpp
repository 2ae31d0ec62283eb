// The PATHs of scan and restore as people type them: one folder of a drive, relative paths, the
// same folder written several ways, several paths, a PATH that is no folder, and none at all.
#include "tests/cli/cli_driver.h"
#include "tests/cli/command_trees.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>
#include <algorithm>

namespace {

class Scope : public CleanDrives {};

TEST_F(Scope, OneFolderOfADrive) {
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

TEST_F(Scope, TwoPaths) {
    MakeScopeTree();
    CliResult restore = RunCli({L"restore", L"E:\\", L"D:\\b\\"});
    EXPECT_EQ(restore.exitCode, 0);
    EXPECT_TRUE(Exists(E + L"\\z"));
    EXPECT_TRUE(Exists(D + L"\\b\\y"));
    EXPECT_TRUE(Exists(D + L"\\a\\x a-b "));
    EXPECT_EQ(Lines(restore.out).back(),
              "Searched E:\\, D:\\b (2 folders, 2 files): 2 damaged entries, 2 restored, 0 left.");
}

TEST_F(Scope, ThatIsNoFolderWalksNothing) {
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

TEST_F(Scope, WithoutPathEveryDriveIsSearched) {
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

} // namespace
