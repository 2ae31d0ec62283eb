// The shared walk on real folders of the mapped drives: every damaged name found and given back
// with its contents, folders after what they hold, paths at and past the walk's limit, and links
// that lead back into the walk.
#include "tests/support/import_hook.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/walk_record.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>
#include <cstdint>
#include <string>
#include <vector>

namespace {

const std::wstring Root = WalkRoot;

class Walker : public FreshWalkRoot {
  protected:
    static void Walk(const std::wstring& directory) { WalkRecorded(directory); }
};

struct Rename {
    const wchar_t* before;
    const wchar_t* after;
};

// The rule's worked examples, plus names with several spaces and Unicode names.
const Rename Renames[] = {
    {L"report.doc xx-yy ", L"report.doc"},
    {L"my file.txt 12-34 ", L"my file.txt"},
    {L"a b c-d ", L"a b"},
    {L"x-y z-w ", L"x-y"},
    {L"notes  x-y ", L"notes "},
    {L"one two three.txt q-r ", L"one two three.txt"},
    {L"\x043e\x0442\x0447\x0451\x0442.doc \x0430\x0431-\x0432\x0433 ",
     L"\x043e\x0442\x0447\x0451\x0442.doc"},
    {L"\x5199\x771f 1.jpg 7-8 ", L"\x5199\x771f 1.jpg"},
    {L"\xD83D\xDE00 smile.png e-f ", L"\xD83D\xDE00 smile.png"},
};

TEST_F(Walker, RestoresEveryExampleNameKeepingContents) {
    for (const Rename& r : Renames) {
        ASSERT_TRUE(WriteWhole(Root + L"\\" + r.before, Utf8(r.before))) << Utf8(r.before);
    }
    Walk(Root);
    EXPECT_EQ(Walked.restored, static_cast<int32_t>(sizeof(Renames) / sizeof(Renames[0])));
    for (const Rename& r : Renames) {
        EXPECT_FALSE(Exists(Root + L"\\" + r.before)) << Utf8(r.before);
        EXPECT_EQ(ReadWhole(Root + L"\\" + r.after), Utf8(r.before)) << Utf8(r.after);
    }
}

TEST_F(Walker, DamagedFolderIsRestoredAfterItsContents) {
    std::wstring outer = Root + L"\\photos ab-cd ";
    ASSERT_TRUE(MakeFolder(outer));
    ASSERT_TRUE(WriteWhole(outer + L"\\a.jpg ab-cd ", "jpeg"));
    ASSERT_TRUE(MakeFolder(outer + L"\\inner 1-2 "));
    ASSERT_TRUE(WriteWhole(outer + L"\\inner 1-2 \\deep.txt 3-4 ", "deep"));
    ASSERT_TRUE(WriteWhole(outer + L"\\plain.txt", "plain"));
    Walk(Root);
    EXPECT_EQ(Walked.restored, 4);
    EXPECT_TRUE(IsFolder(Root + L"\\photos"));
    EXPECT_EQ(ReadWhole(Root + L"\\photos\\a.jpg"), "jpeg");
    EXPECT_EQ(ReadWhole(Root + L"\\photos\\inner\\deep.txt"), "deep");
    EXPECT_EQ(ReadWhole(Root + L"\\photos\\plain.txt"), "plain");
    EXPECT_FALSE(Exists(outer));
    // The folder was walked under its damaged name, and restored after everything in it, the
    // deepest first.
    EXPECT_EQ(Walked.entered, (std::vector<std::wstring>{L"D:\\walk", L"D:\\walk\\photos ab-cd ",
                                                         L"D:\\walk\\photos ab-cd \\inner 1-2 "}));
    EXPECT_EQ(Walked.matches,
              (std::vector<std::wstring>{L"D:\\walk\\photos ab-cd \\inner 1-2 \\deep.txt 3-4 ",
                                         L"D:\\walk\\photos ab-cd \\a.jpg ab-cd ",
                                         L"D:\\walk\\photos ab-cd \\inner 1-2 ",
                                         L"D:\\walk\\photos ab-cd "}));
    EXPECT_EQ(Walked.files, 3);
}

// Every listing the walk opens, by its search path.
std::vector<std::wstring> Listings;
decltype(&FindFirstFileExW) RealFindFirst = nullptr;
HANDLE WINAPI CountedFindFirst(LPCWSTR path, FINDEX_INFO_LEVELS level, LPVOID found,
                               FINDEX_SEARCH_OPS search, LPVOID filter, DWORD flags) {
    Listings.push_back(path);
    return RealFindFirst(path, level, found, search, filter, flags);
}

// A folder none of whose names could be damaged is listed once; one holding a damaged name (here
// a damaged folder's, the entry of its parent) twice.
TEST_F(Walker, AFolderWithNothingDamagedIsListedOnce) {
    ASSERT_TRUE(MakeFolder(Root + L"\\clean"));
    ASSERT_TRUE(WriteWhole(Root + L"\\clean\\a b.txt", "spaces but no suffix"));
    ASSERT_TRUE(WriteWhole(Root + L"\\clean\\c-d.txt", "a hyphen but no space"));
    ASSERT_TRUE(MakeFolder(Root + L"\\damaged a-b "));
    Listings.clear();
    RealFindFirst = reinterpret_cast<decltype(&FindFirstFileExW)>(ReplaceImport(
        "kernel32.dll", "FindFirstFileExW", reinterpret_cast<void*>(&CountedFindFirst)));
    ASSERT_NE(RealFindFirst, nullptr);
    Walk(Root);
    ReplaceImport("kernel32.dll", "FindFirstFileExW", reinterpret_cast<void*>(RealFindFirst));
    std::vector<std::wstring> expected = {Root + L"\\*.*", Root + L"\\clean\\*.*",
                                          Root + L"\\damaged a-b \\*.*", Root + L"\\* *-* "};
    EXPECT_EQ(Listings, expected);
    EXPECT_EQ(Walked.restored, 1);
    EXPECT_TRUE(IsFolder(Root + L"\\damaged"));
}

TEST_F(Walker, LongPathsAreWalkedOrSkippedWhole) {
    // Folders of 200 characters down to a path of just over 1000 characters.
    std::wstring folder = Root;
    while (folder.size() < 700) {
        folder += L"\\" + std::wstring(200, L'p');
        ASSERT_TRUE(MakeFolder(folder)) << folder.size();
    }
    std::wstring fits = L"f 1-2 ";
    fits = std::wstring(1023 - folder.size() - 1 - fits.size(), L'n') + fits;
    ASSERT_EQ(folder.size() + 1 + fits.size(), 1023u);
    ASSERT_TRUE(WriteWhole(folder + L"\\" + fits, "fits"));
    // A file whose path would need 1028 characters is skipped, not cut short.
    std::wstring inner = folder + L"\\" + std::wstring(1014 - folder.size(), L'q');
    ASSERT_TRUE(MakeFolder(inner));
    ASSERT_TRUE(WriteWhole(inner + L"\\toolong x-y ", "long"));
    Walk(Root);
    EXPECT_EQ(Walked.restored, 1);
    std::wstring restored = folder + L"\\" + fits.substr(0, fits.size() - 5);
    EXPECT_EQ(ReadWhole(restored), "fits");
    EXPECT_EQ(ReadWhole(inner + L"\\toolong x-y "), "long");
    EXPECT_EQ(Walked.tooLong, std::vector<std::wstring>{L"toolong x-y "});
}

// G: holds links back to G:\loop and to G:\ from inside G:\loop, and one to G:\target
// (see make-links.sh: Wine cannot make them from this side).
class LinkWalk : public Walker {
  protected:
    void SetUp() override {
        Walker::SetUp();
        if (!IsFolder(L"\\\\?\\G:\\loop\\a\\back\\a")) {
            GTEST_SKIP() << "drive G: with its links is not prepared";
        }
        ASSERT_TRUE(WriteWhole(L"\\\\?\\G:\\target\\far 1-2 ", "far"));
        ASSERT_TRUE(WriteWhole(L"\\\\?\\G:\\loop\\a\\near 3-4 ", "near"));
    }
    void TearDown() override {
        DeleteFileW(L"\\\\?\\G:\\loop\\a\\near");
        DeleteFileW(L"\\\\?\\G:\\target\\far");
        DeleteFileW(L"\\\\?\\G:\\target\\far 1-2 ");
        Walker::TearDown();
    }
    // On a thread with the worker's stack: a loop the guard missed would end there, at the path
    // limit, instead of overflowing the test's own stack.
    static void WalkDriveG(void*) { WalkRecorded(L"\\\\?\\G:"); }
};

TEST_F(LinkWalk, LoopsEndAndOtherLinksAreWalked) {
    RunOnWalkStack(WalkDriveG, nullptr);
    EXPECT_EQ(Walked.restored, 2);
    EXPECT_EQ(ReadWhole(L"\\\\?\\G:\\loop\\a\\near"), "near");
    EXPECT_EQ(ReadWhole(L"\\\\?\\G:\\target\\far"), "far");
    // The links back are not entered; the link elsewhere is, and its target again on its own.
    EXPECT_EQ(Walked.entered, (std::vector<std::wstring>{L"G:", L"G:\\loop", L"G:\\loop\\a",
                                                         L"G:\\loop\\a\\away", L"G:\\target"}));
}

BOOL WINAPI NoFileIdInfo(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

TEST_F(LinkWalk, LoopsEndWhereTheSystemHasNo128BitFileIds) {
    // As on Windows 7: the identity falls back to the volume serial and 64-bit file index.
    void* original = ReplaceImport("kernel32.dll", "GetFileInformationByHandleEx",
                                   reinterpret_cast<void*>(NoFileIdInfo));
    ASSERT_NE(original, nullptr);
    RunOnWalkStack(WalkDriveG, nullptr);
    ReplaceImport("kernel32.dll", "GetFileInformationByHandleEx", original);
    EXPECT_EQ(Walked.restored, 2);
    EXPECT_EQ(Walked.entered, (std::vector<std::wstring>{L"G:", L"G:\\loop", L"G:\\loop\\a",
                                                         L"G:\\loop\\a\\away", L"G:\\target"}));
}

using CreateFileFunction = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD,
                                           DWORD, HANDLE);
CreateFileFunction OriginalCreateFile = nullptr;

// The link G:\loop\a\away cannot be opened to read its identity; everything else opens as usual.
HANDLE WINAPI AwayCannotBeOpened(LPCWSTR path, DWORD access, DWORD share,
                                 LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                 HANDLE templateFile) {
    std::wstring name = path;
    if (name.size() >= 5 && name.compare(name.size() - 5, 5, L"\\away") == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return OriginalCreateFile(path, access, share, security, disposition, flags, templateFile);
}

TEST_F(LinkWalk, LinkWhoseTargetCannotBeIdentifiedIsNotEntered) {
    OriginalCreateFile = reinterpret_cast<CreateFileFunction>(
        ReplaceImport("kernel32.dll", "CreateFileW", reinterpret_cast<void*>(AwayCannotBeOpened)));
    ASSERT_NE(OriginalCreateFile, nullptr);
    RunOnWalkStack(WalkDriveG, nullptr);
    ReplaceImport("kernel32.dll", "CreateFileW", reinterpret_cast<void*>(OriginalCreateFile));
    // Whether it leads back cannot be told, so it is left; its target is still walked on its own.
    EXPECT_EQ(Walked.entered,
              (std::vector<std::wstring>{L"G:", L"G:\\loop", L"G:\\loop\\a", L"G:\\target"}));
    EXPECT_EQ(Walked.restored, 2);
}

} // namespace
