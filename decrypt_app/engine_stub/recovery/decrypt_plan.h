// How a decrypt run keys its files: the ways a user can say what is known about the key, and the
// rule that combines them with a password. Windows-free.
#pragma once
#include <cstdint>

#include "common/key_selector.h"

enum KeyMethod : int32_t {
    KeyByType = 0,     // each file's key from the signature of the type its name had before
                       // ".crypt" (report.pdf.crypt must decrypt to a PDF); the default
    KeyBuiltIn = 1,    // one built-in key for every file
    KeyByPair = 2,     // the key that turns one encrypted file into its original, for every file
    KeyByPassword = 3, // the password's key for every file
};

struct DecryptPlan {
    KeyMethod method;
    int32_t withPassword; // the password's key (made by DerivePasswordKey) is the key
                          // (KeyByPassword) or one more candidate beside the built-in ones
    int32_t selector;     // the key of every file; KeySelectorNone while it is still to be found:
                          // per file (KeyByType), or from the pair (KeyByPair)
};

enum PlanVerdict : int32_t {
    PlanReady = 0,
    PlanKeyAndPassword = 1, // a built-in key and a password: the one or the other
    PlanNoSuchKey = 2,      // builtInKey is not 0 .. BuiltInDesKeyCount - 1
    PlanNoPassword = 3,     // KeyByPassword without a password
};

// The plan for method. builtInKey counts for KeyBuiltIn only; havePassword: the caller has made
// the password's key (or will, before the first file) and wants it used. A password alone keys
// every file (KeyByPassword); with KeyByType or KeyByPair its key is one more candidate.
PlanVerdict MakeDecryptPlan(KeyMethod method, int32_t builtInKey, int32_t havePassword,
                            DecryptPlan* plan);
