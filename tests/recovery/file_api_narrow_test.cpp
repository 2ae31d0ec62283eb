// The narrow conversion for the file functions follows their code page, ANSI or OEM.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "recovery/file_utilities.h"

namespace {

TEST(FileApiNarrow, FollowsTheFileApiCodePage) {
    // U+00E9 and a decomposed e + U+0301, which the composite check joins into one character.
    const wchar_t text[] = L"caf\u00e9 e\u0301";
    char expectedAnsi[16] = {}, expectedOem[16] = {}, got[16] = {};
    const DWORD flags = WC_COMPOSITECHECK | WC_SEPCHARS;
    int ansiLength =
        WideCharToMultiByte(CP_ACP, flags, text, -1, expectedAnsi, 16, nullptr, nullptr);
    int oemLength =
        WideCharToMultiByte(CP_OEMCP, flags, text, -1, expectedOem, 16, nullptr, nullptr);
    ASSERT_GT(ansiLength, 0);
    ASSERT_NE(std::string(expectedAnsi), std::string(expectedOem))
        << "code pages " << GetACP() << " and " << GetOEMCP() << " agree on the test text";

    ASSERT_TRUE(AreFileApisANSI());
    EXPECT_EQ(ToFileApiNarrow(text, -1, got, 16), ansiLength);
    EXPECT_STREQ(got, expectedAnsi);
    EXPECT_EQ(ToFileApiNarrow(text, -1, nullptr, 0), ansiLength);

    SetFileApisToOEM();
    std::memset(got, 0, sizeof got);
    int oemGot = ToFileApiNarrow(text, -1, got, 16);
    SetFileApisToANSI();
    EXPECT_EQ(oemGot, oemLength);
    EXPECT_STREQ(got, expectedOem);

    EXPECT_EQ(ToFileApiNarrow(text, -1, got, 2), 0); // too small: the conversion fails
}

} // namespace
