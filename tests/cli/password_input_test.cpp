// decrypt's password as people give it: a file in each encoding text is saved in, standard input
// as a pipe or a file gives it, and the console prompt, which shows nothing typed and gives the
// echo back, also after Ctrl+C.
#include "tests/cli/cli_driver.h"
#include "tests/cli/command_trees.h"
#include "tests/cli/decrypt_inputs.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>

namespace {

class PasswordInput : public CleanDrives {};

// A password from a file in each encoding people save text in; the password is not ASCII, and
// its key is made from its Windows-1252 bytes, as the engine's conversion gives them.
TEST_F(PasswordInput, FromAFileInEveryEncoding) {
    ASSERT_EQ(GetACP(), 1252u) << "the test prefix's ANSI code page";
    const DecryptFixture& accented = Fixture("accented.rtf");
    std::string utf8 = AccentedPassword;
    std::wstring text = Wide(utf8);
    std::string utf16 = "\xff\xfe";
    for (wchar_t c : text + L"\r\n") {
        utf16 += static_cast<char>(c & 0xFF);
        utf16 += static_cast<char>(c >> 8);
    }
    std::string ansi;
    for (wchar_t c : text) {
        ansi += static_cast<char>(c); // all of them are in Latin-1, which Windows-1252 extends
    }
    const struct {
        const char* form;
        std::string bytes;
    } files[] = {
        {"UTF-8, CR LF", utf8 + "\r\n"},
        {"UTF-8 after its byte-order mark, then a second line", "\xef\xbb\xbf" + utf8 + "\nmore"},
        {"UTF-16 little-endian after its byte-order mark", utf16},
        {"ANSI, no line end", ansi},
    };
    Place(D, accented);
    for (const auto& file : files) {
        ASSERT_TRUE(WriteWhole(E + L"\\password.txt", file.bytes));
        CliResult run = RunCli(
            {L"decrypt", L"--password-file", L"E:\\password.txt", L"D:\\accented.rtf.crypt"});
        EXPECT_EQ(run.exitCode, 0) << file.form << ": " << run.out << run.err;
        EXPECT_EQ(ReadWhole(D + L"\\accented.rtf"), Plain(accented)) << file.form;
        DeleteFileW((D + L"\\accented.rtf").c_str());
    }
    // 31 bytes are taken; 32 are refused before anything is written.
    Place(D, "longest.bin");
    ASSERT_TRUE(WriteWhole(E + L"\\longest.txt", std::string(LongestPassword) + "\n"));
    CliResult longest =
        RunCli({L"decrypt", L"--password-file", L"E:\\longest.txt", L"D:\\longest.bin.crypt"});
    EXPECT_EQ(longest.exitCode, 0) << longest.err;
    EXPECT_EQ(ReadWhole(D + L"\\longest.bin"), Plain(Fixture("longest.bin")));
    DeleteFileW((D + L"\\longest.bin").c_str());
    ASSERT_TRUE(WriteWhole(E + L"\\longer.txt", std::string(LongestPassword) + "!"));
    CliResult longer =
        RunCli({L"decrypt", L"--password-file", L"E:\\longer.txt", L"D:\\longest.bin.crypt"});
    EXPECT_EQ(longer.exitCode, 2);
    EXPECT_EQ(longer.err,
              "rescindo-cli: the password is too long: it has 32 characters, and the "
              "key is made from at most 31 bytes of it, which are its first 31 here\r\n");
    EXPECT_FALSE(Exists(D + L"\\longest.bin"));
}

// --password without a console: the first line of standard input, as a pipe or a file gives it.
TEST_F(PasswordInput, FromStandardInput) {
    Place(D, "data.rar");
    Place(D, "slides.pptx");
    ASSERT_TRUE(WriteWhole(E + L"\\input.txt", std::string(SamplePassword) + "\r\nnext line\r\n"));
    CliResult run =
        RunCli({L"decrypt", L"--password", L"--json", L"D:\\"}, L"C:\\", L"E:\\input.txt");
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(ReadWhole(D + L"\\data.rar"), Plain(Fixture("data.rar")));
    EXPECT_EQ(ReadWhole(D + L"\\slides.pptx"), Plain(Fixture("slides.pptx")));
    Json summary = Summary(JsonLines(run.out));
    EXPECT_EQ(summary["key_option"], "password");
    EXPECT_EQ(summary["key"], "password");
    // Nothing on standard input: a clear refusal, nothing written.
    CliResult none = RunCli({L"decrypt", L"--password", L"E:\\"});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_EQ(none.err, "rescindo-cli: no password: standard input is empty\r\n");
}

// --password at a console: the prompt shows, the typed password does not, and the console's
// input mode is what it was.
TEST_F(PasswordInput, TypedAtThePromptIsNotShown) {
    Place(D, "data.rar");
    ConsoleRun run = RunCliAtConsole({L"decrypt", L"--password", L"D:\\data.rar.crypt"},
                                     Wide(SamplePassword) + L"\r");
    EXPECT_EQ(run.result.exitCode, 0) << run.result.out << run.result.err;
    EXPECT_EQ(ReadWhole(D + L"\\data.rar"), Plain(Fixture("data.rar")));
    EXPECT_NE(run.screen.find(L"Password (not shown):"), std::wstring::npos) << Utf8(run.screen);
    EXPECT_EQ(run.screen.find(Wide(SamplePassword)), std::wstring::npos) << Utf8(run.screen);
    EXPECT_EQ(run.modeAfter, run.modeBefore);
    EXPECT_TRUE(run.modeAfter & ENABLE_ECHO_INPUT);
    EXPECT_EQ(Lines(run.result.out)[0].find(
                  "decrypted      \"D:\\data.rar.crypt\" -> \"data.rar\" (the password's key; "),
              0u);
}

// Ctrl+C at the prompt ends the program as Ctrl+C does, with the console's echo back on and
// nothing decrypted.
TEST_F(PasswordInput, CtrlCAtThePromptGivesTheEchoBack) {
    Place(D, "data.rar");
    ConsoleRun run =
        RunCliAtConsole({L"decrypt", L"--password", L"D:\\data.rar.crypt"}, L"sampl", true);
    EXPECT_NE(run.result.exitCode, -1);
    EXPECT_EQ(run.result.out, "");
    EXPECT_EQ(run.modeAfter, run.modeBefore);
    EXPECT_TRUE(run.modeAfter & ENABLE_ECHO_INPUT);
    EXPECT_FALSE(Exists(D + L"\\data.rar"));
}

} // namespace
