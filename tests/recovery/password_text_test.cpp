// A typed password to its key, through the code page of the file functions: every verdict, the
// key being that of the code page's bytes, and the UTF-8 code page (Windows' "Unicode UTF-8 for
// worldwide language support"), where the conversion takes no flags.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "recovery/key_select.h"
#include "recovery/password_key.h"
#include "recovery/password_text.h"
#include "tests/recovery/cipher_state_reset.h"
#include "tests/support/import_hook.h"

namespace {

// The Blowfish state DerivePasswordKey makes of these bytes.
BlowfishState KeyOfBytes(const char* bytes) {
    StartCipherStateAfresh();
    EXPECT_EQ(DerivePasswordKey(bytes), 1);
    return ProcessBlowfish;
}

bool SameState(const BlowfishState& first, const BlowfishState& second) {
    return std::memcmp(&first, &second, sizeof first) == 0;
}

TEST(PasswordText, WhatCannotBeAKeyIsRefusedAndChangesNothing) {
    const struct {
        const wchar_t* text;
        int32_t length;
        PasswordVerdict verdict;
        int32_t bytes;
    } cases[] = {
        {L"", 0, PasswordEmpty, 0},
        {L"ab\0cd", 5, PasswordHoldsNul, 0},
        {L"thirty-two bytes of a password!!", 32, PasswordTooLong, 32},
        {L"thirty-one bytes of a password!", 31, PasswordKeyed, 31},
    };
    for (const auto& c : cases) {
        StartCipherStateAfresh();
        BlowfishState before = ProcessBlowfish;
        int32_t bytes = -1;
        EXPECT_EQ(KeyFromPasswordText(c.text, c.length, &bytes), c.verdict) << c.length;
        EXPECT_EQ(bytes, c.bytes) << c.length;
        EXPECT_EQ(SameState(ProcessBlowfish, before), c.verdict != PasswordKeyed) << c.length;
    }
}

TEST(PasswordText, TheKeyIsThatOfTheCodePagesBytes) {
    const wchar_t text[] = L"\u00e9t\u00e9 \u00e0 Paris";
    char bytes[64] = {};
    ASSERT_GT(WideCharToMultiByte(GetACP(), 0, text, -1, bytes, sizeof bytes, nullptr, nullptr), 0);
    BlowfishState expected = KeyOfBytes(bytes);
    StartCipherStateAfresh();
    int32_t count = 0;
    ASSERT_EQ(KeyFromPasswordText(text, lstrlenW(text), &count), PasswordKeyed);
    EXPECT_EQ(count, static_cast<int32_t>(std::strlen(bytes)));
    EXPECT_TRUE(SameState(ProcessBlowfish, expected));
}

// WideCharToMultiByte as Windows has it: the UTF-8 code page (like UTF-7, GB18030, Symbol and the
// ISO-2022 and ISCII families) refuses every flag but WC_ERR_INVALID_CHARS with
// ERROR_INVALID_FLAGS. Wine's takes them, so the test makes it strict.
decltype(&WideCharToMultiByte) RealWideCharToMultiByte;
int WINAPI StrictWideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH text, int length, LPSTR out,
                                     int size, LPCCH fallback, LPBOOL usedFallback) {
    UINT actual = codePage == CP_ACP ? GetACP() : codePage == CP_OEMCP ? GetOEMCP() : codePage;
    if (actual == CP_UTF8 && (flags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    return RealWideCharToMultiByte(codePage, flags, text, length, out, size, fallback,
                                   usedFallback);
}

// Run with a user locale whose ANSI code page is UTF-8 (the test list starts it so).
TEST(PasswordTextUnderUtf8, AsciiAndCyrillicPasswordsKeyFromTheirUtf8Bytes) {
    if (GetACP() != CP_UTF8) {
        GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not UTF-8";
    }
    RealWideCharToMultiByte = reinterpret_cast<decltype(&WideCharToMultiByte)>(
        ReplaceImport("kernel32.dll", "WideCharToMultiByte",
                      reinterpret_cast<void*>(&StrictWideCharToMultiByte)));
    ASSERT_NE(RealWideCharToMultiByte, nullptr);
    const struct {
        const wchar_t* text;
        const char* utf8;
    } cases[] = {
        {L"open sesame", "open sesame"},
        {L"\u043f\u0430\u0440\u043e\u043b\u044c 2026",
         "\xd0\xbf\xd0\xb0\xd1\x80\xd0\xbe\xd0\xbb\xd1\x8c 2026"},
    };
    for (const auto& c : cases) {
        BlowfishState expected = KeyOfBytes(c.utf8);
        StartCipherStateAfresh();
        int32_t count = 0;
        EXPECT_EQ(KeyFromPasswordText(c.text, lstrlenW(c.text), &count), PasswordKeyed);
        EXPECT_EQ(count, static_cast<int32_t>(std::strlen(c.utf8)));
        EXPECT_TRUE(SameState(ProcessBlowfish, expected));
    }
    ReplaceImport("kernel32.dll", "WideCharToMultiByte",
                  reinterpret_cast<void*>(RealWideCharToMultiByte));
}

} // namespace
