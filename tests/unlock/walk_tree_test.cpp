// The shared walk on real folders of the mapped drives: every damaged name found and given back
// with its contents, folders after what they hold, paths at and past the walk's limit, and links
// that lead back into the walk.
#include "tests/support/import_hook.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/walk_record.h"
#include "tests/support/wide_text.h"
#include "unlock/name_rule.h"
#include "unlock/walk_tree.h"
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

void CountListings() {
    Listings.clear();
    RealFindFirst = reinterpret_cast<decltype(&FindFirstFileExW)>(ReplaceImport(
        "kernel32.dll", "FindFirstFileExW", reinterpret_cast<void*>(&CountedFindFirst)));
}

void StopCountingListings() {
    ReplaceImport("kernel32.dll", "FindFirstFileExW", reinterpret_cast<void*>(RealFindFirst));
}

// What the platform's own listing of the damaged-name pattern yields in folder, in its order, each
// entry shown as the walk record shows it.
std::vector<std::wstring> PatternListing(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE listing = FindFirstFileExW((folder + L"\\* *-* ").c_str(), FindExInfoStandard, &found,
                                      FindExSearchNameMatch, nullptr, 0);
    if (listing != INVALID_HANDLE_VALUE) {
        do {
            names.push_back(folder.substr(4) + L"\\" + found.cFileName);
        } while (FindNextFileW(listing, &found));
        FindClose(listing);
    }
    return names;
}

// Every folder is listed once, damaged or not: the damaged names are those the listing of every
// entry met (here a damaged folder's, the entry of its parent).
TEST_F(Walker, EveryFolderIsListedOnce) {
    ASSERT_TRUE(MakeFolder(Root + L"\\clean"));
    ASSERT_TRUE(WriteWhole(Root + L"\\clean\\a b.txt", "spaces but no suffix"));
    ASSERT_TRUE(WriteWhole(Root + L"\\clean\\c-d.txt", "a hyphen but no space"));
    ASSERT_TRUE(MakeFolder(Root + L"\\damaged a-b "));
    CountListings();
    ASSERT_NE(RealFindFirst, nullptr);
    Walk(Root);
    StopCountingListings();
    std::vector<std::wstring> expected = {Root + L"\\*.*", Root + L"\\clean\\*.*",
                                          Root + L"\\damaged a-b \\*.*"};
    EXPECT_EQ(Listings, expected);
    EXPECT_EQ(Walked.restored, 1);
    EXPECT_TRUE(IsFolder(Root + L"\\damaged"));
}

// The matches handed over are what the platform's listing of the pattern yields, in its order:
// names of either case, of other scripts, with spaces and hyphens that make no suffix, and a
// damaged folder after what it holds.
TEST_F(Walker, MatchesAreThoseOfThePatternsOwnListingInItsOrder) {
    const wchar_t* names[] = {L"b x-y ",
                              L"C c-d ",
                              L"a b-c ",
                              L"a b-c",
                              L"ab-cd ",
                              L"a b c ",
                              L"a- b ",
                              L" - ",
                              L"Z z-z  ",
                              L"x-y z-w ",
                              L"\x043e\x0442\x0447\x0451\x0442.doc \x0430\x0431-\x0432\x0433 ",
                              L"\x041e\x0422\x0427\x0401\x0422.DOC",
                              L"\xD83D\xDE00 smile.png e-f ",
                              L"plain.txt"};
    for (const wchar_t* name : names) {
        ASSERT_TRUE(WriteWhole(Root + L"\\" + name, "x")) << Utf8(name);
    }
    ASSERT_TRUE(MakeFolder(Root + L"\\m n-o "));
    ASSERT_TRUE(WriteWhole(Root + L"\\m n-o \\in p-q ", "in"));
    std::vector<std::wstring> expected = PatternListing(Root + L"\\m n-o ");
    std::vector<std::wstring> ownMatches = PatternListing(Root);
    ASSERT_EQ(expected.size(), 1u);
    ASSERT_EQ(ownMatches.size(), 9u);
    expected.insert(expected.end(), ownMatches.begin(), ownMatches.end());
    CountListings();
    ASSERT_NE(RealFindFirst, nullptr);
    Walk(Root);
    StopCountingListings();
    EXPECT_EQ(Walked.matches, expected);
    EXPECT_EQ(Listings, (std::vector<std::wstring>{Root + L"\\*.*", Root + L"\\m n-o \\*.*"}));
    // " - " would lose its whole name, and the Cyrillic name restored is taken in capitals.
    EXPECT_EQ(Walked.restored, 8);
    EXPECT_TRUE(Exists(Root + L"\\ - "));
    EXPECT_TRUE(Exists(Root + L"\\\x043e\x0442\x0447\x0451\x0442.doc \x0430\x0431-\x0432\x0433 "));
    EXPECT_TRUE(Exists(Root + L"\\a b-c"));
    EXPECT_TRUE(Exists(Root + L"\\ab-cd "));
    EXPECT_TRUE(IsFolder(Root + L"\\m"));
}

