// rescindo-cli restore on real folders of fresh drives: its journal never overwrites a file and
// must exist before anything is renamed, its exit codes, and the deepest tree the walk holds.
#include "tests/cli/cli_driver.h"
#include "tests/cli/command_trees.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>

namespace {

class RestoreCommand : public CleanDrives {};

TEST_F(RestoreCommand, JournalThatCannotBeMadeStopsBeforeAnyRename) {
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

TEST_F(RestoreCommand, ExitCodes) {
    MakeFile(D + L"\\x a-b ");
    EXPECT_EQ(RunCli({L"scan", L"D:\\"}).exitCode, 0);
    EXPECT_EQ(RunCli({L"restore", L"D:\\"}).exitCode, 0);
    EXPECT_EQ(RunCli({L"restore", L"D:\\"}).exitCode, 0); // nothing found
    MakeFile(D + L"\\x c-d ");
    EXPECT_EQ(RunCli({L"restore", L"D:\\"}).exitCode, 1); // name taken
}

TEST_F(RestoreCommand, DeepestTreeIsWalked) {
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
