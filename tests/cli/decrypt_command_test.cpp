// rescindo-cli decrypt on real folders of fresh drives D: and E:, on .crypt files that OpenSSL
// made at build time (decrypt_fixtures.py): every output compared byte for byte with the
// plaintext, every --json line through a JSON parser, and what was not to be written checked
// absent.
#include "tests/cli/cli_driver.h"
#include "tests/cli/command_trees.h"
#include "tests/cli/decrypt_inputs.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>

namespace {

class DecryptCommand : public CleanDrives {};

// Files of many types under all ten keys and the password's, in one folder and one below it:
// each whose type has a signature is found under its own key and decrypted; plain text, files too
// short to tell, files under a key not offered and a file two keys fit are left, nothing written.
TEST_F(DecryptCommand, AutoFindsEachFilesKeyByItsType) {
    ASSERT_TRUE(MakeFolder(D + L"\\docs"));
    ASSERT_TRUE(MakeFolder(D + L"\\docs\\sub"));
    for (uint32_t i = 0; i < DecryptFixtureCount; ++i) {
        Place(i % 3 == 0 ? D + L"\\docs\\sub" : D + L"\\docs", DecryptFixtures[i]);
    }
    ASSERT_TRUE(WriteWhole(D + L"\\docs\\notes.txt", "not encrypted"));
    Tree before = Snapshot(D);
    CliResult run = RunCli({L"decrypt", L"--json", L"D:\\docs"});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.err, "");
    std::vector<Json> lines = JsonLines(run.out);
    std::map<std::string, Json> files = FilesByPath(lines);
    ASSERT_EQ(files.size(), DecryptFixtureCount) << run.out;

    int decrypted = 0;
    for (uint32_t i = 0; i < DecryptFixtureCount; ++i) {
        const DecryptFixture& fixture = DecryptFixtures[i];
        std::wstring folder = i % 3 == 0 ? D + L"\\docs\\sub" : D + L"\\docs";
        std::wstring output = folder + L"\\" + Name(fixture);
        const Json& file = files[Utf8(folder.substr(4) + L"\\" + Name(fixture) + L".crypt")];
        EXPECT_EQ(file["bytes"], fixture.size) << fixture.name;
        bool found = fixture.identification == KeyFound && fixture.selector != KeySelectorPassword;
        if (!found) {
            EXPECT_EQ(file["outcome"], "not_identified") << file;
            EXPECT_FALSE(file.contains("key")) << file;
            EXPECT_FALSE(Exists(output)) << fixture.name << ": written though not identified";
            continue;
        }
        ++decrypted;
        EXPECT_EQ(file["outcome"], "decrypted") << file;
        EXPECT_EQ(file["key"], fixture.selector) << fixture.name;
        EXPECT_EQ(file["output"], Utf8(output.substr(4))) << fixture.name;
        EXPECT_EQ(ReadWhole(output), Plain(fixture)) << fixture.name;
    }
    std::map<std::string, Json> byName;
    for (const auto& file : files) {
        byName[file.first.substr(file.first.rfind('\\') + 1)] = file.second;
    }
    EXPECT_EQ(byName["readme.txt.crypt"]["reason"], "no known signature for this file type");
    EXPECT_EQ(byName["empty.pdf.crypt"]["reason"], "the file is too short to tell the keys apart");
    EXPECT_EQ(byName["data.rar.crypt"]["reason"], "no key fits");
    // Key 4 made the JPEG, but key 0 turns its first block into a JPEG's start as well.
    const Json& twoKeys = byName["twokeys.jpg.crypt"];
    EXPECT_EQ(twoKeys["reason"], "several keys fit");
    EXPECT_EQ(twoKeys["fitting_keys"], Json::array({CollisionKeys[1], CollisionKeys[0]}));

