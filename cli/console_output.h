// Where the console program's text goes. A console gets wide text through WriteConsoleW, so
// every name shows as it is whatever the console's code page; a pipe or a file gets UTF-8. The
// progress line on standard error lives here too, so printed lines never run into it.
#pragma once
#include <cstddef>
#include <string>

#include "report/json_line.h"

enum OutputStream { StandardOutput = 0, StandardError = 1 };

// How the command prints, from its options.
struct OutputModeRecord {
    int json;     // --json: one JSON object per line on standard output
    int quiet;    // --quiet: only what was left, and the summary
    int progress; // standard error is a console, and neither of the two above was given
};
extern OutputModeRecord OutputMode;

// Looks once at what the two handles are, and sets OutputMode from the options.
void OpenOutput(int json, int quiet);
int IsConsole(OutputStream stream);

// Line ends are CR LF; the caller gives none.
void WriteLine(OutputStream stream, const std::wstring& text);
// A JSON object (or any UTF-8 text) as one line.
void WriteUtf8Line(OutputStream stream, const std::string& text);
// "rescindo-cli: " and the message on standard error.
void WriteError(const std::wstring& message);

// One line on standard output for an entry, a file or a journal line: its outcome's label in a
// column of labelWidth characters (one blank at least after it), then the rest.
void WriteOutcomeLine(const wchar_t* label, size_t labelWidth, const std::wstring& rest);
// The object as one line on standard output.
void WriteJsonLine(const JsonLine& line);
// The line every command ends with when Ctrl+C stopped it.
void WriteStoppedLine();

// A failure that ends the command: "rescindo-cli: " and the message on standard error, and with
// --json an object of kind "error" on standard output too. Returns exitCode.
int ReportFailure(int exitCode, const std::wstring& message);

// The name of this computer, for reports collected from many.
std::wstring ComputerName();

// Replaces the progress line with text, cut to the console's width; does nothing when progress is
// not shown.
void ShowProgressLine(const std::wstring& text);
// Blanks the progress line, if one is shown.
void ClearProgressLine();
