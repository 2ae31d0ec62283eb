#include "tests/cli/cli_driver.h"
#include "tests/support/program_driver.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>
#include <functional>

namespace {

// The emulated 32-bit build is slow; this is only an upper bound.
const DWORD ExitLimitMs = 300000;

// The C runtime's rules: backslashes are literal except before a quote, where each one must be
// doubled, as before the closing quote.
std::wstring Quoted(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            quoted.append(backslashes * 2 + 1, L'\\');
        } else {
            quoted.append(backslashes, L'\\');
        }
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// Where the child's output goes: a file of its own in the prefix's temporary folder, which no test
// walks.
HANDLE CreateOutputFile(const std::wstring& path, SECURITY_ATTRIBUTES* inherited) {
    return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, inherited,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
}

// input: inherited by the child as its standard input. creation: CREATE_NO_WINDOW, or 0 to share
// this process's console. whileRunning, if any, is called once the child has started.
CliResult RunWithInput(const std::vector<std::wstring>& arguments,
                       const std::wstring& workingDirectory, HANDLE input, DWORD creation,
                       const std::function<void()>& whileRunning = nullptr) {
    // Files, not pipes: reading pipes needs threads blocked in reads, which 32-bit Wine under
    // qemu does not survive.
    CliResult result = {-1, "", ""};
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring outPath = std::wstring(folder) + L"rescindo-cli-test.out";
    std::wstring errPath = std::wstring(folder) + L"rescindo-cli-test.err";
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE out = CreateOutputFile(outPath, &inherited);
    HANDLE err = CreateOutputFile(errPath, &inherited);
    if (out == INVALID_HANDLE_VALUE || err == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot make the output files";
        return result;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = out;
    startup.hStdError = err;
    std::wstring commandLine = Quoted(ProgramPath);
    for (const std::wstring& argument : arguments) {
        commandLine += L" " + Quoted(argument);
    }
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessW(ProgramPath.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                                  creation, nullptr, workingDirectory.c_str(), &startup, &process);
    CloseHandle(out);
    CloseHandle(err);
    if (!started) {
        ADD_FAILURE() << "cannot start the program: error " << GetLastError();
        return result;
    }
    if (whileRunning) {
        whileRunning();
    }
    if (WaitForSingleObject(process.hProcess, ExitLimitMs) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        result.exitCode = static_cast<long>(code);
    } else {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 10000);
        ADD_FAILURE() << "the program did not end in time";
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    result.out = ReadWhole(outPath);
    result.err = ReadWhole(errPath);
    DeleteFileW(outPath.c_str());
    DeleteFileW(errPath.c_str());
    return result;
}

// The console's text, line by line, each without its trailing blanks.
std::wstring ScreenText(HANDLE screen) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(screen, &info)) {
        return L"";
    }
    std::wstring text;
    std::wstring line(info.dwSize.X, L' ');
    for (SHORT row = 0; row <= info.dwCursorPosition.Y; ++row) {
        DWORD read = 0;
        ReadConsoleOutputCharacterW(screen, &line[0], info.dwSize.X, COORD{0, row}, &read);
        std::wstring shown = line.substr(0, read);
        shown.erase(shown.find_last_not_of(L' ') + 1);
        text += shown + L"\n";
    }
    return text;
}

BOOL WINAPI LetCtrlCPass(DWORD event) {
    return event == CTRL_C_EVENT ? TRUE : FALSE;
}

} // namespace

PROCESS_INFORMATION StartCliWritingTo(const std::vector<std::wstring>& arguments, HANDLE output) {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE nul =
        CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul;
    startup.hStdOutput = output;
    startup.hStdError = nul;
    std::wstring commandLine = Quoted(ProgramPath);
    for (const std::wstring& argument : arguments) {
        commandLine += L" " + Quoted(argument);
    }
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(ProgramPath.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW, nullptr, L"C:\\", &startup, &process)) {
        ADD_FAILURE() << "cannot start the program: error " << GetLastError();
    }
    CloseHandle(nul);
    return process;
}

CliResult RunCli(const std::vector<std::wstring>& arguments, const std::wstring& workingDirectory,
                 const std::wstring& inputFile) {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE input = CreateFileW(inputFile.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               &inherited, OPEN_EXISTING, 0, nullptr);
    if (input == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot open the input " << Utf8(inputFile);
    }
    CliResult result = RunWithInput(arguments, workingDirectory, input, CREATE_NO_WINDOW);
    if (input != INVALID_HANDLE_VALUE) {
        CloseHandle(input);
    }
    return result;
}

