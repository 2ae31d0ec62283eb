// Console or byte stream: wide text to the one, UTF-8 to the other.
#include "cli/console_output.h"
#include "report/text_encoding.h"
#include <windows.h>
#include <algorithm>

OutputModeRecord OutputMode = {0, 0, 0};

namespace {

struct StreamRecord {
    HANDLE handle;
    int console;
};

struct OutputRecord {
    StreamRecord streams[2];
    size_t progressShown; // characters of the progress line now on the screen
};
OutputRecord Output = {};

// WriteConsoleW has taken at most about 64 KiB per call on some systems.
const size_t ConsoleChunk = 8192;

void WriteWide(StreamRecord& stream, const std::wstring& text) {
    for (size_t done = 0; done < text.size();) {
        DWORD chunk = static_cast<DWORD>(std::min(ConsoleChunk, text.size() - done));
        DWORD written = 0;
        if (!WriteConsoleW(stream.handle, text.data() + done, chunk, &written, nullptr) ||
            written == 0) {
            return;
        }
        done += written;
    }
}

// A reader that went away (a pipe closed early) loses the rest; nothing else is affected.
void WriteBytes(StreamRecord& stream, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        if (!WriteFile(stream.handle, bytes.data() + done, chunk, &written, nullptr) ||
            written == 0) {
            return;
        }
        done += written;
    }
}

void Write(OutputStream which, const std::wstring& text) {
    StreamRecord& stream = Output.streams[which];
    if (stream.handle == nullptr || stream.handle == INVALID_HANDLE_VALUE) {
        return;
    }
    if (stream.console) {
        WriteWide(stream, text);
    } else {
        WriteBytes(stream, Utf8FromUtf16(text, ReplaceUnpaired));
    }
}

int ConsoleWidth() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(Output.streams[StandardError].handle, &info)) {
        int width = info.srWindow.Right - info.srWindow.Left + 1;
        return width > 10 ? width : 80;
    }
    return 80;
}

} // namespace

void OpenOutput(int json, int quiet) {
    const DWORD handles[2] = {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    for (int i = 0; i < 2; ++i) {
        StreamRecord& stream = Output.streams[i];
        stream.handle = GetStdHandle(handles[i]);
        DWORD mode = 0;
        stream.console = stream.handle != nullptr && stream.handle != INVALID_HANDLE_VALUE &&
                                 GetConsoleMode(stream.handle, &mode)
                             ? 1
                             : 0;
    }
    OutputMode.json = json;
    OutputMode.quiet = quiet;
    OutputMode.progress = Output.streams[StandardError].console && !json && !quiet;
}

int IsConsole(OutputStream stream) {
    return Output.streams[stream].console;
}

void WriteLine(OutputStream stream, const std::wstring& text) {
    ClearProgressLine();
    Write(stream, text + L"\r\n");
}

void WriteUtf8Line(OutputStream which, const std::string& text) {
    ClearProgressLine();
    StreamRecord& stream = Output.streams[which];
    if (stream.console) {
        std::wstring wide;
        if (Utf16FromUtf8(text.data(), text.size(), &wide)) {
            Write(which, wide + L"\r\n");
        }
        return;
    }
    WriteBytes(stream, text + "\r\n");
}

void WriteError(const std::wstring& message) {
    WriteLine(StandardError, L"rescindo-cli: " + message);
}

void WriteOutcomeLine(const wchar_t* label, size_t labelWidth, const std::wstring& rest) {
    std::wstring line = label;
    line.resize(std::max(labelWidth, line.size() + 1), L' ');
    WriteLine(StandardOutput, line + rest);
}

void WriteJsonLine(const JsonLine& line) {
    WriteUtf8Line(StandardOutput, Finished(line));
}

void WriteStoppedLine() {
    WriteLine(StandardOutput, L"Stopped before the end (Ctrl+C).");
}

int ReportFailure(int exitCode, const std::wstring& message) {
    WriteError(message);
    if (OutputMode.json) {
        JsonLine line = JsonObject("error");
        AddText(&line, "message", message);
        AddText(&line, "computer", ComputerName());
        AddNumber(&line, "exit_code", exitCode);
        WriteJsonLine(line);
    }
    return exitCode;
}

std::wstring ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? std::wstring(name, size) : L"";
}

void ShowProgressLine(const std::wstring& text) {
    if (!OutputMode.progress) {
        return;
    }
    // One column is left free, so the cursor never wraps to a new line.
    size_t width = static_cast<size_t>(ConsoleWidth() - 1);
    std::wstring line = text;
    if (line.size() > width) {
        bool splitsPair = line[width - 1] >= 0xD800 && line[width - 1] <= 0xDBFF;
        line.resize(splitsPair ? width - 1 : width);
    }
    size_t shown = line.size();
    // Blanks cover what is left of a longer line before.
    if (shown < Output.progressShown) {
        line.append(Output.progressShown - shown, L' ');
    }
    Write(StandardError, L"\r" + line + L"\r");
    Output.progressShown = shown > 0 ? shown : 1;
}

void ClearProgressLine() {
    if (Output.progressShown == 0) {
        return;
    }
    std::wstring blank(Output.progressShown, L' ');
    Output.progressShown = 0;
    Write(StandardError, L"\r" + blank + L"\r");
}