    Json summary = Summary(lines);
    EXPECT_EQ(summary["command"], "decrypt");
    EXPECT_EQ(summary["key_option"], "auto");
    EXPECT_EQ(summary["password"], false);
    EXPECT_EQ(summary["paths"], Json::array({"D:\\docs"}));
    EXPECT_EQ(summary["files"], DecryptFixtureCount);
    EXPECT_EQ(summary["decrypted"], decrypted);
    EXPECT_EQ(summary["not_identified"], DecryptFixtureCount - decrypted);
    EXPECT_EQ(summary["folders"], 2);
    EXPECT_EQ(summary["exit_code"], 1);
    EXPECT_GE(summary["elapsed_ms"], summary["identify_ms"]);
    // The inputs are as they were; only the outputs are new.
    Tree after = Snapshot(D);
    for (const auto& entry : before) {
        EXPECT_EQ(after[entry.first], entry.second) << Utf8(entry.first);
    }
    EXPECT_EQ(after.size(), before.size() + decrypted);
}

// With a password as well, its key is one more candidate: files under it are found too, and a
// file under another password is still left.
TEST_F(DecryptCommand, AutoWithAPasswordAlsoTriesItsKey) {
    Place(D, "data.rar");
    Place(D, "report.pdf");
    Place(D, "accented.rtf");
    ASSERT_TRUE(WriteWhole(E + L"\\password.txt", std::string(SamplePassword) + "\r\n"));
    CliResult run = RunCli(
        {L"decrypt", L"--auto", L"--password-file", L"E:\\password.txt", L"--json", L"D:\\"});
    EXPECT_EQ(run.exitCode, 1);
    std::map<std::string, Json> files = FilesByPath(JsonLines(run.out));
    EXPECT_EQ(files["D:\\data.rar.crypt"]["key"], "password");
    EXPECT_EQ(ReadWhole(D + L"\\data.rar"), Plain(Fixture("data.rar")));
    EXPECT_EQ(files["D:\\report.pdf.crypt"]["key"], 0);
    EXPECT_EQ(ReadWhole(D + L"\\report.pdf"), Plain(Fixture("report.pdf")));
    EXPECT_EQ(files["D:\\accented.rtf.crypt"]["outcome"], "not_identified");
    EXPECT_FALSE(Exists(D + L"\\accented.rtf"));
    EXPECT_EQ(Summary(JsonLines(run.out))["password"], true);
}

// --key N: every file under that key, whatever its type, byte for byte; an empty file and a file of
// 3 bytes (all of it the short tail) included.
TEST_F(DecryptCommand, BuiltInKeyDecryptsEveryFileByteForByte) {
    ASSERT_TRUE(MakeFolder(D + L"\\three"));
    for (const char* name : {"sheet.xlsx", "song.mp3", "large.bin"}) {
        ASSERT_EQ(Fixture(name).selector, 3);
        Place(D + L"\\three", name);
    }
    CliResult three = RunCli({L"decrypt", L"--key", L"3", L"D:\\three"});
    EXPECT_EQ(three.exitCode, 0) << three.out << three.err;
    for (const char* name : {"sheet.xlsx", "song.mp3", "large.bin"}) {
        EXPECT_EQ(ReadWhole(D + L"\\three\\" + Wide(name)), Plain(Fixture(name))) << name;
    }
    // Standard output names each file, its output and the key; the summary counts them.
    std::vector<std::string> lines = Lines(three.out);
    ASSERT_EQ(lines.size(), 5u) << three.out;
    EXPECT_EQ(lines[0], "decrypted      \"D:\\three\\large.bin.crypt\" -> \"large.bin\" (key 3; "
                        "not checkable: this type has no check of its own)");
    EXPECT_EQ(lines[3].substr(0, 39), "Decrypted 3 of 3 .crypt files (0.1 MB i");
    EXPECT_EQ(lines[4].find("Checked by their formats: "), 0u);

    const struct {
        const char* name;
        const wchar_t* key;
    } small[] = {{"empty.pdf", L"1"}, {"stub.bmp", L"2"}, {"tiny.jpg", L"9"}};
    for (const auto& c : small) {
        const DecryptFixture& fixture = Fixture(c.name);
        ASSERT_LE(fixture.size, 3u);
        Place(E, fixture);
        // A file named alone, by a path relative to the current folder.
        CliResult run = RunCli(
            {L"decrypt", L"--json", L"--key=" + std::wstring(c.key), Name(fixture) + L".crypt"},
            L"E:\\");
        EXPECT_EQ(run.exitCode, 0) << c.name << run.err;
        EXPECT_EQ(ReadWhole(E + L"\\" + Name(fixture)), Plain(fixture)) << c.name;
        EXPECT_EQ(Summary(JsonLines(run.out))["key"], fixture.selector);
    }
}

