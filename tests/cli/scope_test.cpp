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

namespace {

// A damaged folder pasted from Explorer keeps the space that ends its name: that folder is walked,
// not the one without the space.
TEST_F(Scope, APathKeepsTheSpacesThatEndIt) {
    ASSERT_TRUE(MakeFolder(D + L"\\Work a-1 "));
    MakeFile(D + L"\\Work a-1 \\plan.xlsx b-2 ");
    ASSERT_TRUE(MakeFolder(D + L"\\Work a-1"));
    MakeFile(D + L"\\Work a-1\\other.xlsx c-3 ");
    CliResult scan = RunCli({L"scan", L"--json", L"D:\\Work a-1 "});
    EXPECT_EQ(scan.exitCode, 0) << scan.err;
    std::vector<Json> lines = JsonLines(scan.out);
    ASSERT_EQ(lines.size(), 2u) << scan.out;
    EXPECT_EQ(lines[0]["path"], "D:\\Work a-1 \\plan.xlsx b-2 ");
    EXPECT_EQ(lines[1]["scopes"], Json::array({"D:\\Work a-1 "}));
    CliResult relative = RunCli({L"scan", L"--json", L"Work a-1 "}, L"D:\\");
    EXPECT_EQ(JsonLines(relative.out).back()["scopes"], Json::array({"D:\\Work a-1 "}));
}

// H:\photos\out leads to H:\elsewhere, outside the PATH given: not entered, and reported, unless
// --follow-links; H:\photos\in leads inside it and is entered. Without PATH every link is followed.
TEST_F(Scope, ALinkOutOfThePathsIsNotFollowed) {
    const std::wstring H = L"\\\\?\\H:";
    if (!IsFolder(H + L"\\photos\\out")) {
        GTEST_SKIP() << "drive H: with its links is not prepared";
    }
    ASSERT_TRUE(WriteWhole(H + L"\\elsewhere\\far.txt a-b ", "far"));
    CliResult scoped = RunCli({L"scan", L"--json", L"H:\\photos"});
    CliResult followed = RunCli({L"scan", L"--json", L"--follow-links", L"H:\\photos"});
    CliResult restore = RunCli({L"restore", L"H:\\photos"});
    DeleteFileW((H + L"\\elsewhere\\far.txt a-b ").c_str());
    DeleteFileW((H + L"\\elsewhere\\far.txt").c_str());

    EXPECT_EQ(scoped.exitCode, 0) << scoped.out;
    std::vector<Json> lines = JsonLines(scoped.out);
    EXPECT_TRUE(OfKind(lines, "entry").empty()) << scoped.out;
    std::vector<Json> links = OfKind(lines, "link");
    ASSERT_EQ(links.size(), 1u) << scoped.out;
    EXPECT_EQ(links[0]["outcome"], "not_followed");
    EXPECT_EQ(links[0]["path"], "H:\\photos\\out");
    EXPECT_EQ(links[0]["target"], "H:\\elsewhere");
    EXPECT_EQ(lines.back()["links_not_followed"], 1);

    std::vector<Json> found = OfKind(JsonLines(followed.out), "entry");
    ASSERT_EQ(found.size(), 1u) << followed.out;
    EXPECT_EQ(found[0]["path"], "H:\\photos\\out\\far.txt a-b ");
    EXPECT_EQ(restore.exitCode, 0) << restore.out;
    EXPECT_NE(restore.out.find("not followed  \"H:\\photos\\out\" -> \"H:\\elsewhere\""),
              std::string::npos)
        << restore.out;
}

// A folder whose path leaves no room for its listings (1,017 characters and more, counting the
// long-path prefix the walk puts before it) is reported as not searched, and the command ends with
// 1; one of 1,016 characters is searched. So is a PATH typed at such a length.
TEST_F(Scope, FoldersTooLongToListAreReportedNotSearched) {
    std::wstring base = MakeLongFolder();
    for (size_t length : {1016u, 1017u, 1019u, 1020u, 1023u}) {
        std::wstring folder = base + L"\\" + NameForLength(base, length, L"f");
        ASSERT_EQ(folder.size(), length);
        ASSERT_TRUE(MakeFolder(folder));
        ASSERT_TRUE(WriteWhole(folder + L"\\a b-c ", "inside"));
    }
    CliResult scan = RunCli({L"scan", L"--json", L"D:\\long"});
    EXPECT_EQ(scan.exitCode, 1);
    std::vector<Json> lines = JsonLines(scan.out);
    std::vector<Json> folders = OfKind(lines, "folder");
    std::vector<size_t> notSearched;
    for (const Json& folder : folders) {
        EXPECT_EQ(folder["outcome"], "too_long");
        notSearched.push_back(Wide(folder["path"].get<std::string>()).size() + 4);
    }
    EXPECT_EQ(notSearched, (std::vector<size_t>{1017, 1019, 1020, 1023}));
    std::vector<Json> entries = OfKind(lines, "entry");
    ASSERT_EQ(entries.size(), 1u) << scan.out;
    EXPECT_EQ(Wide(entries[0]["path"].get<std::string>()).size() + 4, 1016u + 7);
    EXPECT_EQ(lines.back()["folders_not_searched"], 4);

    for (size_t length : {1016u, 1017u, 1020u}) {
        std::wstring typed = (base + L"\\" + NameForLength(base, length, L"f")).substr(4);
        CliResult one = RunCli({L"scan", L"--json", typed});
        EXPECT_EQ(one.exitCode, length == 1016 ? 0 : 1) << length << one.err;
        EXPECT_EQ(OfKind(JsonLines(one.out), "folder").size(), length == 1016 ? 0u : 1u) << length;
    }
}

} // namespace
