// The long form of every kind of path a person or a file dialog gives, under Wine on mapped
// drives; whether one path lies within another; and the key by which names are the same entry's.
#include "unlock/path_forms.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/wide_text.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdint>
#include <string>

namespace {

const size_t Capacity = 1024;

struct FormCase {
    const wchar_t* path;
    LongFormResult result;
    const wchar_t* longForm; // when made
    int32_t shareRoot;
};

// From the current folder D:\walk\sub.
const FormCase Forms[] = {
    // A drive alone is its root, not the current folder there.
    {L"D:", LongFormMade, L"\\\\?\\D:", 0},
    {L"D:\\", LongFormMade, L"\\\\?\\D:", 0},
    {L"D:\\\\", LongFormMade, L"\\\\?\\D:", 0},
    {L"D:\\walk\\", LongFormMade, L"\\\\?\\D:\\walk", 0},
    {L"D:/walk/sub/", LongFormMade, L"\\\\?\\D:\\walk\\sub", 0},
    {L"D:\\walk\\.\\sub\\..\\sub", LongFormMade, L"\\\\?\\D:\\walk\\sub", 0},
    // Relative to the current folder, above it, and to the current drive's root.
    {L"x", LongFormMade, L"\\\\?\\D:\\walk\\sub\\x", 0},
    {L".", LongFormMade, L"\\\\?\\D:\\walk\\sub", 0},
    {L"..\\x", LongFormMade, L"\\\\?\\D:\\walk\\x", 0},
    {L"..\\..\\..\\..", LongFormMade, L"\\\\?\\D:", 0},
    {L"\\other", LongFormMade, L"\\\\?\\D:\\other", 0},
    // A network share and below it; a share alone is opened with its separator.
    {L"\\\\server\\share\\x", LongFormMade, L"\\\\?\\UNC\\server\\share\\x", 0},
    {L"\\\\server\\share", LongFormMade, L"\\\\?\\UNC\\server\\share", 1},
    {L"\\\\server\\share\\", LongFormMade, L"\\\\?\\UNC\\server\\share", 1},
    {L"//server/share/x/", LongFormMade, L"\\\\?\\UNC\\server\\share\\x", 0},
    {L"\\\\server", LongFormNotOnDrive, nullptr, 0},
    {L"\\\\server\\", LongFormNotOnDrive, nullptr, 0},
    // Already long: literally, trailing spaces and all, only trailing separators cut.
    {L"\\\\?\\D:\\a b-c ", LongFormMade, L"\\\\?\\D:\\a b-c ", 0},
    {L"\\\\?\\D:\\a b-c \\", LongFormMade, L"\\\\?\\D:\\a b-c ", 0},
    {L"\\\\?\\D:\\", LongFormMade, L"\\\\?\\D:", 0},
    {L"\\\\?\\D:", LongFormMade, L"\\\\?\\D:", 0},
    {L"\\\\?\\UNC\\server\\share\\x ", LongFormMade, L"\\\\?\\UNC\\server\\share\\x ", 0},
    {L"\\\\?\\UNC\\server\\share", LongFormMade, L"\\\\?\\UNC\\server\\share", 1},
    {L"\\\\?\\UNC\\server", LongFormNotOnDrive, nullptr, 0},
    {L"\\\\?\\D:x", LongFormNotOnDrive, nullptr, 0},
    {L"\\\\?\\1:\\x", LongFormNotOnDrive, nullptr, 0},
    {L"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1\\x", LongFormNotOnDrive, nullptr, 0},
    {L"\\\\?\\Volume{00000000-0000-0000-0000-000000000000}\\", LongFormNotOnDrive, nullptr, 0},
    // Devices are no files or folders.
    {L"\\\\.\\D:", LongFormDevice, nullptr, 0},
    {L"\\\\.\\PhysicalDrive0", LongFormDevice, nullptr, 0},
    {L"//./D:", LongFormDevice, nullptr, 0},
};

class PathForms : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearTestDrives();
        ASSERT_TRUE(MakeFolder(L"D:\\walk"));
        ASSERT_TRUE(MakeFolder(L"D:\\walk\\sub"));
        ASSERT_TRUE(SetCurrentDirectoryW(L"D:\\walk\\sub"));
    }
    // Out of D:, whose folders the next test makes afresh: a current folder cannot be removed.
    void TearDown() override {
        SetCurrentDirectoryW(L"C:\\");
        ClearTestDrives();
    }
};

TEST_F(PathForms, EveryFormOfPath) {
    for (const FormCase& c : Forms) {
        wchar_t out[Capacity];
        int32_t shareRoot = -1;
        uint32_t error = 99;
        LongFormResult result = LongFormOf(c.path, out, Capacity, &shareRoot, &error);
        SCOPED_TRACE(Utf8(c.path));
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(error, 0u);
        EXPECT_EQ(shareRoot, c.shareRoot);
        if (c.result == LongFormMade) {
            EXPECT_EQ(Utf8(out), Utf8(c.longForm));
        }
    }
}

