// The shared rename on real folders: a damaged entry gets its name back in place, and is left as
// it is, losing nothing, when the rule leaves it, the name is taken or the platform refuses.
#include "unlock/restore_name.h"
#include "unlock/walk_limits.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/walk_record.h"
#include "tests/support/wide_text.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <string>

namespace {

class Restore : public FreshWalkRoot {
  protected:
    static void Walk(const std::wstring& directory) { WalkRecorded(directory); }
};

TEST_F(Restore, RestoredNameThatExistsLeavesBoth) {
    ASSERT_TRUE(WriteWhole(WalkRoot + L"\\report.doc", "kept"));
    ASSERT_TRUE(WriteWhole(WalkRoot + L"\\report.doc xx-yy ", "damaged"));
    ASSERT_TRUE(MakeFolder(WalkRoot + L"\\Folder"));
    ASSERT_TRUE(MakeFolder(WalkRoot + L"\\folder 1-2 "));
    Walk(WalkRoot);
    EXPECT_EQ(Walked.restored, 0);
    EXPECT_EQ(ReadWhole(WalkRoot + L"\\report.doc"), "kept");
    EXPECT_EQ(ReadWhole(WalkRoot + L"\\report.doc xx-yy "), "damaged");
    EXPECT_TRUE(IsFolder(WalkRoot + L"\\folder 1-2 "));
}

TEST_F(Restore, NamesTheRuleLeavesAlone) {
    // Empty and dot results, and names the pattern does not take.
    const wchar_t* names[] = {L" a-b ", L". a-b ",   L".. a-b ",  L"single-x ",
                              L"a b",   L"no-space", L"two words"};
    for (const wchar_t* name : names) {
        ASSERT_TRUE(WriteWhole(WalkRoot + L"\\" + name, "x")) << Utf8(name);
    }
    Walk(WalkRoot);
    EXPECT_EQ(Walked.restored, 0);
    for (const wchar_t* name : names) {
        EXPECT_TRUE(Exists(WalkRoot + L"\\" + name)) << Utf8(name);
    }
    // Called directly, a name with one space is not cut into its folder's name.
    ASSERT_TRUE(MakeFolder(WalkRoot + L"\\my dir"));
    ASSERT_TRUE(WriteWhole(WalkRoot + L"\\my dir\\single-x ", "x"));
    wchar_t restored[WalkPathCapacity];
    uint32_t error = 99;
    EXPECT_EQ(RestoreNameTo((WalkRoot + L"\\my dir\\single-x ").c_str(), restored, &error),
              RestoreLeftByRule);
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(restored[0], L'\0');
    EXPECT_EQ(RestoreNameTo((WalkRoot + L"\\my dir\\ a-b ").c_str(), restored, &error),
              RestoreLeftByRule);
    EXPECT_TRUE(Exists(WalkRoot + L"\\my dir\\single-x "));
    EXPECT_FALSE(Exists(WalkRoot + L"\\my"));
}

TEST_F(Restore, EntriesInUseOrReadOnlyLoseNothing) {
    ASSERT_TRUE(WriteWhole(WalkRoot + L"\\busy.txt a-b ", "busy"));
    ASSERT_TRUE(WriteWhole(WalkRoot + L"\\readonly.txt c-d ", "readonly"));
    ASSERT_TRUE(WriteWhole(WalkRoot + L"\\zz.txt e-f ", "last"));
    ASSERT_TRUE(
        SetFileAttributesW((WalkRoot + L"\\readonly.txt c-d ").c_str(), FILE_ATTRIBUTE_READONLY));
    // Held open without delete sharing, the file cannot be renamed.
    HANDLE busy = CreateFileW((WalkRoot + L"\\busy.txt a-b ").c_str(), GENERIC_READ,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    Walk(WalkRoot);
    CloseHandle(busy);
    EXPECT_EQ(ReadWhole(WalkRoot + L"\\busy.txt a-b "), "busy");
    EXPECT_FALSE(Exists(WalkRoot + L"\\busy.txt"));
    EXPECT_EQ(ReadWhole(WalkRoot + L"\\zz.txt"), "last");
    // A read-only file may be renamed; either way its contents are under one of its names.
    int readOnlyMoved = Exists(WalkRoot + L"\\readonly.txt");
    EXPECT_EQ(ReadWhole(WalkRoot + (readOnlyMoved ? L"\\readonly.txt" : L"\\readonly.txt c-d ")),
              "readonly");
    EXPECT_EQ(Walked.restored, 1 + readOnlyMoved);
}

// Each outcome as a front end is told it: the restored path, and the platform's error of a rename
// that was tried and did not happen.
TEST_F(Restore, EachOutcomeWithItsPathAndError) {
    wchar_t restored[WalkPathCapacity];
    uint32_t error = 99;
    ASSERT_TRUE(MakeFolder(WalkRoot + L"\\plans 1-2 "));
    ASSERT_TRUE(WriteWhole(WalkRoot + L"\\plans 1-2 \\a.txt", "inside"));
    EXPECT_EQ(RestoreNameTo((WalkRoot + L"\\plans 1-2 ").c_str(), restored, &error), RestoreDone);
    EXPECT_EQ(std::wstring(restored), WalkRoot + L"\\plans");
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(ReadWhole(WalkRoot + L"\\plans\\a.txt"), "inside");

    // Taken, also when only the case differs: both stay, the error says why.
    ASSERT_TRUE(WriteWhole(WalkRoot + L"\\Notes.txt", "kept"));
    ASSERT_TRUE(WriteWhole(WalkRoot + L"\\notes.txt a-b ", "damaged"));
    EXPECT_EQ(RestoreNameTo((WalkRoot + L"\\notes.txt a-b ").c_str(), restored, &error),
              RestoreNameTaken);
    EXPECT_EQ(error, static_cast<uint32_t>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(std::wstring(restored), WalkRoot + L"\\notes.txt");
    EXPECT_EQ(ReadWhole(WalkRoot + L"\\Notes.txt"), "kept");
    EXPECT_EQ(ReadWhole(WalkRoot + L"\\notes.txt a-b "), "damaged");

    // Gone since the walk listed it: refused, with the platform's reason.
    EXPECT_EQ(RestoreNameTo((WalkRoot + L"\\gone.txt a-b ").c_str(), restored, &error),
              RestoreRefused);
    EXPECT_EQ(error, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(Exists(WalkRoot + L"\\gone.txt"));
}

} // namespace