// A walk that renames nothing: it records the matches, by their long paths, and at each asks
// ListingMayHoldName about every path of Probes.
struct ProbeRecord {
    std::vector<std::wstring> probes;
    std::vector<std::wstring> matches;
    std::vector<std::vector<int>> answers; // one row per match, one answer per probe
};
ProbeRecord Probed;

void Ignore(const wchar_t*) {}
void IgnoreFile(uint32_t, uint32_t) {}
void IgnoreTooLong(const wchar_t*, const wchar_t*, int) {}
void ProbeAtMatch(const wchar_t* path) {
    Probed.matches.push_back(path);
    std::vector<int> answers;
    for (const std::wstring& probe : Probed.probes) {
        answers.push_back(ListingMayHoldName(probe.c_str()));
    }
    Probed.answers.push_back(answers);
}
const WalkReport ProbingReport = {Ignore,  IgnoreFile, ProbeAtMatch, IgnoreTooLong,
                                  nullptr, nullptr,    nullptr};

void WalkProbing(const std::wstring& directory, const std::vector<std::wstring>& probes) {
    Probed = ProbeRecord();
    Probed.probes = probes;
    ForgetLinkTargets();
    WalkTree(directory.c_str(), SuffixPattern, &ProbingReport);
}

std::vector<std::wstring> LongPaths(const std::vector<std::wstring>& shown) {
    std::vector<std::wstring> paths;
    for (const std::wstring& path : shown) {
        paths.push_back(L"\\\\?\\" + path);
    }
    return paths;
}

// While a folder's matches are handed over, the names no entry of it can bear are told apart
// from those the system must be asked about: ASCII names but for case, short names, names of
// other scripts whose case rules or normal forms may meet ASCII ones, and names whose trailing
// dots some systems drop, may all be borne; and the walk cannot tell for another folder, for
// names outside plain ASCII, or when no folder is being handed over.
TEST_F(Walker, TheListingTellsWhichNamesNoEntryCanBear) {
    for (const wchar_t* name : {L"Readme.TXT", L"a long file name.txt", L"f\x0131le.txt",
                                L"plain.txt", L"dots...", L"x a-b "}) {
        ASSERT_TRUE(WriteWhole(Root + L"\\" + name, "x")) << Utf8(name);
    }
    ASSERT_TRUE(MakeFolder(Root + L"\\sub"));
    WIN32_FIND_DATAW found;
    HANDLE listing = FindFirstFileW((Root + L"\\a long file name.txt").c_str(), &found);
    ASSERT_NE(listing, INVALID_HANDLE_VALUE);
    FindClose(listing);
    std::wstring shortName = found.cAlternateFileName;
    const struct {
        std::wstring path;
        int mayBe;
    } probes[] = {
        {Root + L"\\README.txt", 1},
        {Root + L"\\readme.txt", 1},
        {Root + L"\\" + (shortName.empty() ? L"Readme.TXT" : shortName), 1},
        {Root + L"\\FILE.TXT", 1},
        {Root + L"\\fle.txt", 1},
        {Root + L"\\fiile.txt", 1},
        {Root + L"\\x a-b", 1},
        {Root + L"\\dots", 1},
        {Root + L"\\plain.txt", 1},
        {Root + L"\\SUB", 1},
        {Root + L"\\x", 0},
        {Root + L"\\fe.txt", 0},
        {Root + L"\\plain.tx", 0},
        {Root + L"\\report.doc", 0},
        {Root + L"\\fil.txt", 0},
        {Root + L"\\x (2)", 0},
        {Root + L"\\x.", 1},
        {Root + L"\\x ", 1},
        {Root + L"\\\x00e9.txt", 1},
        {Root + L"\\sub\\x", 1},
        {L"\\\\?\\D:\\elsewhere\\x", 1},
    };
    std::vector<std::wstring> paths;
    for (const auto& probe : probes) {
        paths.push_back(probe.path);
    }
    WalkProbing(Root, paths);
    ASSERT_EQ(Probed.matches, std::vector<std::wstring>{Root + L"\\x a-b "});
    for (size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(Probed.answers[0][i], probes[i].mayBe) << Utf8(paths[i]);
    }
    EXPECT_EQ(ListingMayHoldName((Root + L"\\x").c_str()), 1) << "after the walk";
}