TEST_F(PathForms, WhatDoesNotFitOrCannotBeMade) {
    wchar_t out[Capacity];
    int32_t shareRoot = 0;
    uint32_t error = 0;
    // The long form needs one more character than the buffer has, then exactly fits.
    EXPECT_EQ(LongFormOf(L"D:\\walk", out, 11, &shareRoot, &error), LongFormTooLong);
    EXPECT_EQ(LongFormOf(L"D:\\walk", out, 12, &shareRoot, &error), LongFormMade);
    EXPECT_EQ(std::wstring(out), L"\\\\?\\D:\\walk");
    EXPECT_EQ(LongFormOf(L"\\\\?\\D:\\walk", out, 11, &shareRoot, &error), LongFormTooLong);
    EXPECT_EQ(LongFormOf(L"D:\\walk", out, 0, &shareRoot, &error), LongFormTooLong);
    // A typed path longer than any the walk takes, and a long one that the walk's buffer holds.
    std::wstring typed = L"D:\\" + std::wstring(1100, L'p');
    EXPECT_EQ(LongFormOf(typed.c_str(), out, Capacity, &shareRoot, &error), LongFormTooLong);
    std::wstring fits = L"D:\\" + std::wstring(1000, L'p');
    EXPECT_EQ(LongFormOf(fits.c_str(), out, Capacity, &shareRoot, &error), LongFormMade);
    EXPECT_EQ(std::wstring(out), L"\\\\?\\" + fits);
    // Nothing at all: the system says why.
    EXPECT_EQ(LongFormOf(L"", out, Capacity, &shareRoot, &error), LongFormRefused);
    EXPECT_NE(error, 0u);
}

TEST(LiesWithin, BelowOrTheSameNamesComparedAsTheFileSystemDoes) {
    const struct {
        const wchar_t* inner;
        const wchar_t* outer;
        int within;
    } cases[] = {
        {L"\\\\?\\D:\\a\\b", L"\\\\?\\D:\\a", 1},
        {L"\\\\?\\D:\\a", L"\\\\?\\D:\\a", 1},
        {L"\\\\?\\D:\\a\\b\\c", L"\\\\?\\D:", 1},
        {L"\\\\?\\D:", L"\\\\?\\D:", 1},
        {L"\\\\?\\d:\\A\\B", L"\\\\?\\D:\\a", 1},
        {L"\\\\?\\D:\\\x00C4\\x", L"\\\\?\\D:\\\x00E4", 1},
        {L"\\\\?\\D:\\\x041E\x0422\x0427\\x", L"\\\\?\\D:\\\x043E\x0442\x0447", 1},
        {L"\\\\?\\UNC\\srv\\share\\x", L"\\\\?\\UNC\\srv\\share", 1},
        // A longer name, a trailing space, a sibling, the outer below the inner, another drive.
        {L"\\\\?\\D:\\ab", L"\\\\?\\D:\\a", 0},
        {L"\\\\?\\D:\\a \\x", L"\\\\?\\D:\\a", 0},
        {L"\\\\?\\D:\\b", L"\\\\?\\D:\\a", 0},
        {L"\\\\?\\D:\\a", L"\\\\?\\D:\\a\\b", 0},
        {L"\\\\?\\E:\\a", L"\\\\?\\D:\\a", 0},
        {L"\\\\?\\D:\\a", L"\\\\?\\D:\\b", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LiesWithin(c.inner, c.outer), c.within)
            << Utf8(c.inner) << " within " << Utf8(c.outer);
    }
}

std::wstring KeyOf(const wchar_t* text) {
    wchar_t key[64];
    return CaseKeyOf(text, key, 64) ? std::wstring(key) : L"<does not fit>";
}

TEST(CaseKey, NamesThatDifferInCaseAloneHaveOneKey) {
    EXPECT_EQ(KeyOf(L"Report.doc"), KeyOf(L"REPORT.DOC"));
    EXPECT_EQ(KeyOf(L"report.doc"), L"REPORT.DOC");
    EXPECT_EQ(KeyOf(L"\x043e\x0442\x0447\x0451\x0442"), L"\x041e\x0422\x0427\x0401\x0422");
    EXPECT_EQ(KeyOf(L"caf\x00e9"), KeyOf(L"CAF\x00c9"));
    EXPECT_EQ(KeyOf(L"a b-c "), L"A B-C ");
    EXPECT_EQ(KeyOf(L""), L"");
    // Names that differ in more than case keep apart.
    EXPECT_NE(KeyOf(L"a b-c "), KeyOf(L"a b-c"));
    EXPECT_NE(KeyOf(L"report.doc"), KeyOf(L"rep0rt.doc"));
    EXPECT_NE(KeyOf(L"caf\x00e9"), KeyOf(L"cafe"));
    // A surrogate without its partner stays as it is.
    EXPECT_EQ(KeyOf(Units({0x61, 0xD800, 0x62}).c_str()), Units({0x41, 0xD800, 0x42}));
}

TEST(CaseKey, TextThatDoesNotFitIsRefused) {
    wchar_t key[4] = {L'#', L'#', L'#', L'#'};
    EXPECT_EQ(CaseKeyOf(L"abc", key, 4), 1);
    EXPECT_EQ(std::wstring(key), L"ABC");
    EXPECT_EQ(CaseKeyOf(L"abcd", key, 4), 0);
    EXPECT_EQ(CaseKeyOf(L"a", key, 1), 0);
}

// An empty text is refused for a key of no capacity, as a longer one is: no terminator is written
// past the buffer.
TEST(CaseKey, NothingIsWrittenIntoABufferOfNoCapacity) {
    wchar_t key[2] = {L'#', L'#'};
    EXPECT_EQ(CaseKeyOf(L"", key, 0), 0);
    EXPECT_EQ(key[0], L'#');
}

} // namespace
