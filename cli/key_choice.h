// How decrypt keys its files, from its options: one way of finding the key at most, and one
// source of a password at most. Windows-free.
#pragma once
#include "cli/arguments.h"
#include <cstdint>
#include <string>

extern const wchar_t OptionKey[];          // --key N
extern const wchar_t OptionAuto[];         // --auto
extern const wchar_t OptionPair[];         // --pair ORIGINAL ENCRYPTED
extern const wchar_t OptionPassword[];     // --password
extern const wchar_t OptionPasswordFile[]; // --password-file FILE

enum KeyMethod {
    KeyByType,     // --auto, and the default: each file's key from its type's signature
    KeyBuiltIn,    // --key N
    KeyByPair,     // --pair: the key that turns one encrypted file into its original
    KeyByPassword, // a password and nothing else: its key for every file
};

enum PasswordSource {
    NoPassword,
    PasswordAsked, // --password: the console, or standard input when that is no console
    PasswordInFile,
};

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
