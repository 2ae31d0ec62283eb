// scan foresees exactly what restore then does, on every kind of tree: each tree of drive T: (made
// by tests/wine/make-links.sh: plain folders, links inside and outside the PATH, loops, a lattice,
// names damaged twice, --keep-both, names that collide) is scanned and then restored, and the two
// lists of entries must agree one for one, in order.
#include "tests/cli/cli_driver.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>

namespace {

using Json = nlohmann::json;

struct TreeCase {
    const wchar_t* folder;
    std::vector<std::wstring> options;
    int damaged; // each damaged entry once, however many paths lead to it
};

const TreeCase Trees[] = {
    {L"plain", {}, 4},   {L"inside", {}, 1},
    {L"outside", {}, 1}, {L"followed", {L"--follow-links"}, 2},
    {L"loop", {}, 2},    {L"lattice", {}, 6},
    {L"twice", {}, 3},   {L"keepboth", {L"--keep-both"}, 3},
    {L"collide", {}, 4},
};

// The lines of a run but the summary, a foreseen rename written as the rename made.
std::vector<Json> Entries(const std::string& out) {
    std::vector<Json> entries;
    for (Json line : JsonLines(out)) {
        if (line["kind"] == "summary") {
            continue;
        }
        if (line["outcome"] == "would_restore") {
            line["outcome"] = "restored";
        }
        entries.push_back(line);
    }
    return entries;
}

TEST(ScanAndRestore, AgreeOnEveryTree) {
    for (const TreeCase& tree : Trees) {
        std::wstring path = std::wstring(L"T:\\") + tree.folder;
        std::vector<std::wstring> scanArguments = {L"scan", L"--json"};
        std::vector<std::wstring> restoreArguments = {L"restore", L"--json"};
        for (const std::wstring& option : tree.options) {
            scanArguments.push_back(option);
            restoreArguments.push_back(option);
        }
        scanArguments.push_back(path);
        restoreArguments.push_back(path);
        CliResult scan = RunCli(scanArguments);
        CliResult restore = RunCli(restoreArguments);
        std::string name = Utf8(tree.folder);
        EXPECT_EQ(scan.err, "") << name;
        EXPECT_EQ(Entries(scan.out), Entries(restore.out)) << name << "\nscan:\n"
                                                           << scan.out << "restore:\n"
                                                           << restore.out;
        Json scanned = Summary(JsonLines(scan.out));
        Json restored = Summary(JsonLines(restore.out));
        EXPECT_EQ(scanned["damaged"], tree.damaged) << name << "\n" << scan.out;
        EXPECT_EQ(scanned["would_restore"], restored["restored"]) << name;
        for (const char* count : {"folders", "files", "damaged", "left", "folders_not_searched"}) {
            EXPECT_EQ(scanned[count], restored[count]) << name << ": " << count;
        }
        EXPECT_EQ(scan.exitCode, restore.exitCode) << name;
    }
}

} // namespace