// --pair: the key under which one file's encrypted form is its original, confirmed over the whole
// file, decrypts every PATH; a pair no key fits stops everything before anything is written.
TEST_F(DecryptCommand, PairFindsTheKeyOrStopsBeforeWriting) {
    const DecryptFixture& report = Fixture("report.pdf");
    ASSERT_TRUE(MakeFolder(D + L"\\kept"));
    ASSERT_TRUE(MakeFolder(D + L"\\docs"));
    ASSERT_TRUE(WriteWhole(D + L"\\kept\\report.pdf", Plain(report)));
    Place(D + L"\\kept", report);
    Place(D + L"\\docs", "bundle.7z");
    Place(D + L"\\docs", "readme.txt");
    ASSERT_EQ(Fixture("bundle.7z").selector, report.selector);
    ASSERT_EQ(Fixture("readme.txt").selector, report.selector);

    // A change past the first 4 KiB shows only when the whole file is compared.
    std::string changed = Plain(report);
    changed.back() ^= 1;
    ASSERT_TRUE(WriteWhole(E + L"\\changed.pdf", changed));
    std::string longer = Plain(Fixture("large.bin"));
    longer.back() ^= 1;
    ASSERT_TRUE(WriteWhole(E + L"\\changed.bin", longer));
    Place(E, "large.bin");
    ASSERT_TRUE(WriteWhole(E + L"\\other.pdf", Plain(Fixture("archive.zip"))));
    ASSERT_TRUE(WriteWhole(E + L"\\stub.bmp", Plain(Fixture("stub.bmp"))));
    Place(E, "stub.bmp");
    ASSERT_TRUE(WriteWhole(E + L"\\empty.pdf", ""));
    Place(E, "empty.pdf");
    Tree before = Snapshot(D);
    const struct {
        const wchar_t* original;
        const wchar_t* encrypted;
        const char* said;
    } misfits[] = {
        {L"E:\\changed.pdf", L"D:\\kept\\report.pdf.crypt", "no key fits"},
        {L"E:\\changed.bin", L"E:\\large.bin.crypt",
         "the first blocks fit a key but the whole file does not"},
        {L"E:\\other.pdf", L"D:\\kept\\report.pdf.crypt",
         "the original and the encrypted file differ in size"},
        {L"E:\\stub.bmp", L"E:\\stub.bmp.crypt", "the file is too short to tell the keys apart"},
        {L"E:\\empty.pdf", L"E:\\empty.pdf.crypt", "the file is too short to tell the keys apart"},
    };
    for (const auto& misfit : misfits) {
        CliResult run =
            RunCli({L"decrypt", L"--pair", misfit.original, misfit.encrypted, L"D:\\docs"});
        EXPECT_EQ(run.exitCode, 2) << misfit.said;
        EXPECT_EQ(run.err, "rescindo-cli: no key turns " + Utf8(misfit.encrypted) + " into " +
                               Utf8(misfit.original) + ": " + misfit.said +
                               "; nothing was decrypted\r\n");
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(Snapshot(D), before) << misfit.said;
    }

    CliResult run = RunCli({L"decrypt", L"--json", L"--pair", L"D:\\kept\\report.pdf",
                            L"D:\\kept\\report.pdf.crypt", L"D:\\docs"});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(ReadWhole(D + L"\\docs\\bundle.7z"), Plain(Fixture("bundle.7z")));
    EXPECT_EQ(ReadWhole(D + L"\\docs\\readme.txt"), Plain(Fixture("readme.txt")));
    Json summary = Summary(JsonLines(run.out));
    EXPECT_EQ(summary["key_option"], "pair");
    EXPECT_EQ(summary["key"], report.selector);
    EXPECT_EQ(summary["decrypted"], 2);
    EXPECT_GE(summary["elapsed_ms"], summary["identify_ms"]);
    // For people, the key found comes first.
    DeleteFileW((D + L"\\docs\\bundle.7z").c_str());
    CliResult words = RunCli({L"decrypt", L"--pair", L"D:\\kept\\report.pdf",
                              L"D:\\kept\\report.pdf.crypt", L"D:\\docs\\bundle.7z.crypt"});
    EXPECT_EQ(Lines(words.out)[0], "The pair was encrypted under key 0: using it for every file.");
}

