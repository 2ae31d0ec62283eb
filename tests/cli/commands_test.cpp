// The command table as the program shows it: bad usage in one line with the usage, and the help
// with every command and the exit codes, fitting one screen.
#include "tests/cli/cli_driver.h"
#include "tests/cli/command_trees.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>

namespace {

class Commands : public CleanDrives {};

TEST_F(Commands, BadUsageIsOneLineAndTheUsage) {
    const struct {
        std::vector<std::wstring> arguments;
        const char* reason;
    } cases[] = {
        {{}, "no command given"},
        {{L"fix"}, "unknown command fix"},
        {{L"--json", L"scan"}, "a command must come first, not the option --json"},
        {{L"scan", L"--journal", L"j"}, "unknown option --journal for scan"},
        {{L"restore", L"-q"}, "unknown option -q for restore"},
        {{L"restore", L"--journal"}, "--journal needs a value"},
        {{L"restore", L"--journal", L"a", L"--journal", L"b"}, "--journal is given twice"},
        {{L"restore", L"--json=yes"}, "--json takes no value"},
        {{L"undo"}, "undo needs one JOURNAL"},
        {{L"undo", L"a", L"b"}, "undo takes one JOURNAL; extra argument: b"},
        {{L"--version", L"scan"}, "--version takes nothing else"},
    };
    for (const auto& c : cases) {
        CliResult result = RunCli(c.arguments);
        ExpectBadUsage(result, c.reason);
        EXPECT_EQ(Lines(result.err).size(), 8u) << result.err;
    }
}

TEST_F(Commands, HelpFitsAScreenAndDocumentsTheExitCodes) {
    for (const wchar_t* asked : {L"--help", L"-h", L"/?"}) {
        CliResult help = RunCli({L"restore", asked});
        EXPECT_EQ(help.exitCode, 0);
        ExpectFitsAScreen(help.out);
        for (const char* needed :
             {"rescindo-cli scan    [OPTION...] [PATH...]",
              "rescindo-cli restore [--journal FILE] [OPTION...] [PATH...]",
              "rescindo-cli undo    JOURNAL [--json] [--quiet]",
              "rescindo-cli decrypt [KEY OPTION] [OPTION...] [PATH...]", "--keep-both",
              "--follow-links", "key options: rescindo-cli decrypt --help", "Exit codes:", "  0  ",
              "  1  ", "  2  ", "  3  the journal could not be written"}) {
            EXPECT_NE(help.out.find(needed), std::string::npos) << needed;
        }
    }
    CliResult version = RunCli({L"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "rescindo-cli 1.0.0\r\n");
}

} // namespace
