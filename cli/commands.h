// The commands of the console program and their table. A new command is one more entry in the
// table (cli/commands.cpp), one more Run function in a file of its own, and its help lines.
#pragma once
#include "cli/arguments.h"
#include "cli/console_output.h"

extern const wchar_t OptionJson[];           // --json
extern const wchar_t OptionQuiet[];          // --quiet
extern const wchar_t OptionJournal[];        // --journal FILE
extern const wchar_t OptionKeepBoth[];       // --keep-both
extern const wchar_t OptionFollowLinks[];    // --follow-links
extern const wchar_t OptionRecycleChecked[]; // --recycle-checked

// Each returns the program's exit code (cli/exit_codes.h). They run on a thread whose stack
// holds the deepest walk.
int RunScan(const CommandCall& call);
int RunRestore(const CommandCall& call);
int RunUndo(const CommandCall& call);
int RunDecrypt(const CommandCall& call);

extern const CommandSpec Commands[];
extern const size_t CommandCount;

// The overview, or the command's own page when it has one.
void PrintHelp(const CommandSpec* command);
void PrintVersion();
// The usage lines and a pointer to --help, after a one-line reason.
void PrintUsage(OutputStream stream);
