// Values of RunState.KeySelector, the recovery engine's choice of key. The unlock run sets it to
// none; the decryptor and key selection read it. Windows-free, so the portable key code shares it.
#pragma once
#include <cstdint>

constexpr int32_t KeySelectorNone = -1;
constexpr int32_t KeySelectorPassword = 256; // the password-derived Blowfish key
// 0 .. BuiltInDesKeyCount - 1 index the built-in triple-DES keys.
constexpr int32_t BuiltInDesKeyCount = 10;
