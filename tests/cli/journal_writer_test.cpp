// The journal as restore writes it, in-process with the system calls it makes hooked: a flush that
// fails part way through the run (a journal on a share learns only then that its writes were
// lost) stops the walk at once, and the command ends with exit code 3.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "tests/support/import_hook.h"
#include "tests/support/scratch_tree.h"

namespace {

const std::wstring D = L"\\\\?\\D:";

// Every call a second and more after the one before, so that a flush is due at every line.
DWORD FakeTicks = 0;
DWORD WINAPI FastTicks() {
    FakeTicks += 2000;
    return FakeTicks;
}

// The header's flush passes; every later one fails as a share that went away does.
int FlushesLeft = 0;
BOOL WINAPI FlushThenFail(HANDLE) {
    if (FlushesLeft-- > 0) {
        return TRUE;
    }
    SetLastError(ERROR_UNEXP_NET_ERR);
    return FALSE;
}

int RunCommand(const std::vector<std::wstring>& arguments) {
    std::vector<const wchar_t*> argv = {L"rescindo-cli"};
    for (const std::wstring& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    ParsedArguments parsed =
        ParseArguments(static_cast<int>(argv.size()), argv.data(), Commands, CommandCount);
    EXPECT_EQ(parsed.verdict, ParsedCommand) << parsed.reason.size();
    return parsed.call.command->run(parsed.call);
}

TEST(JournalWriter, AFailedFlushStopsTheWalkAtOnceWithExitThree) {
    ClearTestDrives();
    for (const wchar_t* name : {L"\\a.txt 1-2 ", L"\\b.txt 3-4 ", L"\\c.txt 5-6 "}) {
        ASSERT_TRUE(WriteWhole(D + name, "x"));
    }
    FlushesLeft = 1;
    void* realFlush =
        ReplaceImport("kernel32.dll", "FlushFileBuffers", reinterpret_cast<void*>(&FlushThenFail));
    void* realTicks =
        ReplaceImport("kernel32.dll", "GetTickCount", reinterpret_cast<void*>(&FastTicks));
    ASSERT_NE(realFlush, nullptr);
    ASSERT_NE(realTicks, nullptr);
    int exitCode = RunCommand({L"restore", L"--quiet", L"--journal", L"D:\\journal.txt", L"D:"});
    ReplaceImport("kernel32.dll", "FlushFileBuffers", realFlush);
    ReplaceImport("kernel32.dll", "GetTickCount", realTicks);

    EXPECT_EQ(exitCode, ExitJournalFailed);
    // The first rename was made and its line written; nothing after it was renamed.
    EXPECT_TRUE(Exists(D + L"\\a.txt"));
    EXPECT_TRUE(Exists(D + L"\\b.txt 3-4 "));
    EXPECT_TRUE(Exists(D + L"\\c.txt 5-6 "));
    std::string journal = ReadWhole(D + L"\\journal.txt");
    EXPECT_NE(journal.find("a.txt 1-2 \t"), std::string::npos) << journal;
    EXPECT_EQ(journal.find("b.txt"), std::string::npos) << journal;
    ClearTestDrives();
}

} // namespace
