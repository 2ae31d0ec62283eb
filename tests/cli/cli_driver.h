// Runs the real console program as a child process in the test prefix, the way a script would,
// and reads back what it printed, its lines and its JSON lines.
#pragma once
#include <windows.h>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

struct CliResult {
    long exitCode; // -1 when the program did not end in time
    std::string out;
    std::string err;
};

// Starts the program (ProgramPath) with these arguments, each quoted as the C runtime unquotes
// it, standard input empty (or the file inputFile), standard output and error into files, and
// waits for it.
CliResult RunCli(const std::vector<std::wstring>& arguments,
                 const std::wstring& workingDirectory = L"C:\\",
                 const std::wstring& inputFile = L"NUL");

struct ConsoleRun {
    CliResult result;
    std::wstring screen; // the console's text afterwards, its lines' trailing blanks cut
    DWORD modeBefore;    // the console input's mode before the run
    DWORD modeAfter;     // and after it
    DWORD eventsLeft;    // input events the program left unread
};
// Runs the program on a console of this process (made at the first call), standard input the
// console's, with `typed` (lines ending in "\r") waiting in the console's input as key presses, as
// a person would type them; standard output and error into files as RunCli does. ctrlCAtPrompt:
// Ctrl+C is pressed once the program waits with its echo off.
ConsoleRun RunCliAtConsole(const std::vector<std::wstring>& arguments, const std::wstring& typed,
                           bool ctrlCAtPrompt = false);

// Starts the program with its standard output into output (say, a pipe nobody reads) and its
// standard input and error on NUL; the caller waits for it or ends it, and closes the handles.
PROCESS_INFORMATION StartCliWritingTo(const std::vector<std::wstring>& arguments, HANDLE output);

// Bad usage as the program reports it: exit code 2, nothing on standard output, and on standard
// error the reason after the program's name, then the usage lines.
void ExpectBadUsage(const CliResult& result, const std::string& reason);
// A page of help: at most 24 lines, each shorter than 80 columns.
void ExpectFitsAScreen(const std::string& text);

// Lines without their CR LF.
std::vector<std::string> Lines(const std::string& text);
// Every line parsed as JSON; a line that does not parse fails the test.
std::vector<nlohmann::json> JsonLines(const std::string& text);
// The objects of one kind.
std::vector<nlohmann::json> OfKind(const std::vector<nlohmann::json>& objects, const char* kind);
// The run's one summary; null when there is not exactly one.
nlohmann::json Summary(const std::vector<nlohmann::json>& lines);