// What an existing entry holds is never replaced: the output takes the first name of the
// decryptor's row that no entry holds, and the line names exactly that one.
TEST_F(DecryptCommand, ExistingNamesAreNeverReplacedAndTheOutputIsNamedRight) {
    const DecryptFixture& report = Fixture("report.pdf");
    Place(D, report);
    ASSERT_TRUE(WriteWhole(D + L"\\report.pdf", "mine"));
    ASSERT_TRUE(MakeFolder(D + L"\\report.pdf(0)"));
    ASSERT_TRUE(WriteWhole(D + L"\\report.pdf(2)", "mine too"));
    // A free bare name before a taken "(0)": the bare name is the output.
    const DecryptFixture& photo = Fixture("photo.jpg");
    Place(D, photo);
    ASSERT_TRUE(WriteWhole(D + L"\\photo.jpg(0)", "older"));

    CliResult first = RunCli({L"decrypt", L"--json", L"D:\\"});
    EXPECT_EQ(first.exitCode, 0) << first.out << first.err;
    std::map<std::string, Json> files = FilesByPath(JsonLines(first.out));
    EXPECT_EQ(files["D:\\report.pdf.crypt"]["output"], "D:\\report.pdf(1)");
    EXPECT_EQ(ReadWhole(D + L"\\report.pdf(1)"), Plain(report));
    EXPECT_EQ(files["D:\\photo.jpg.crypt"]["output"], "D:\\photo.jpg");
    EXPECT_EQ(ReadWhole(D + L"\\photo.jpg"), Plain(photo));
    EXPECT_EQ(ReadWhole(D + L"\\report.pdf"), "mine");
    EXPECT_EQ(ReadWhole(D + L"\\report.pdf(2)"), "mine too");
    EXPECT_EQ(ReadWhole(D + L"\\photo.jpg(0)"), "older");
    EXPECT_TRUE(IsFolder(D + L"\\report.pdf(0)"));

    // A second run: the photo's usual name holds its plaintext already, from the first run, and
    // nothing new is written for it; the report's usual name holds another file, and it takes
    // the next free name.
    CliResult second = RunCli({L"decrypt", L"D:\\report.pdf.crypt", L"D:\\photo.jpg.crypt"});
    EXPECT_EQ(second.exitCode, 0);
    std::vector<std::string> lines = Lines(second.out);
    ASSERT_EQ(lines.size(), 4u) << second.out;
    EXPECT_EQ(
        lines[0].find("decrypted      \"D:\\report.pdf.crypt\" -> \"report.pdf(3)\" (key 0; "), 0u)
        << lines[0];
    EXPECT_EQ(lines[1].find("already decrypted \"D:\\photo.jpg.crypt\" -> \"photo.jpg\" (key 6; "),
              0u)
        << lines[1];
    EXPECT_EQ(lines[2].substr(0, 38), "Decrypted 2 of 2 .crypt files (0.0 MB ");
    EXPECT_NE(lines[3].find("1 decrypted already, by an earlier run"), std::string::npos);
    EXPECT_EQ(ReadWhole(D + L"\\report.pdf(3)"), Plain(report));
    EXPECT_EQ(ReadWhole(D + L"\\photo.jpg"), Plain(photo));
    EXPECT_FALSE(Exists(D + L"\\photo.jpg(1)"));
}

