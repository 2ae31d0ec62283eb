// Outputs proven by their own structure: real documents of every checked type decrypted and
// checked, one damaged before it was encrypted (check failed, its output kept), a plain text not
// checkable; a key the type refutes writes nothing; a rerun writes nothing new; of two keys that
// show a JPEG's signature, the one whose output checks is taken; a password the code page cannot
// hold is refused before any file is touched.
#include "tests/cli/cli_driver.h"
#include "tests/cli/command_trees.h"
#include "tests/cli/decrypt_inputs.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>

namespace {

class CheckedOutputs : public CleanDrives {};

const char* const RealDocuments[] = {"real.zip", "real.odt", "real.png",
                                     "real.gz",  "real.pdf", "real.sqlite"};

TEST_F(CheckedOutputs, EachTypeIsCheckedByItsOwnStructure) {
    for (const char* name : RealDocuments) {
        Place(D, name);
    }
    Place(D, "damaged.zip");
    Place(D, "readme.txt");
    CliResult run = RunCli({L"decrypt", L"--key", L"5", L"--json", L"D:\\"});
    std::vector<Json> lines = JsonLines(run.out);
    std::map<std::string, Json> files = FilesByPath(lines);
    for (const char* name : RealDocuments) {
        Json file = files["D:\\" + std::string(name) + ".crypt"];
        EXPECT_EQ(file["outcome"], "decrypted") << name << "\n" << run.out;
        EXPECT_EQ(file["check"]["result"], "checked") << name << ": " << file["check"]["words"];
        EXPECT_EQ(ReadWhole(D + L"\\" + Wide(name)), Plain(Fixture(name))) << name;
    }
    // A zip entry damaged before the file was encrypted: the output is what the file holds, and
    // the check says what failed.
    Json damaged = files["D:\\damaged.zip.crypt"];
    EXPECT_EQ(damaged["outcome"], "decrypted");
    EXPECT_EQ(damaged["check"]["result"], "failed");
    std::string words = damaged["check"]["words"];
    EXPECT_NE(words.find("the key may be wrong, or the file was damaged before it was encrypted"),
              std::string::npos)
        << words;
    EXPECT_EQ(ReadWhole(D + L"\\damaged.zip"), Plain(Fixture("damaged.zip")));
    // Plain text has no check of its own, and its signature cannot refute the key.
    EXPECT_EQ(files["D:\\readme.txt.crypt"]["check"]["result"], "not_checkable");
    Json summary = Summary(lines);
    EXPECT_EQ(summary["checked"], 6);
    EXPECT_EQ(summary["check_failed"], 1);
}

// A key the file's type refutes on its first blocks gets no output: the line says which key does
// not fit which type. A rerun with the right key writes the outputs; a rerun of that finds each
// output's usual name holding the same bytes and writes nothing.
TEST_F(CheckedOutputs, AWrongKeyWritesNothingAndARerunAddsNothing) {
    Place(D, "real.zip");
    Place(D, "real.png");
    Tree before = Snapshot(D);
    CliResult wrong = RunCli({L"decrypt", L"--key", L"2", L"D:\\"});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_EQ(Snapshot(D), before) << wrong.out;
    std::vector<std::string> lines = Lines(wrong.out);
    ASSERT_GE(lines.size(), 2u) << wrong.out;
    EXPECT_EQ(lines[1],
              "not identified \"D:\\real.zip.crypt\" (key 2 does not fit a .zip file: its "
              "signature does not show)");

    CliResult right = RunCli({L"decrypt", L"--auto", L"D:\\"});
    EXPECT_EQ(right.exitCode, 0) << right.out;
    Tree decrypted = Snapshot(D);
    CliResult again = RunCli({L"decrypt", L"--auto", L"--json", L"D:\\"});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(Snapshot(D), decrypted) << "a rerun wrote something";
    std::map<std::string, Json> files = FilesByPath(JsonLines(again.out));
    for (const char* name : {"real.zip", "real.png"}) {
        Json file = files["D:\\" + std::string(name) + ".crypt"];
        EXPECT_EQ(file["already_decrypted"], true) << name;
        EXPECT_EQ(file["output"], "D:\\" + std::string(name));
        EXPECT_EQ(file["check"]["result"], "checked");
    }
    // An output changed since is no longer this decryption: the next free name is taken.
    ASSERT_TRUE(WriteWhole(D + L"\\real.png", std::string(Fixture("real.png").size, 'x')));
    CliResult changed = RunCli({L"decrypt", L"--auto", L"--json", L"D:\\real.png.crypt"});
    EXPECT_EQ(FilesByPath(JsonLines(changed.out))["D:\\real.png.crypt"]["output"],
              "D:\\real.png(0)");
    EXPECT_EQ(ReadWhole(D + L"\\real.png(0)"), Plain(Fixture("real.png")));
}

// Two keys show the JPEG signature on the first blocks; only key 4's output passes the check of
// the segment chain, so it is taken; nothing of the other key's output is left.
TEST_F(CheckedOutputs, WhereSeveralKeysFitTheCheckDecides) {
    Place(D, "realtwokeys.jpg");
    CliResult run = RunCli({L"decrypt", L"--json", L"D:\\"});
    EXPECT_EQ(run.exitCode, 0) << run.out;
    Json file = FilesByPath(JsonLines(run.out))["D:\\realtwokeys.jpg.crypt"];
    EXPECT_EQ(file["outcome"], "decrypted");
    EXPECT_EQ(file["key"], CollisionKeys[0]);
    EXPECT_EQ(file["check"]["result"], "checked");
    EXPECT_EQ(ListFolder(D), L"realtwokeys.jpg|realtwokeys.jpg.crypt");
    EXPECT_EQ(ReadWhole(D + L"\\realtwokeys.jpg"), Plain(Fixture("realtwokeys.jpg")));
}

// Under the prefix's code page (1252), Cyrillic cannot be held: the password is refused, the
// characters and the code page named, and no file is touched.
TEST_F(CheckedOutputs, APasswordTheCodePageCannotHoldIsRefused) {
    Place(D, "real.zip");
    ASSERT_TRUE(
        WriteWhole(E + L"\\password.txt", "\xd0\xbf\xd0\xb0\xd1\x80\xd0\xbe\xd0\xbb\xd1\x8c 7\n"));
    Tree before = Snapshot(D);
    CliResult run = RunCli({L"decrypt", L"--password-file", L"E:\\password.txt", L"D:\\"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("code page 1252"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("\"\xd0\xbf\xd0\xb0\xd1\x80\xd0\xbe\xd0\xbb\xd1\x8c\""),
              std::string::npos)
        << run.err;
    EXPECT_EQ(Snapshot(D), before);
}

} // namespace
