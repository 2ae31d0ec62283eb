// decrypt --recycle-checked: the .crypt files whose outputs checked go to the Recycle Bin (under
// Wine the trash of the run, tests/wine/run-wine.sh) with their bytes; a file whose output failed
// its check or has no check stays; and where there is no bin, nothing is deleted.
#include "tests/cli/cli_driver.h"
#include "tests/cli/command_trees.h"
#include "tests/cli/decrypt_inputs.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>
#include <windows.h>

namespace {

class RecycleChecked : public CleanDrives {};
class NoRecycleBin : public CleanDrives {};

std::map<std::string, Json> RecycleLinesByPath(const std::vector<Json>& lines) {
    std::map<std::string, Json> byPath;
    for (const Json& line : lines) {
        if (line["kind"] == "recycle") {
            byPath[line["path"]] = line;
        }
    }
    return byPath;
}

TEST_F(RecycleChecked, OnlyFilesWhoseOutputsCheckedGoToTheBin) {
    for (const char* name : {"real.zip", "real.png", "damaged.zip", "readme.txt"}) {
        Place(D, name);
    }
    CliResult run = RunCli({L"decrypt", L"--key", L"5", L"--recycle-checked", L"--json", L"D:\\"});
    std::vector<Json> lines = JsonLines(run.out);
    std::map<std::string, Json> recycled = RecycleLinesByPath(lines);
    for (const char* name : {"real.zip", "real.png"}) {
        Json line = recycled["D:\\" + std::string(name) + ".crypt"];
        EXPECT_EQ(line["outcome"], "recycled") << name << "\n" << run.out;
        EXPECT_EQ(line["output"], "D:\\" + std::string(name));
        EXPECT_FALSE(Exists(D + L"\\" + Wide(name) + L".crypt")) << name;
        EXPECT_EQ(ReadWhole(D + L"\\" + Wide(name)), Plain(Fixture(name))) << name;
        EXPECT_EQ(ReadWhole(RecycleBinFiles() + L"\\" + Wide(name) + L".crypt"),
                  Cipher(Fixture(name)))
            << name << " is not in the bin " << Utf8(RecycleBinFiles());
    }
    EXPECT_EQ(recycled["D:\\damaged.zip.crypt"]["outcome"], "kept");
    EXPECT_EQ(recycled["D:\\damaged.zip.crypt"]["reason"],
              "its decrypted file did not pass its check");
    EXPECT_EQ(recycled["D:\\readme.txt.crypt"]["reason"],
              "its decrypted file's type has no check of its own")
        << FilesByPath(lines)["D:\\readme.txt.crypt"];
    EXPECT_EQ(ReadWhole(D + L"\\damaged.zip.crypt"), Cipher(Fixture("damaged.zip")));
    EXPECT_EQ(ReadWhole(D + L"\\readme.txt.crypt"), Cipher(Fixture("readme.txt")));
    // The second names that prove a file reached the bin are gone again.
    EXPECT_EQ(ListFolder(D), L"damaged.zip|damaged.zip.crypt|readme.txt|readme.txt.crypt|"
                             L"real.png|real.zip");
    Json summary = Summary(lines);
    EXPECT_EQ(summary["recycled"], 2);
    EXPECT_EQ(summary["recycle_kept"], 0);
    EXPECT_EQ(run.exitCode, 0) << run.out;

    // Without the option nothing is recycled, and the summary says nothing of it.
    Place(E, "real.gz");
    CliResult plain = RunCli({L"decrypt", L"--key", L"5", L"--json", L"E:\\"});
    EXPECT_TRUE(Exists(E + L"\\real.gz.crypt"));
    EXPECT_FALSE(Summary(JsonLines(plain.out)).contains("recycled"));
}

// A run whose bin cannot be made: the shell deletes instead of recycling, and the file is given
// back its name from the second name made before; the line says so and the exit code is 1.
TEST_F(NoRecycleBin, NothingIsDeletedWhereTheBinWouldNotKeepIt) {
    Place(D, "real.zip");
    CliResult run = RunCli({L"decrypt", L"--key", L"5", L"--recycle-checked", L"D:\\"});
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_EQ(ReadWhole(D + L"\\real.zip.crypt"), Cipher(Fixture("real.zip")));
    EXPECT_EQ(ListFolder(D), L"real.zip|real.zip.crypt");
    std::vector<std::string> lines = Lines(run.out);
    bool told = false;
    for (const std::string& line : lines) {
        told = told || (line.rfind("kept", 0) == 0 &&
                        line.find("\"D:\\real.zip.crypt\" (the Recycle Bin would not keep it") !=
                            std::string::npos &&
                        line.find("so it has its name back)") != std::string::npos);
    }
    EXPECT_TRUE(told) << run.out;
    EXPECT_NE(run.out.find("Moved to the Recycle Bin: 0 .crypt files whose decrypted files "
                           "checked; 1 of those kept."),
              std::string::npos)
        << run.out;
}

} // namespace