// A file the decryptor cannot be given is reported with its reason and the rest done: a name in
// capitals; a path longer than the 259 characters of the decryptor's own buffers is decrypted
// in its deep folder.
TEST_F(DecryptCommand, FilesThatCannotBeDecryptedAreReportedTheRestDone) {
    Place(D, "report.pdf");
    ASSERT_TRUE(WriteWhole(D + L"\\PHOTO.JPG.CRYPT", Cipher(Fixture("photo.jpg"))));
    // \\?\D:\ddd...\eee...\anim.gif.crypt: 283 characters.
    std::wstring deep = D + L"\\" + std::wstring(200, L'd');
    ASSERT_TRUE(MakeFolder(deep));
    deep += L"\\" + std::wstring(60, L'e');
    ASSERT_TRUE(MakeFolder(deep));
    Place(deep, "anim.gif");
    CliResult run = RunCli({L"decrypt", L"--quiet", L"D:\\"});
    EXPECT_EQ(run.exitCode, 1);
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    EXPECT_EQ(lines[0], "skipped        \"D:\\PHOTO.JPG.CRYPT\" (the decryptor takes only names "
                        "ending in \".crypt\", in small letters)");
    EXPECT_EQ(ReadWhole(deep + L"\\anim.gif"), Plain(Fixture("anim.gif")));
    EXPECT_EQ(lines[1].substr(0, 31), "Decrypted 2 of 3 .crypt files (");
    EXPECT_EQ(lines[1].substr(lines[1].size() - 13), "): 1 skipped.");
    EXPECT_EQ(ReadWhole(D + L"\\report.pdf"), Plain(Fixture("report.pdf")));
    EXPECT_FALSE(Exists(D + L"\\PHOTO.JPG"));
}

// A file the decryptor cannot open (another program holds it) is reported with the system's
// reason, and no output is made for it; the next file is decrypted.
TEST_F(DecryptCommand, FileInUseFailsAloneAndLeavesNoOutput) {
    std::wstring held = Place(D, "report.pdf");
    Place(D, "bundle.7z");
    HANDLE holder = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    CliResult run = RunCli({L"decrypt", L"--key", L"0", L"D:\\"});
    CloseHandle(holder);
    EXPECT_EQ(run.exitCode, 1);
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 4u) << run.out;
    EXPECT_EQ(lines[1], "failed         \"D:\\report.pdf.crypt\" (key 0; the file cannot be opened "
                        "(in use by another program, error 32))");
    EXPECT_FALSE(Exists(D + L"\\report.pdf"));
    EXPECT_EQ(ReadWhole(D + L"\\bundle.7z"), Plain(Fixture("bundle.7z")));
}

