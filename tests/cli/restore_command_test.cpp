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
    std::wstring folder = MakeNestedFolders(D, L"d", 505);
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
    EXPECT_TRUE(RemoveNestedFolders(D, L"d", 505));
}

} // namespace

namespace {

// Every entry of folder whose name has no suffix, by name.
std::vector<std::wstring> RestoredNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE listing = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (listing != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name != L"." && name != L".." && name.back() != L' ') {
                names.push_back(name);
            }
        } while (FindNextFileW(listing, &found));
        FindClose(listing);
    }
    return names;
}

// A restore whose standard output is a pipe nobody reads blocks in its printing once the pipe is
// full, and is then killed, as a closed window or a killed process ends it: every entry renamed
// on disk has its line in the journal, so undo gives the whole tree back.
TEST_F(RestoreCommand, EveryRenameMadeIsInTheJournalWhenPrintingBlocks) {
    std::wstring folder = D + L"\\many";
    ASSERT_TRUE(MakeFolder(folder));
    // Lines of about 450 bytes, 180 KB in all: far more than any pipe holds, in few files.
    const int count = 400;
    const std::wstring padding(200, L'x');
    for (int i = 0; i < count; ++i) {
        ASSERT_TRUE(
            WriteWhole(folder + L"\\file" + std::to_wstring(10000 + i) + padding + L".txt a-b ",
                       std::to_string(i)));
    }
    Tree before = Snapshot(D);
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherited, 4096));
    PROCESS_INFORMATION process =
        StartCliWritingTo({L"restore", L"--journal", L"E:\\journal.txt", L"D:\\many"}, writeEnd);
    CloseHandle(writeEnd);
    ASSERT_NE(process.hProcess, nullptr);
    // Blocked: nothing more is renamed for a second and a half while the program still runs.
    size_t renamed = 0;
    for (int quiet = 0; quiet < 6;) {
        Sleep(250);
        size_t now = RestoredNames(folder).size();
        quiet = now == renamed ? quiet + 1 : 0;
        renamed = now;
    }
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the restore ended though nobody read its output";
    TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(readEnd);

    EXPECT_GT(renamed, 0u);
    EXPECT_LT(renamed, static_cast<size_t>(count));
    std::string journal = ReadWhole(E + L"\\journal.txt");
    size_t lines = 0;
    for (const std::wstring& name : RestoredNames(folder)) {
        bool inJournal = journal.find(Utf8(name) + " a-b \t") != std::string::npos;
        EXPECT_TRUE(inJournal) << Utf8(name) << " was renamed but the journal does not hold it";
        lines += inJournal;
    }
    EXPECT_EQ(lines, renamed);
    CliResult undo = RunCli({L"undo", L"E:\\journal.txt"});
    EXPECT_EQ(undo.exitCode, 0) << undo.out;
    EXPECT_EQ(Snapshot(D), before);
}

// A trojan that ran twice left two suffixes: restore cuts both in one run, a rename and a journal
// line each, counts the entry once, and undo gives both back.
TEST_F(RestoreCommand, ANameDamagedTwiceLosesBothSuffixesAndUndoGivesThemBack) {
    MakeFile(D + L"\\report.docx id-1  id-2 ");
    ASSERT_TRUE(MakeFolder(D + L"\\Work a-1  b-2 "));
    MakeFile(D + L"\\Work a-1  b-2 \\plan.xlsx c-3 ");
    Tree before = Snapshot(D);
    CliResult scan = RunCli({L"scan", L"--json", L"D:"});
    std::vector<Json> predicted = OfKind(JsonLines(scan.out), "entry");
    CliResult restore = RunCli({L"restore", L"--json", L"--journal", L"E:\\j.txt", L"D:"});
    EXPECT_EQ(restore.exitCode, 0) << restore.out;
    std::vector<Json> lines = JsonLines(restore.out);
    std::vector<Json> entries = OfKind(lines, "entry");
    ASSERT_EQ(entries.size(), 3u) << restore.out;
    ASSERT_EQ(predicted.size(), 3u) << scan.out;
    std::map<std::string, Json> byPath;
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(predicted[i]["outcome"], "would_restore");
        EXPECT_EQ(predicted[i]["restored"], entries[i]["restored"]);
        EXPECT_EQ(predicted[i]["suffixes"], entries[i]["suffixes"]);
        byPath[entries[i]["path"]] = entries[i];
    }
    EXPECT_EQ(byPath["D:\\report.docx id-1  id-2 "]["restored"], "D:\\report.docx");
    EXPECT_EQ(byPath["D:\\report.docx id-1  id-2 "]["suffixes"], 2);
    EXPECT_EQ(byPath["D:\\Work a-1  b-2 "]["restored"], "D:\\Work");
    EXPECT_EQ(byPath["D:\\Work a-1  b-2 "]["suffixes"], 2);
    Json summary = lines.back();
    EXPECT_EQ(summary["damaged"], 3);
    EXPECT_EQ(summary["restored"], 3);
    EXPECT_EQ(summary["journalled"], 5);
    EXPECT_EQ(ReadWhole(D + L"\\report.docx"), Utf8(D + L"\\report.docx id-1  id-2 "));
    EXPECT_TRUE(Exists(D + L"\\Work\\plan.xlsx"));
    CliResult undo = RunCli({L"undo", L"E:\\j.txt"});
    EXPECT_EQ(undo.exitCode, 0) << undo.out;
    EXPECT_EQ(Snapshot(D), before);
}

// --keep-both: a taken restored name gives way to the first free name in the form of a copy, as
// scan predicts; undo takes each back. Without it, the entry is left.
TEST_F(RestoreCommand, KeepBothGivesATakenNameTheFormOfACopy) {
    MakeFile(D + L"\\photo.jpg");
    MakeFile(D + L"\\photo (2).jpg");
    MakeFile(D + L"\\photo.jpg a-b ");
    ASSERT_TRUE(MakeFolder(D + L"\\Work"));
    ASSERT_TRUE(MakeFolder(D + L"\\Work c-d "));
    MakeFile(D + L"\\.profile");
    MakeFile(D + L"\\.profile e-f ");
    Tree before = Snapshot(D);
    EXPECT_EQ(RunCli({L"restore", L"D:"}).exitCode, 1);
    EXPECT_EQ(Snapshot(D), before);
    CliResult scan = RunCli({L"scan", L"--keep-both", L"--json", L"D:"});
    CliResult restore =
        RunCli({L"restore", L"--keep-both", L"--json", L"--journal", L"E:\\j.txt", L"D:"});
    EXPECT_EQ(restore.exitCode, 0) << restore.out;
    std::vector<Json> predicted = OfKind(JsonLines(scan.out), "entry");
    std::vector<Json> entries = OfKind(JsonLines(restore.out), "entry");
    ASSERT_EQ(entries.size(), 3u) << restore.out;
    ASSERT_EQ(predicted.size(), 3u) << scan.out;
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(predicted[i]["restored"], entries[i]["restored"]);
        EXPECT_EQ(entries[i]["kept_both"], true);
    }
    EXPECT_EQ(ReadWhole(D + L"\\photo (3).jpg"), Utf8(D + L"\\photo.jpg a-b "));
    EXPECT_TRUE(IsFolder(D + L"\\Work (2)"));
    EXPECT_EQ(ReadWhole(D + L"\\.profile (2)"), Utf8(D + L"\\.profile e-f "));
    CliResult undo = RunCli({L"undo", L"E:\\j.txt"});
    EXPECT_EQ(undo.exitCode, 0) << undo.out;
    EXPECT_EQ(Snapshot(D), before);
}

} // namespace
