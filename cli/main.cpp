// The console program: parses its command line and runs the command it names.
#include "cli/commands.h"
#include "cli/console_walk.h"
#include "cli/console_output.h"
#include "cli/exit_codes.h"
#include "unlock/real_paths.h"
#include "unlock/walk_limits.h"
#include "common/thread_start.h"
#include <windows.h>

namespace {

struct CommandRun {
    const CommandCall* call;
    int exitCode;
};

// Every command sees the real system folders, whatever it is given: the redirection of a 32-bit
// program on 64-bit Windows is off for the whole command, and on again before the thread ends.
DWORD WINAPI CommandThread(LPVOID parameter) {
    CommandRun* run = static_cast<CommandRun*>(parameter);
    RedirectionState redirection;
    BeginRealPaths(&redirection);
    run->exitCode = run->call->command->run(*run->call);
    MarkCommandFinished();
    EndRealPaths(&redirection);
    return 0;
}

// The walk goes as deep as its paths allow, about 2.5 MiB of stack: more than the main thread's.
int RunOnWalkStack(const CommandCall& call) {
    CommandRun run = {&call, ExitBadInput};
    HANDLE thread = StartThread(CommandThread, &run, WorkerStackBytes);
    if (thread == nullptr) {
        OpenOutput(0, 0);
        WriteError(L"cannot start (error " + std::to_wstring(GetLastError()) + L")");
        return ExitBadInput;
    }
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return run.exitCode;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    ParsedArguments parsed = ParseArguments(argc, argv, Commands, CommandCount);
    switch (parsed.verdict) {
    case ParsedHelp:
        OpenOutput(0, 0);
        PrintHelp(parsed.call.command);
        return ExitAllDone;
    case ParsedVersion:
        OpenOutput(0, 0);
        PrintVersion();
        return ExitAllDone;
    case ParsedBadUsage:
        OpenOutput(0, 0);
        WriteError(parsed.reason);
        PrintUsage(StandardError);
        return ExitBadInput;
    case ParsedCommand:
    default:
        return RunOnWalkStack(parsed.call);
    }
}
