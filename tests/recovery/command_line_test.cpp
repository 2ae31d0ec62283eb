// The command-line copy, checked in a child process started with a known command line.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <string>

#include "recovery/file_utilities.h"
#include "tests/support/scratch_tree.h"

namespace {

const wchar_t ChildVariable[] = L"RESCINDO_COMMAND_LINE_CHILD";
const wchar_t ChildSwitch[] = L"--gtest_filter=CommandLine.ChildChecksItsBlock";
const wchar_t Phrase[] = L"a quoted phrase";

// Runs only in the child that CopiesIntoOneBlock starts; writes "pass" or what went wrong.
TEST(CommandLine, ChildChecksItsBlock) {
    wchar_t report[MAX_PATH];
    if (GetEnvironmentVariableW(ChildVariable, report, MAX_PATH) == 0) {
        GTEST_SKIP() << "runs as the child of CopiesIntoOneBlock";
    }
    int32_t count = -1;
    wchar_t* block = CopyCommandLine(&count);
    std::string verdict = "pass";
    wchar_t** slots = reinterpret_cast<wchar_t**>(block);
    wchar_t* strings = reinterpret_cast<wchar_t*>(slots + 3);
    if (count != 3) {
        verdict = "count " + std::to_string(count);
    } else if (slots[0] != strings || std::wcscmp(slots[0], L"d:\\cmdline\\child.exe") != 0) {
        verdict = "slot 0";
    } else if (slots[1] != slots[0] + std::wcslen(slots[0]) + 1 ||
               std::wcscmp(slots[1], ChildSwitch) != 0) {
        verdict = "slot 1";
    } else if (slots[2] != slots[1] + std::wcslen(slots[1]) + 1 ||
               std::wcscmp(slots[2], Phrase) != 0) {
        verdict = "slot 2";
    }
    delete[] block;
    WriteWhole(report, verdict.data(), verdict.size());
}

TEST(CommandLine, CopiesIntoOneBlock) {
    std::wstring folder = MakeScratchFolder(L"cmdline");
    wchar_t self[MAX_PATH];
    ASSERT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    // Wine names a program started from outside its drives "unix\...", reachable as "\\?\unix\...".
    std::wstring source =
        std::wcsncmp(self, L"unix\\", 5) == 0 ? L"\\\\?\\" + std::wstring(self) : self;
    std::wstring child = folder + L"child.exe";
    ASSERT_TRUE(CopyFileW(source.c_str(), child.c_str(), TRUE)) << GetLastError();
    std::wstring report = folder + L"report.txt";
    std::wstring commandLine = L"\"" + child + L"\" " + ChildSwitch + L" \"" + Phrase + L"\"";
    SetEnvironmentVariableW(ChildVariable, report.c_str());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessW(child.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                  nullptr, folder.c_str(), &startup, &process);
    SetEnvironmentVariableW(ChildVariable, nullptr);
    ASSERT_TRUE(started) << GetLastError();
    WaitForSingleObject(process.hProcess, 30000);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::string verdict;
    ASSERT_TRUE(ReadWhole(report, &verdict)) << "the child wrote no report";
    EXPECT_EQ(verdict, "pass");
    EXPECT_EQ(exitCode, 0u);
}

} // namespace
