// The command line, as a table of command lines and what the parser makes of each: the verdict,
// and the call it parsed or the one-line reason it gives. The parser is checked against a table
// of commands of its own with every shape a command can have (no operands, one, two, any number;
// switches, an option with one value, one with two), so that every rule is reached; the program's
// own table is checked end to end in commands_test.cpp.
#include "cli/arguments.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

int RunNothing(const CommandCall&) {
    return 0;
}

const OptionSpec PathOptions[] = {
    {L"--journal", 1}, {L"--json", 0}, {L"--quiet", 0}, {L"--pair", 2}, {nullptr, 0}};
const OptionSpec NoOptions[] = {{nullptr, 0}};

const CommandSpec Commands[] = {
    {L"scan", PathOptions, 0, -1, L"PATH", RunNothing, L"", L"", nullptr},
    {L"undo", PathOptions, 1, 1, L"JOURNAL", RunNothing, L"", L"", nullptr},
    {L"decrypt", PathOptions, 1, -1, L"PATH", RunNothing, L"", L"", nullptr},
    {L"compare", NoOptions, 2, 2, L"FILE", RunNothing, L"", L"", nullptr},
    {L"status", NoOptions, 0, 0, L"PATH", RunNothing, L"", L"", nullptr},
};

// The call in one line: the command, each option with its values in brackets, in the order given,
// then each operand in angle brackets. "help scan" or "help" for help, "version" for the version.
std::wstring Described(const ParsedArguments& parsed) {
    switch (parsed.verdict) {
    case ParsedHelp:
        return parsed.call.command == nullptr ? L"help"
                                              : std::wstring(L"help ") + parsed.call.command->name;
    case ParsedVersion:
        return L"version";
    case ParsedBadUsage:
        return L"bad usage: " + parsed.reason;
    case ParsedCommand:
        break;
    }
    std::wstring text = parsed.call.command->name;
    for (const GivenOption& option : parsed.call.options) {
        text += std::wstring(L" ") + option.name;
        for (const std::wstring& value : option.values) {
            text += L"[" + value + L"]";
        }
    }
    for (const std::wstring& operand : parsed.call.operands) {
        text += L" <" + operand + L">";
    }
    return text;
}

struct ParseCase {
    std::vector<const wchar_t*> arguments; // after the program's own name
    const wchar_t* described;
};

