// The command line of the console program: a command, its options and its operands, checked
// against the command's own table entry. Windows-free.
//
// Each command is one entry of a table (cli/commands.cpp) naming its options, how many operands
// it takes and the function that runs it, so a new command is one more entry and one more file.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

struct OptionSpec {
    const wchar_t* name; // "--journal"; null ends a command's list
    int valueCount;      // the arguments that follow it: 0 for a switch, 1 for --journal FILE
};

struct CommandCall;

struct CommandSpec {
    const wchar_t* name;        // "restore"
    const OptionSpec* options;  // ended by an entry with a null name
    int minOperands;            //
    int maxOperands;            // -1: any number
    const wchar_t* operandName; // "PATH", "JOURNAL": for the messages
    int (*run)(const CommandCall& call);
    const wchar_t* usage; // its usage line, after the program's name
    const wchar_t* help;  // its lines of --help, each ending in "\n"
    // Its own page of help (rescindo-cli COMMAND --help), for a command whose options need more
    // room than the overview has; null: the overview tells all.
    const wchar_t* details;
};

struct GivenOption {
    const wchar_t* name; // the table's own text
    std::vector<std::wstring> values;
};

struct CommandCall {
    const CommandSpec* command;
    std::vector<GivenOption> options; // in the order given; each at most once
    std::vector<std::wstring> operands;
};

enum ParseVerdict {
    ParsedCommand = 0,
    ParsedHelp = 1,     // --help, -h or /? anywhere; call.command: the command named first, if any
    ParsedVersion = 2,  // --version alone
    ParsedBadUsage = 3, // reason says what is wrong, in one line
};

struct ParsedArguments {
    ParseVerdict verdict;
    CommandCall call;
    std::wstring reason;
};

// arguments[0] is the program itself. Options may stand before, between or after the operands;
// "--" makes every later argument an operand; "--journal=FILE" is "--journal FILE".
ParsedArguments ParseArguments(int count, const wchar_t* const* arguments,
                               const CommandSpec* commands, size_t commandCount);

int HasOption(const CommandCall& call, const wchar_t* name);
// The values given with an option, or null when it was not given.
const std::vector<std::wstring>* OptionValues(const CommandCall& call, const wchar_t* name);