// Bad input stops the command before anything is written, with one line saying what was wrong.
TEST_F(DecryptCommand, BadInputWritesNothing) {
    Place(D, "report.pdf");
    ASSERT_TRUE(MakeFolder(D + L"\\plain"));
    ASSERT_TRUE(WriteWhole(D + L"\\plain\\a.txt", "text"));
    ASSERT_TRUE(MakeFolder(D + L"\\capitals"));
    ASSERT_TRUE(WriteWhole(D + L"\\capitals\\A.PDF.CRYPT", Cipher(Fixture("report.pdf"))));
    ASSERT_TRUE(WriteWhole(E + L"\\empty.txt", ""));
    ASSERT_TRUE(MakeFolder(E + L"\\folder.txt"));
    ASSERT_TRUE(WriteWhole(E + L"\\locked.txt", "samples password"));
    HANDLE locked = CreateFileW((E + L"\\locked.txt").c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    Tree before = Snapshot(D);
    const struct {
        std::vector<std::wstring> arguments;
        std::string said;
    } cases[] = {
        {{L"decrypt", L"D:\\missing"}, "no such file or folder: D:\\missing"},
        {{L"decrypt", L"D:\\report.pdf.crypt", L"Q:\\x"}, "no such file or folder: Q:\\x"},
        {{L"decrypt", L"D:\\plain"}, "no .crypt file in D:\\plain; nothing was decrypted"},
        {{L"decrypt", L"D:\\capitals"},
         "no .crypt file in D:\\capitals (1 ending in \".CRYPT\" or the like, which the decryptor "
         "does not take); nothing was decrypted"},
        {{L"decrypt", L"D:\\plain\\a.txt"}, "not a .crypt file: D:\\plain\\a.txt"},
        {{L"decrypt", L"--pair", L"D:\\gone.pdf", L"D:\\report.pdf.crypt", L"D:\\"},
         "no such file: D:\\gone.pdf"},
        {{L"decrypt", L"--pair", L"D:\\plain", L"D:\\report.pdf.crypt", L"D:\\"},
         "a folder, not a file: D:\\plain"},
        {{L"decrypt", L"--password-file", L"E:\\none.txt", L"D:\\"},
         "no such password file: E:\\none.txt"},
        {{L"decrypt", L"--password-file", L"E:\\empty.txt", L"D:\\"},
         "no password: the password file E:\\empty.txt is empty"},
        {{L"decrypt", L"--password-file", L"E:\\folder.txt", L"D:\\"},
         "cannot open the password file E:\\folder.txt (access denied, error 5)"},
        {{L"decrypt", L"--password-file", L"E:\\locked.txt", L"D:\\"},
         "cannot open the password file E:\\locked.txt (in use by another program, error 32)"},
    };
    for (const auto& c : cases) {
        CliResult run = RunCli(c.arguments);
        EXPECT_EQ(run.exitCode, 2) << c.said;
        EXPECT_EQ(run.err, "rescindo-cli: " + c.said + "\r\n");
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(Snapshot(D), before) << c.said;
    }
    CloseHandle(locked);
    // With --json the refusal is an object on standard output too.
    CliResult json = RunCli({L"decrypt", L"--json", L"D:\\plain"});
    EXPECT_EQ(json.exitCode, 2);
    std::vector<Json> lines = JsonLines(json.out);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["kind"], "error");
    EXPECT_EQ(lines[0]["exit_code"], 2);
}

// Key options that cannot be: the reason and the usage on standard error, exit code 2.
TEST_F(DecryptCommand, KeyOptionsThatCannotBeAreBadUsage) {
    Place(D, "report.pdf");
    Tree before = Snapshot(D);
    const struct {
        std::vector<std::wstring> arguments;
        const char* reason;
    } cases[] = {
        {{L"decrypt", L"--key", L"10", L"D:\\"}, "--key takes a built-in key from 0 to 9, not 10"},
        {{L"decrypt", L"--key", L"-1", L"D:\\"}, "--key takes a built-in key from 0 to 9, not -1"},
        {{L"decrypt", L"--key=x", L"D:\\"}, "--key takes a built-in key from 0 to 9, not x"},
        {{L"decrypt", L"--key", L"3", L"--auto", L"D:\\"},
         "--key and --auto cannot be given together: choose one key option"},
        {{L"decrypt", L"--auto", L"--pair", L"a", L"b", L"D:\\"},
         "--auto and --pair cannot be given together: choose one key option"},
        {{L"decrypt", L"--password", L"--password-file", L"p", L"D:\\"},
         "--password and --password-file cannot be given together: give the password one way"},
        {{L"decrypt", L"--key", L"1", L"--password", L"D:\\"},
         "--key and --password cannot be given together: a built-in key or a password, not "
         "both"},
        {{L"decrypt", L"--pair", L"a"}, "--pair needs 2 values"},
    };
    for (const auto& c : cases) {
        ExpectBadUsage(RunCli(c.arguments), c.reason);
    }
    EXPECT_EQ(Snapshot(D), before);
}

TEST_F(DecryptCommand, HelpOfItsOwnFitsAScreen) {
    CliResult help = RunCli({L"decrypt", L"--help"});
    EXPECT_EQ(help.exitCode, 0);
    ExpectFitsAScreen(help.out);
    for (const char* needed :
         {"rescindo-cli decrypt [--auto | --key N | --pair ORIGINAL ENCRYPTED]", "--password ",
          "--password-file  FILE", "--json", "--quiet", "Keep the .crypt files",
          "Exit codes: 0 all decrypted, 1 some not, 2 "}) {
        EXPECT_NE(help.out.find(needed), std::string::npos) << needed;
    }
}

} // namespace

