// The trees of the command tests: see tests/cli/command_trees.h.
#include "tests/cli/command_trees.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/wide_text.h"

const std::wstring D = L"\\\\?\\D:";
const std::wstring E = L"\\\\?\\E:";

void CleanDrives::SetUp() {
    ClearTestDrives();
}

void CleanDrives::TearDown() {
    ClearTestDrives();
}

void MakeFile(const std::wstring& path) {
    ASSERT_TRUE(MakeFileHoldingItsPath(path)) << Utf8(path);
}

std::wstring MakeLongFolder() {
    std::wstring folder = D + L"\\long";
    EXPECT_TRUE(MakeFolder(folder));
    while (folder.size() < 700) {
        folder += L"\\" + std::wstring(200, L'p');
        EXPECT_TRUE(MakeFolder(folder));
    }
    return folder;
}

std::wstring NameForLength(const std::wstring& folder, size_t length, const std::wstring& tail) {
    return std::wstring(length - folder.size() - 1 - tail.size(), L'n') + tail;
}

void MakeJournalTree() {
    ASSERT_TRUE(MakeFolder(D + L"\\photos ab-cd "));
    ASSERT_TRUE(MakeFolder(D + L"\\photos ab-cd \\2024 1-2 "));
    for (const wchar_t* name :
         {L"\\photos ab-cd \\a.jpg ab-cd ", L"\\photos ab-cd \\2024 1-2 \\b.jpg 3-4 ",
          L"\\photos ab-cd \\keep.jpg", L"\\notes  x-y ", L"\\report.doc id-7F3A ",
          L"\\\x043e\x0442\x0447\x0451\x0442.doc \x0430\x0431-\x0432\x0433 ",
          L"\\\xD83D\xDE00 smile.png e-f ", L"\\zz.txt 5-6 "}) {
        MakeFile(D + name);
    }
}

void MakeScopeTree() {
    ASSERT_TRUE(MakeFolder(D + L"\\a"));
    ASSERT_TRUE(MakeFolder(D + L"\\b"));
    MakeFile(D + L"\\a\\x a-b ");
    MakeFile(D + L"\\b\\y a-b ");
    MakeFile(E + L"\\z a-b ");
}
