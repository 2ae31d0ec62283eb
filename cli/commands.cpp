// The command table, the help and the usage.
#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/key_choice.h"
#include "res/version.h"

const wchar_t OptionJson[] = L"--json";
const wchar_t OptionQuiet[] = L"--quiet";
const wchar_t OptionJournal[] = L"--journal";
const wchar_t OptionKeepBoth[] = L"--keep-both";
const wchar_t OptionFollowLinks[] = L"--follow-links";
const wchar_t OptionRecycleChecked[] = L"--recycle-checked";

namespace {

const wchar_t VersionText[] = L"" RESCINDO_VERSION_TEXT;

const OptionSpec ScanOptions[] = {
    {OptionKeepBoth, 0}, {OptionFollowLinks, 0}, {OptionJson, 0}, {OptionQuiet, 0}, {nullptr, 0}};
const OptionSpec RestoreOptions[] = {{OptionJournal, 1},     {OptionKeepBoth, 0},
                                     {OptionFollowLinks, 0}, {OptionJson, 0},
                                     {OptionQuiet, 0},       {nullptr, 0}};
const OptionSpec UndoOptions[] = {{OptionJson, 0}, {OptionQuiet, 0}, {nullptr, 0}};
const OptionSpec DecryptOptions[] = {{OptionKey, 1},
                                     {OptionAuto, 0},
                                     {OptionPair, 2},
                                     {OptionPassword, 0},
                                     {OptionPasswordFile, 1},
                                     {OptionFollowLinks, 0},
                                     {OptionRecycleChecked, 0},
                                     {OptionJson, 0},
                                     {OptionQuiet, 0},
                                     {nullptr, 0}};

const wchar_t ProgramTitle[] = L"restores names damaged by the Vorpalix trojan";

// Each line fits 79 columns.
const wchar_t CommonHelp[] =
    L"  PATH       folders or drives: D:\\  C:\\Users  ..\\x  \\\\server\\share; none: all\n"
    L"  --journal  FILE: a new file (never overwritten) recording each rename\n"
    L"  --keep-both     a restored name taken: the first free \"photo (2).jpg\" instead\n"
    L"  --follow-links  enter links that lead outside the PATHs given\n"
    L"  --json     one JSON object per line: one per entry, then a summary\n"
    L"  --quiet    print only what was left alone, and the summary\n";

// Each line fits 79 columns, the whole page one screen, after "rescindo-cli VERSION: ".
const wchar_t DecryptDetails[] =
    L"decrypts .crypt files into new files beside them\n"
    L"\n"
    L"Usage:\n"
    L"  rescindo-cli decrypt [--auto | --key N | --pair ORIGINAL ENCRYPTED]\n"
    L"                       [--password | --password-file FILE] [--recycle-checked]\n"
    L"                       [--follow-links] [--json] [--quiet] [PATH...]\n"
    L"\n"
    L"  PATH       .crypt files, and folders searched for them; none: all drives\n"
    L"  --auto     each file's key from the type its name had before .crypt (PDF\n"
    L"             for report.pdf.crypt); other types are left alone. The default\n"
    L"  --key      N: built-in key N, 0 to 9, for every file\n"
    L"  --pair     ORIGINAL ENCRYPTED: a file you still have in both forms; the key\n"
    L"             that turns ENCRYPTED into ORIGINAL is used for every file\n"
    L"  --password       ask for it, not shown (without a console: standard input)\n"
    L"  --password-file  FILE: its first line (UTF-8, UTF-16 or ANSI text)\n"
    L"             alone: its key for every file; with --auto or --pair: one more\n"
    L"  --follow-links  enter links that lead outside the PATHs given\n"
    L"  --recycle-checked  then move those whose outputs checked to the Recycle Bin\n"
    L"  --json     one JSON object per line: one per file, then a summary\n"
    L"  --quiet    print only the files not decrypted, and the summary\n"
    L"\n"
    L"Each output is a new file beside its input: report.pdf, or report.pdf(0)...\n"
    L"when taken. Keep the .crypt files until you have opened what did not check.\n";

} // namespace

const CommandSpec Commands[] = {
    {L"scan", ScanOptions, 0, -1, L"PATH", RunScan, L"scan    [OPTION...] [PATH...]",
     L"  scan       list damaged names and what restore would do; renames nothing\n", nullptr},
    {L"restore", RestoreOptions, 0, -1, L"PATH", RunRestore,
     L"restore [--journal FILE] [OPTION...] [PATH...]",
     L"  restore    give damaged files and folders their names back\n", nullptr},
    {L"undo", UndoOptions, 1, 1, L"JOURNAL", RunUndo, L"undo    JOURNAL [--json] [--quiet]",
     L"  undo       rename back what a restore recorded in JOURNAL, newest first\n", nullptr},
    {L"decrypt", DecryptOptions, 0, -1, L"PATH", RunDecrypt,
     L"decrypt [KEY OPTION] [OPTION...] [PATH...]",
     L"  decrypt    decrypt .crypt files; key options: rescindo-cli decrypt --help\n",
     DecryptDetails},
};
const size_t CommandCount = sizeof Commands / sizeof Commands[0];

namespace {

std::wstring UsageLines() {
    std::wstring lines = L"Usage:\n";
    for (const CommandSpec& command : Commands) {
        lines += std::wstring(L"  rescindo-cli ") + command.usage + L"\n";
    }
    return lines + L"  rescindo-cli --help | --version\n";
}

// The overview's lines on the exit codes.
std::wstring ExitCodeLines() {
    std::wstring lines = L"\nExit codes:\n";
    for (const ExitCodeHelp& help : ExitCodeHelps) {
        lines += L"  " + std::to_wstring(help.code) + L"  " + help.overview + L"\n";
    }
    return lines;
}

// The exit codes line of a command's own page: decrypt is the one command with a page.
std::wstring DecryptExitCodeLine() {
    std::wstring line = L"Exit codes:";
    for (const ExitCodeHelp& help : ExitCodeHelps) {
        if (help.decrypt != nullptr) {
            line += std::wstring(help.code == ExitAllDone ? L" " : L", ") +
                    std::to_wstring(help.code) + L" " + help.decrypt;
        }
    }
    return line + L"\n";
}

// Writes text whose lines end in "\n", each as one line of the stream.
void WriteLines(OutputStream stream, const std::wstring& text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        WriteLine(stream, text.substr(start, end - start));
        start = end + 1;
    }
}

} // namespace

void PrintHelp(const CommandSpec* command) {
    if (command != nullptr && command->details != nullptr) {
        WriteLines(StandardOutput, std::wstring(L"rescindo-cli ") + VersionText + L": " +
                                       command->details + DecryptExitCodeLine());
        return;
    }
    std::wstring text = std::wstring(L"rescindo-cli ") + VersionText + L": " + ProgramTitle +
                        L"\n" + UsageLines() + L"\n";
    for (const CommandSpec& command : Commands) {
        text += command.help;
    }
    WriteLines(StandardOutput, text + CommonHelp + ExitCodeLines());
}

void PrintVersion() {
    WriteLine(StandardOutput, std::wstring(L"rescindo-cli ") + VersionText);
}

void PrintUsage(OutputStream stream) {
    WriteLines(stream, UsageLines() + L"Try rescindo-cli --help for more.\n");
}