const ParseCase Cases[] = {
    // Help anywhere, in any of its three spellings, wins over everything else on the line; it names
    // the command only when the first argument is one.
    {{L"--help"}, L"help"},
    {{L"-h"}, L"help"},
    {{L"/?"}, L"help"},
    {{L"scan", L"--help"}, L"help scan"},
    {{L"decrypt", L"D:\\", L"--json", L"-h"}, L"help decrypt"},
    {{L"scan", L"--bogus", L"/?"}, L"help scan"},
    {{L"--version", L"--help"}, L"help"},
    {{L"fix", L"--help"}, L"help"},
    {{L"--json", L"scan", L"--help"}, L"help"},
    {{L"undo", L"--journal", L"-h"}, L"help undo"},
    // ... but not after "--", where it is an operand.
    {{L"scan", L"--", L"--help"}, L"scan <--help>"},
    {{L"scan", L"--", L"/?", L"-h"}, L"scan </?> <-h>"},

    // The version alone.
    {{L"--version"}, L"version"},
    {{L"--version", L"scan"}, L"bad usage: --version takes nothing else"},
    {{L"--version", L"--version"}, L"bad usage: --version takes nothing else"},

    // A command first.
    {{}, L"bad usage: no command given"},
    {{L"fix"}, L"bad usage: unknown command fix"},
    {{L"Scan"}, L"bad usage: unknown command Scan"},
    {{L""}, L"bad usage: unknown command "},
    {{L"--json", L"scan"}, L"bad usage: a command must come first, not the option --json"},
    {{L"-"}, L"bad usage: a command must come first, not the option -"},
    {{L"--", L"scan"}, L"bad usage: a command must come first, not the option --"},

    // Options before, between and after the operands, kept in the order given.
    {{L"scan"}, L"scan"},
    {{L"scan", L"--json", L"D:", L"E:\\"}, L"scan --json <D:> <E:\\>"},
    {{L"scan", L"D:", L"--quiet", L"E:", L"--json"}, L"scan --quiet --json <D:> <E:>"},
    {{L"scan", L"D:", L"E:", L"--journal", L"j.txt"}, L"scan --journal[j.txt] <D:> <E:>"},
    // A lone "-" is an operand; after "--" everything is.
    {{L"scan", L"-"}, L"scan <->"},
    {{L"scan", L"--json", L"--", L"--quiet", L"-x", L"--"}, L"scan --json <--quiet> <-x> <-->"},

    // Values: taken as they come, even when they look like options; "=" for one value.
    {{L"scan", L"--journal", L"--json"}, L"scan --journal[--json]"},
    {{L"scan", L"--journal=j.txt", L"D:"}, L"scan --journal[j.txt] <D:>"},
    {{L"scan", L"--journal=a=b"}, L"scan --journal[a=b]"},
    {{L"scan", L"--journal", L"a b", L"D:"}, L"scan --journal[a b] <D:>"},
    {{L"decrypt", L"--pair", L"o.pdf", L"o.pdf.crypt", L"D:"},
     L"decrypt --pair[o.pdf][o.pdf.crypt] <D:>"},
    {{L"decrypt", L"D:", L"--pair", L"--json", L"-"}, L"decrypt --pair[--json][-] <D:>"},
    {{L"scan", L"--journal"}, L"bad usage: --journal needs a value"},
    {{L"scan", L"D:", L"--journal"}, L"bad usage: --journal needs a value"},
    {{L"decrypt", L"D:", L"--pair", L"o.pdf"}, L"bad usage: --pair needs 2 values"},
    {{L"decrypt", L"D:", L"--pair"}, L"bad usage: --pair needs 2 values"},
    {{L"scan", L"--journal", L""}, L"bad usage: --journal needs a value that is not empty"},
    {{L"scan", L"--journal="}, L"bad usage: --journal needs a value that is not empty"},
    {{L"decrypt", L"D:", L"--pair", L"o.pdf", L""},
     L"bad usage: --pair needs a value that is not empty"},
    {{L"scan", L"--json=yes"}, L"bad usage: --json takes no value"},
    {{L"scan", L"--json="}, L"bad usage: --json takes no value"},
    {{L"decrypt", L"--pair=a", L"b", L"D:"}, L"bad usage: --pair takes its values apart, not ="},

    // Unknown options: by the name before any "=", single-dash ones as written.
    {{L"scan", L"--bogus"}, L"bad usage: unknown option --bogus for scan"},
    {{L"scan", L"--bogus=1"}, L"bad usage: unknown option --bogus for scan"},
    {{L"scan", L"-q"}, L"bad usage: unknown option -q for scan"},
    {{L"scan", L"-x=1"}, L"bad usage: unknown option -x=1 for scan"},
    {{L"scan", L"--JSON"}, L"bad usage: unknown option --JSON for scan"},
    {{L"compare", L"a", L"b", L"--json"}, L"bad usage: unknown option --json for compare"},

    // Each option at most once, whichever way its value is written.
    {{L"scan", L"--json", L"--json"}, L"bad usage: --json is given twice"},
    {{L"scan", L"--journal", L"a", L"D:", L"--journal", L"b"},
     L"bad usage: --journal is given twice"},
    {{L"scan", L"--journal=a", L"--journal", L"b"}, L"bad usage: --journal is given twice"},

    // Operand counts.
    {{L"undo"}, L"bad usage: undo needs one JOURNAL"},
    {{L"undo", L"--json"}, L"bad usage: undo needs one JOURNAL"},
    {{L"undo", L"j.txt"}, L"undo <j.txt>"},
    {{L"undo", L"a", L"b"}, L"bad usage: undo takes one JOURNAL; extra argument: b"},
    {{L"undo", L"a", L"b", L"c"}, L"bad usage: undo takes one JOURNAL; extra argument: b"},
    {{L"decrypt"}, L"bad usage: decrypt needs one PATH"},
    {{L"compare", L"a"}, L"bad usage: compare needs 2 FILE"},
    {{L"compare", L"a", L"b"}, L"compare <a> <b>"},
    {{L"compare", L"a", L"b", L"c"}, L"bad usage: compare takes 2 FILE; extra argument: c"},
    {{L"status"}, L"status"},
    {{L"status", L"x"}, L"bad usage: status takes no PATH; extra argument: x"},
    {{L"scan", L"D:", L""}, L"bad usage: an empty PATH"},
    {{L"undo", L""}, L"bad usage: an empty JOURNAL"},
    {{L"scan", L"--", L""}, L"bad usage: an empty PATH"},
};