namespace {

// A folder whose path, as people write it (D:\...), is exactly length characters long, made of
// names of at most 200 characters.
std::wstring MakeFolderOfLength(const std::wstring& top, size_t length) {
    std::wstring folder = top;
    EXPECT_TRUE(MakeFolder(folder));
    while (folder.size() - 4 < length) {
        size_t left = length - (folder.size() - 4) - 1;
        folder += L"\\" + std::wstring(left > 200 ? 200 : left, L'x');
        EXPECT_TRUE(MakeFolder(folder));
    }
    return folder;
}

// Without PATH, every drive the dialog program searches: the files of D: and E: are found and
// decrypted; N:, a drive whose volume cannot be opened, as a drive without a medium, is left out.
TEST_F(DecryptCommand, WithoutPathEveryDriveIsSearched) {
    ASSERT_TRUE(MakeFolder(E + L"\\deep"));
    Place(D, "report.pdf");
    Place(E + L"\\deep", "photo.jpg");
    CliResult run = RunCli({L"decrypt", L"--json"});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    std::vector<Json> lines = JsonLines(run.out);
    std::map<std::string, Json> files = FilesByPath(lines);
    EXPECT_EQ(files.size(), 2u) << run.out;
    EXPECT_EQ(files["D:\\report.pdf.crypt"]["outcome"], "decrypted");
    EXPECT_EQ(files["E:\\deep\\photo.jpg.crypt"]["outcome"], "decrypted");
    EXPECT_EQ(ReadWhole(E + L"\\deep\\photo.jpg"), Plain(Fixture("photo.jpg")));
    Json summary = Summary(lines);
    std::vector<std::string> scopes = summary["paths"];
    EXPECT_EQ(scopes, (std::vector<std::string>{"C:\\", "D:\\", "E:\\", "F:\\", "H:\\"}));
}

// Inputs and outputs as long as the platform's long form allows where the walk reaches: files in
// folders of 259, 260, 1,000 and 1,023 characters named themselves, and the folders searched
// where the walk can list them (not the one of 1,023, whose listing would not fit its buffers).
TEST_F(DecryptCommand, LongPathsDecryptWhereverTheWalkReaches) {
    const size_t lengths[] = {259, 260, 1000, 1023};
    for (size_t length : lengths) {
        std::wstring top = D + L"\\deep" + std::to_wstring(length);
        std::wstring folder = MakeFolderOfLength(top, length);
        ASSERT_EQ(folder.size() - 4, length);
        std::wstring input = Place(folder, "report.pdf");
        CliResult file = RunCli({L"decrypt", L"--quiet", input.substr(4)});
        EXPECT_EQ(file.exitCode, 0) << length << " " << file.out << file.err;
        EXPECT_EQ(ReadWhole(folder + L"\\report.pdf"), Plain(Fixture("report.pdf"))) << length;
        ASSERT_TRUE(DeleteFileW((folder + L"\\report.pdf").c_str()));
        CliResult searched = RunCli({L"decrypt", L"--json", top.substr(4)});
        Json summary = Summary(JsonLines(searched.out));
        if (length < 1000 + 17) {
            EXPECT_EQ(searched.exitCode, 0) << length << searched.out;
            EXPECT_EQ(summary["decrypted"], 1) << length;
            EXPECT_EQ(ReadWhole(folder + L"\\report.pdf"), Plain(Fixture("report.pdf")));
        } else {
            // The folder is reported as not searched, and the run as not complete.
            EXPECT_EQ(searched.exitCode, 1) << searched.out;
            EXPECT_EQ(summary["folders_not_searched"], 1);
            EXPECT_FALSE(Exists(folder + L"\\report.pdf"));
        }
    }
}

} // namespace