// A folder whose names do not all fit in what the walk holds keeps its matches, those met before
// the room ran out and after, and is listed once; the system is then asked about every name.
TEST_F(Walker, AFolderOfMoreNamesThanTheWalkHoldsKeepsItsMatches) {
    std::wstring big = Root + L"\\big";
    ASSERT_TRUE(MakeFolder(big));
    ASSERT_TRUE(WriteWhole(big + L"\\a x-y ", "a"));
    for (int i = 0; i < 560; ++i) {
        ASSERT_TRUE(
            WriteWhole(big + L"\\" + std::wstring(240, L'n') + std::to_wstring(1000 + i), "n"))
            << i;
    }
    ASSERT_TRUE(WriteWhole(big + L"\\z x-y ", "z"));
    std::vector<std::wstring> expected = LongPaths(PatternListing(big));
    ASSERT_EQ(expected.size(), 2u);
    CountListings();
    ASSERT_NE(RealFindFirst, nullptr);
    WalkProbing(Root, {big + L"\\nothing"});
    StopCountingListings();
    EXPECT_EQ(Probed.matches, expected);
    EXPECT_EQ(Probed.answers, (std::vector<std::vector<int>>{{1}, {1}}));
    EXPECT_EQ(Listings, (std::vector<std::wstring>{Root + L"\\*.*", big + L"\\*.*"}));
}

// A folder whose damaged names do not all fit in what the walk holds of them is listed again for
// them, and every one is still handed over in the listing's order; the folder after it is
// listed once.
TEST_F(Walker, MoreDamagedNamesThanTheWalkHoldsAreListedAgain) {
    std::wstring many = Root + L"\\many";
    ASSERT_TRUE(MakeFolder(many));
    const int count = 560;
    for (int i = 0; i < count; ++i) {
        std::wstring name = std::wstring(240, L'n') + std::to_wstring(1000 + i) + L" x-y ";
        ASSERT_TRUE(WriteWhole(many + L"\\" + name, "x")) << i;
    }
    ASSERT_TRUE(MakeFolder(Root + L"\\next"));
    ASSERT_TRUE(WriteWhole(Root + L"\\next\\one a-b ", "one"));
    std::vector<std::wstring> expected = PatternListing(many);
    ASSERT_EQ(expected.size(), static_cast<size_t>(count));
    std::vector<std::wstring> next = PatternListing(Root + L"\\next");
    expected.insert(expected.end(), next.begin(), next.end());
    CountListings();
    ASSERT_NE(RealFindFirst, nullptr);
    Walk(Root);
    StopCountingListings();
    EXPECT_EQ(Walked.matches, expected);
    EXPECT_EQ(Walked.restored, count + 1);
    EXPECT_EQ(Listings, (std::vector<std::wstring>{Root + L"\\*.*", many + L"\\*.*",
                                                   many + L"\\* *-* ", Root + L"\\next\\*.*"}));
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
