// The decrypt run below every front end: the .crypt files of the paths a user names, all found
// before the first is decrypted (so that an output, a.crypt from a.crypt.crypt, is never taken
// for an input); each file's key by the run's plan; the decryption; each file's outcome and the
// run's totals. A front end asks for each step, keeps the list of files, and prints or draws
// what comes back. One run at a time per process: the cipher states are process-wide.
#pragma once
#include <cstdint>

#include "recovery/decrypt_file.h"
#include "recovery/decrypt_plan.h"
#include "recovery/key_identify.h"
#include "unlock/walk_links.h"

enum CryptOutcome : int32_t {
    CryptDecrypted = 0,     // a whole output was written
    CryptNotIdentified = 1, // no one key was found for it: nothing was written
    CryptFailed = 2,        // the decryptor failed, or the file could not be given to it
    CryptSkipped = 3,       // its name ends in ".crypt" in other letters, which the decryptor
                            // refuses
    CryptPending = 4,       // found, not yet decrypted
};

enum CryptReason : int32_t {
    CryptReasonNone = 0,
    CryptReasonOtherLetters = 1,         // skipped: the name ends in ".CRYPT" or the like
    CryptReasonWalkPathTooLong = 2,      // found, but its path is longer than the walk handles
    CryptReasonDecryptorPathTooLong = 3, // longer than the decryptor takes
    CryptReasonNoOutputName = 4,         // no free name for the output fits the decryptor
    CryptReasonKeySearch = 5,            // not identified: keyResult says why
    CryptReasonDecryptor = 6,            // failed: decryptResult and systemError say why
    CryptReasonStopped = 7,              // still pending: the run was stopped part way through it
};

// One file as the gathering found it.
struct CryptFileFound {
    const wchar_t* path; // long form
    int64_t size;
    CryptOutcome outcome; // CryptPending, or settled already as CryptSkipped or CryptFailed
    CryptReason reason;
};

// What became of one file.
struct CryptFileResult {
    CryptOutcome outcome;
    CryptReason reason;
    int32_t selector;          // the key used or tried; KeySelectorNone when none was
    uint32_t fittingKeys;      // KeyByType: the candidates whose decryption showed the signature
                               // (1 << index, PasswordKeyBit)
    KeySearchResult keyResult; // why no key was taken (CryptReasonKeySearch)
    int32_t decryptResult;     // the decryptor's DecryptResult; -1 when it was not called
    uint32_t systemError;      // the system's error of a failed open or create; else 0
    int64_t bytes;             // the input's size
    // In the input's folder: the output written, empty when none was; a file an earlier run left
    // unfinished beside the input ("report.pdf.part"), left as it is, empty when there was none.
    wchar_t outputName[DecryptFileNameCapacity];
    wchar_t leftoverName[DecryptFileNameCapacity];
};

// What the run tells its front end as it goes: the decrypt run's one record of callbacks, as
// WalkReport is the walk's, so that no front end copies the gathering or the run. Any member may
// be null.
struct DecryptReport {
    // Gathering: a folder is searched (for progress).
    void (*enteredFolder)(const wchar_t* folder);
    // Gathering: a file of the run, in the order the run will take them; the front end keeps it.
    void (*foundFile)(const CryptFileFound* file);
    // Gathering: a subfolder not searched, its path too long for the walk.
    void (*folderNotSearched)(const wchar_t* directory, const wchar_t* name);
    // Decrypting: how far the file being decrypted has come.
    void (*fileProgress)(uint64_t bytesDone, uint64_t bytesAll);
    // Asked between the entries of a search, between files and between the chunks of a file:
    // non-zero stops the run.
    int (*stopRequested)();
    // Gathering: a link met in a folder searched, as the walk tells it (unlock/walk_tree.h);
    // non-zero enters it when the walk's verdict allows. Null: the walk's verdict alone.
    int (*metLink)(const wchar_t* linkPath, const wchar_t* targetPath, LinkVerdict verdict);
};

struct DecryptTotalsRecord {
    int64_t folders;            // folders searched
    int64_t foldersNotSearched; // subfolders whose paths are too long to search
    int64_t files;              // files given to DecryptRunFile
    int64_t decrypted;
    int64_t notIdentified;
    int64_t failed;
    int64_t skipped;
    int64_t notTried;       // left when the run stopped
    int64_t bytesDecrypted; // the sizes of the inputs decrypted
    int64_t elapsedMs;      // finding keys and decrypting; searching folders not counted
    int64_t identifyMs;     // of that, finding keys: each file's by type, and the pair's
};
extern DecryptTotalsRecord DecryptTotals;

// What a path the user named is to a run.
enum CryptPathKind : int32_t {
    CryptPathFolder = 0,       // searched through, with its subfolders
    CryptPathFile = 1,         // a .crypt file
    CryptPathNotCrypt = 2,     // a file that is no .crypt file
    CryptPathOtherLetters = 3, // a file ending in ".CRYPT" or the like, which the decryptor refuses
};
CryptPathKind KindOfCryptPath(const wchar_t* longPath, int32_t isFolder);

// Clears the totals and the link targets entered: before the pair's key is looked for and the
// files are gathered.
void BeginDecryptRun();

// KeyByPair: finds the key that turns encrypted into original (long paths) and puts it in the
// plan; the search's time counts in DecryptTotals. KeyFound, or why no key was taken.
KeySearchResult FindPlanPairKey(const wchar_t* original, const wchar_t* encrypted,
                                DecryptPlan* plan);

// Reports the run's files of one path through report->foundFile: a .crypt file itself (any other
// file as skipped), or every .crypt file in the folder and its subfolders, in the walk's order.
// Counts the folders searched and not searched in DecryptTotals. Returns how many .crypt files
// it found; names ending in ".CRYPT" or the like, reported as skipped, are counted in
// *otherLetters. A file found twice (through two paths or links) is reported each time: the
// front end keeps each once, by SameCryptFile.
int64_t GatherCryptFiles(const wchar_t* longPath, int32_t isFolder, const DecryptReport* report,
                         int64_t* otherLetters);

// Decrypts one file of the run under the plan (a settled file only counts): finds its key when
// the plan has none, writes a new file beside it, and counts the outcome in DecryptTotals. The
// decryption tells report->fileProgress how far it has come and asks report->stopRequested
// before each chunk: a stop part way leaves nothing behind, and the file stays CryptPending
// (CryptReasonStopped), counted by EndDecryptRun as not tried.
void DecryptRunFile(const CryptFileFound* file, const DecryptPlan* plan,
                    const DecryptReport* report, CryptFileResult* result);

// After the last file, or when the run stopped with notTried files left: the run's times.
void EndDecryptRun(int64_t notTried);

// 1 when the run did all it was asked: every file decrypted, none left untried, every folder
// searched.
int DecryptRunComplete();
