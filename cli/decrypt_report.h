// What decrypt prints for each .crypt file and at the end, for people or (--json) for scripts:
// one JSON object per line, each with a "kind".
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum CryptOutcome {
    CryptDecrypted,     // a whole output was written
    CryptNotIdentified, // --auto found no one key for it: nothing was written
    CryptFailed,        // the decryptor failed, or could not be given the file
    CryptSkipped,       // a name ending in ".crypt" in other letters, which the decryptor refuses
};

struct CryptFileReport {
    CryptOutcome outcome;
    std::wstring path;    // the input, long form
    int32_t selector;     // the key used or tried; KeySelectorNone when none
    std::wstring output;  // long form: the output, or what a failure left of it; may be empty
    std::wstring reason;  // why it was not decrypted, or a remark on a decrypted file
    int32_t result;       // the decryptor's result code, or -1 when it was not called
    uint32_t fittingKeys; // --auto: the candidates whose decryption showed the signature
    int64_t bytes;        // the input's size
};
void ReportCryptFile(const CryptFileReport& report);

struct DecryptTallyRecord {
    int64_t files; // every file reported
    int64_t decrypted;
    int64_t notIdentified;
    int64_t failed;
    int64_t skipped;
    int64_t notTried;       // left after Ctrl+C
    int64_t bytesDecrypted; // of the inputs decrypted
    int64_t elapsedMs;      // finding keys and decrypting; searching folders not counted
    int64_t identifyMs;     // of that, finding keys: --auto and --pair
};
extern DecryptTallyRecord DecryptTally;

struct DecryptSummary {
    std::vector<std::wstring> paths; // the PATHs, long form
    const char* keyOption;           // "auto", "key", "pair" or "password"
    int32_t selector;                // the key of every file, or KeySelectorNone for auto
    int withPassword;                // a password's key was among the candidates or used
    int64_t folders;                 // folders searched
    int64_t foldersNotSearched;      // too long to be searched
    int stopped;                     // Ctrl+C
    int exitCode;
};
void ReportDecryptSummary(const DecryptSummary& summary);

// "key 3" or "the password's key", for messages.
std::wstring KeyWords(int32_t selector);
// 12.3: megabytes, seconds, rates.
std::wstring OneDecimal(double value);
