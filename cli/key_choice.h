// How decrypt keys its files, from its options: one way of finding the key at most, and one
// source of a password at most. Windows-free.
#pragma once
#include "cli/arguments.h"
#include "recovery/decrypt_plan.h"
#include <cstdint>
#include <string>

extern const wchar_t OptionKey[];          // --key N
extern const wchar_t OptionAuto[];         // --auto
extern const wchar_t OptionPair[];         // --pair ORIGINAL ENCRYPTED
extern const wchar_t OptionPassword[];     // --password
extern const wchar_t OptionPasswordFile[]; // --password-file FILE

enum PasswordSource {
    NoPassword,
    PasswordAsked, // --password: the console, or standard input when that is no console
    PasswordInFile,
};

// The method: KeyByType for --auto (and the default), KeyBuiltIn for --key N, KeyByPair for
// --pair, KeyByPassword for a password and nothing else.
struct KeyChoice {
    KeyMethod method;
    int32_t builtInKey; // --key N
    PasswordSource password;
    std::wstring passwordFile;
    std::wstring pairOriginal;
    std::wstring pairEncrypted;
};

// Returns 0 with a one-line reason when the options ask for two ways at once, or --key names no
// built-in key.
int ChooseKey(const CommandCall& call, KeyChoice* choice, std::wstring* reason);