ParsedArguments Parse(const std::vector<const wchar_t*>& arguments) {
    std::vector<const wchar_t*> line = {L"rescindo-cli"};
    line.insert(line.end(), arguments.begin(), arguments.end());
    return ParseArguments(static_cast<int>(line.size()), line.data(), Commands,
                          sizeof Commands / sizeof Commands[0]);
}

std::string Shown(const std::vector<const wchar_t*>& arguments) {
    std::string text = "rescindo-cli";
    for (const wchar_t* argument : arguments) {
        text += " \"" + Utf8(argument) + "\"";
    }
    return text;
}

TEST(Arguments, EveryCommandLineOfTheTable) {
    for (const ParseCase& c : Cases) {
        EXPECT_EQ(Utf8(Described(Parse(c.arguments))), Utf8(c.described)) << Shown(c.arguments);
    }
}

// What a command's run reads of its call: whether an option was given, and its values.
TEST(Arguments, OptionsAsTheCommandReadsThem) {
    ParsedArguments parsed =
        Parse({L"decrypt", L"--pair", L"o", L"e", L"D:", L"--journal=j", L"--json"});
    ASSERT_EQ(parsed.verdict, ParsedCommand) << Utf8(parsed.reason);
    EXPECT_EQ(parsed.call.command, &Commands[2]);
    EXPECT_EQ(HasOption(parsed.call, L"--json"), 1);
    EXPECT_EQ(HasOption(parsed.call, L"--quiet"), 0);
    EXPECT_EQ(OptionValues(parsed.call, L"--quiet"), nullptr);
    const std::vector<std::wstring>* pair = OptionValues(parsed.call, L"--pair");
    ASSERT_NE(pair, nullptr);
    EXPECT_EQ(*pair, (std::vector<std::wstring>{L"o", L"e"}));
    ASSERT_NE(OptionValues(parsed.call, L"--journal"), nullptr);
    EXPECT_EQ(*OptionValues(parsed.call, L"--journal"), std::vector<std::wstring>{L"j"});
    EXPECT_TRUE(OptionValues(parsed.call, L"--json")->empty());
    // The given option names the table's own text, whatever text it was parsed from.
    EXPECT_EQ(parsed.call.options[1].name, PathOptions[0].name);
    // A reason is a single line.
    for (const ParseCase& c : Cases) {
        EXPECT_EQ(Parse(c.arguments).reason.find(L'\n'), std::wstring::npos) << Shown(c.arguments);
    }
}

// Every value of an option is checked, not only its last: an empty ORIGINAL of --pair is refused
// with the reason any empty value gets.
TEST(Arguments, NoValueOfAnOptionMayBeEmpty) {
    EXPECT_EQ(Utf8(Described(Parse({L"decrypt", L"--pair", L"", L"e.crypt", L"D:"}))),
              "bad usage: --pair needs a value that is not empty");
}

} // namespace
