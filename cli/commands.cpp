// The command table, the help and the usage.
#include "cli/commands.h"
#include "res/version.h"

const wchar_t OptionJson[] = L"--json";
const wchar_t OptionQuiet[] = L"--quiet";
const wchar_t OptionJournal[] = L"--journal";

namespace {

const wchar_t VersionText[] = L"" RESCINDO_VERSION_TEXT;

const OptionSpec ScanOptions[] = {{OptionJson, 0}, {nullptr, 0}};
const OptionSpec RestoreOptions[] = {
    {OptionJournal, 1}, {OptionJson, 0}, {OptionQuiet, 0}, {nullptr, 0}};
const OptionSpec UndoOptions[] = {{OptionJson, 0}, {OptionQuiet, 0}, {nullptr, 0}};

const wchar_t ProgramTitle[] = L"restores names damaged by the Vorpalix trojan";

// Each line fits 79 columns.
const wchar_t CommonHelp[] =
    L"  PATH       folders or drives: D:  D:\\  C:\\Users\\Ann  ..\\x  \\\\server\\share\n"
    L"             none: every drive the dialog program searches\n"
    L"  --journal  FILE: a new file (never overwritten) recording each rename\n"
    L"  --json     one JSON object per line: one per entry, then a summary\n"
    L"  --quiet    print only what was left alone, and the summary\n"
    L"\n"
    L"Exit codes:\n"
    L"  0  all found was restored (or would be, or was undone), or nothing found\n"
    L"  1  something was left: a name taken, a rename refused, a path too long\n"
    L"  2  bad usage or bad input: unknown option, no such folder, not a journal\n"
    L"  3  the journal could not be written; without it nothing is renamed\n";

} // namespace

const CommandSpec Commands[] = {
    {L"scan", ScanOptions, 0, -1, L"PATH", RunScan, L"scan    [--json] [PATH...]",
     L"  scan       list damaged names and what restore would do; renames nothing\n"},
    {L"restore", RestoreOptions, 0, -1, L"PATH", RunRestore,
     L"restore [--journal FILE] [--json] [--quiet] [PATH...]",
     L"  restore    give damaged files and folders their names back\n"},
    {L"undo", UndoOptions, 1, 1, L"JOURNAL", RunUndo, L"undo    JOURNAL [--json] [--quiet]",
     L"  undo       rename back what a restore recorded in JOURNAL, newest first\n"},
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

void PrintHelp() {
    std::wstring text = std::wstring(L"rescindo-cli ") + VersionText + L": " + ProgramTitle +
                        L"\n\n" + UsageLines() + L"\n";
    for (const CommandSpec& command : Commands) {
        text += command.help;
    }
    WriteLines(StandardOutput, text + CommonHelp);
}

void PrintVersion() {
    WriteLine(StandardOutput, std::wstring(L"rescindo-cli ") + VersionText);
}

void PrintUsage(OutputStream stream) {
    WriteLines(stream, UsageLines() + L"Try rescindo-cli --help for more.\n");
}