ConsoleRun RunCliAtConsole(const std::vector<std::wstring>& arguments, const std::wstring& typed,
                           bool ctrlCAtPrompt) {
    ConsoleRun run = {{-1, "", ""}, L"", 0, 0, 0};
    // Wine starts a test with a console that has no window and no buffers: a new one has both.
    static bool ownConsole = (FreeConsole(), AllocConsole() != 0);
    // Ctrl+C typed for the program reaches every process of the console: this one lets it pass.
    static bool ctrlCPasses = SetConsoleCtrlHandler(LetCtrlCPass, TRUE) != 0;
    if (!ownConsole || !ctrlCPasses) {
        ADD_FAILURE() << "no console: error " << GetLastError();
        return run;
    }
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE input =
        CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherited, OPEN_EXISTING, 0, nullptr);
    HANDLE screen =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (input == INVALID_HANDLE_VALUE || screen == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot open the console: error " << GetLastError();
        return run;
    }
    // A clean screen and input, so what the run leaves is its own.
    FlushConsoleInputBuffer(input);
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(screen, &info)) {
        DWORD written = 0;
        FillConsoleOutputCharacterW(screen, L' ', info.dwSize.X * info.dwSize.Y, COORD{0, 0},
                                    &written);
        SetConsoleCursorPosition(screen, COORD{0, 0});
    }
    GetConsoleMode(input, &run.modeBefore);
    for (wchar_t c : typed) {
        INPUT_RECORD press[2] = {};
        for (int i = 0; i < 2; ++i) {
            KEY_EVENT_RECORD& key = press[i].Event.KeyEvent;
            press[i].EventType = KEY_EVENT;
            key.bKeyDown = i == 0;
            key.wRepeatCount = 1;
            key.wVirtualKeyCode = c == L'\r' ? VK_RETURN : 0;
            key.uChar.UnicodeChar = c;
        }
        DWORD written = 0;
        if (!WriteConsoleInputW(input, press, 2, &written) || written != 2) {
            ADD_FAILURE() << "cannot type into the console: error " << GetLastError();
        }
    }
    // Ctrl+C once the program has turned the echo off; typed into the input as a key, Wine's
    // console does not turn it into the signal.
    auto pressCtrlC = [&]() {
        DWORD mode = run.modeBefore;
        for (int waited = 0; (mode & ENABLE_ECHO_INPUT) && waited < 600; ++waited) {
            Sleep(50);
            GetConsoleMode(input, &mode);
        }
        EXPECT_FALSE(mode & ENABLE_ECHO_INPUT) << "the prompt never turned the echo off";
        GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    };
    run.result = RunWithInput(arguments, L"C:\\", input, 0,
                              ctrlCAtPrompt ? std::function<void()>(pressCtrlC) : nullptr);
    run.screen = ScreenText(screen);
    GetConsoleMode(input, &run.modeAfter);
    GetNumberOfConsoleInputEvents(input, &run.eventsLeft);
    CloseHandle(screen);
    CloseHandle(input);
    return run;
}

void ExpectBadUsage(const CliResult& result, const std::string& reason) {
    EXPECT_EQ(result.exitCode, 2) << reason;
    std::vector<std::string> lines = Lines(result.err);
    if (lines.size() < 2) {
        ADD_FAILURE() << "no reason and usage: " << result.err;
        return;
    }
    EXPECT_EQ(lines[0], "rescindo-cli: " + reason);
    EXPECT_EQ(lines[1], "Usage:");
    EXPECT_EQ(result.out, "");
}

void ExpectFitsAScreen(const std::string& text) {
    std::vector<std::string> lines = Lines(text);
    EXPECT_LE(lines.size(), 24u);
    for (const std::string& line : lines) {
        EXPECT_LT(line.size(), 80u) << line;
    }
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<nlohmann::json> JsonLines(const std::string& text) {
    std::vector<nlohmann::json> objects;
    for (const std::string& line : Lines(text)) {
        try {
            objects.push_back(nlohmann::json::parse(line));
        } catch (const nlohmann::json::exception& error) {
            ADD_FAILURE() << "not JSON: " << line << " (" << error.what() << ")";
        }
    }
    return objects;
}

std::vector<nlohmann::json> OfKind(const std::vector<nlohmann::json>& objects, const char* kind) {
    std::vector<nlohmann::json> found;
    for (const nlohmann::json& object : objects) {
        if (object.value("kind", "") == kind) {
            found.push_back(object);
        }
    }
    return found;
}

nlohmann::json Summary(const std::vector<nlohmann::json>& lines) {
    std::vector<nlohmann::json> summaries = OfKind(lines, "summary");
    return summaries.size() == 1 ? summaries[0] : nlohmann::json();
}
