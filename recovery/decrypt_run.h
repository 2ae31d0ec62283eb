// The decrypt run below every front end: the .crypt files of the paths a user names, each kept
// once and all found before the first is decrypted (so that an output, a.crypt from
// a.crypt.crypt, is never taken for an input); each file's key by the run's plan; the decryption
// of the files in turn, with a stop that leaves nothing half written; each file's outcome and
// the run's totals. A front end hands over its paths and its plan and shows what comes back
// through DecryptReport. One run at a time per process: the cipher states are process-wide.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "recovery/decrypt_file.h"
#include "recovery/decrypt_plan.h"
#include "recovery/file_stamp.h"
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
    // Beside the input, by their counters (DecryptedNameOf): the output written, and a file an
    // earlier run left unfinished, left as it is; DecryptNameNone when there is none.
    int32_t outputCounter;
    int32_t leftoverCounter;
    // The output's check by its format's own checks; and whether the output's usual name held
    // this very plaintext already, from an earlier run (then nothing was written).
    CheckReport check;
    int32_t alreadyDecrypted;
    // The input and the output as the run left them, for a clean-up that must know that neither
    // has changed since; taken only for a file decrypted (or already decrypted).
    FileStamp inputStamp;
    FileStamp outputStamp;
};

// A result with nothing in it yet: pending, no key, no names.
CryptFileResult BlankCryptResult();
// The long path of the output the result names beside its input (a long path too); empty when
// it names none.
std::wstring DecryptOutputPathOf(const wchar_t* inputPath, const CryptFileResult& result);

// What the run tells its front end as it goes: the decrypt run's one record of callbacks, as
// WalkReport is the walk's, so that no front end copies the gathering or the run. Any member may
// be null. Each is called on the thread that runs the gathering or the run.
struct DecryptReport {
    // Gathering: a folder is searched (for progress).
    void (*enteredFolder)(const wchar_t* folder);
    // Gathering: a file met, once for each time it is met (the list keeps it once).
    void (*foundFile)(const CryptFileFound* file);
    // Gathering: a folder not searched (long path): its path too long for the walk (error 0), or
    // its listing refused by the system (its error).
    void (*folderNotSearched)(const wchar_t* folder, uint32_t error);
    // Decrypting: the file at this place of the run is taken up; how far it has come.
    void (*fileBegun)(int64_t place);
    void (*fileProgress)(uint64_t bytesDone, uint64_t bytesAll);
    // Decrypting: what became of it (not called for a file the stop caught part way).
    void (*fileDone)(int64_t place, const CryptFileResult* result);
    // Asked between the entries of a search, between files, between the chunks of a file and
    // of a pair's comparison: non-zero stops the run.
    int (*stopRequested)();
    // Gathering: a link met in a folder searched, as the walk tells it (unlock/walk_tree.h);
    // non-zero enters it when the walk's verdict allows. Null: the walk's verdict alone.
    int (*metLink)(const wchar_t* linkPath, const wchar_t* targetPath, LinkVerdict verdict);
};

struct DecryptTotalsRecord {
    int64_t folders;            // folders searched
    int64_t foldersNotSearched; // folders not searched: paths too long, listings refused
    int64_t files;              // files whose outcome is in
    int64_t decrypted;          // already decrypted ones among them
    int64_t alreadyDecrypted;   // the output was there from an earlier run
    int64_t checked;            // outputs whose check passed
    int64_t checkFailed;        // outputs whose check failed (kept, and said so)
    int64_t notIdentified;
    int64_t failed;
    int64_t skipped;
    int64_t notTried;       // left when the run stopped
    int64_t bytesDecrypted; // the sizes of the inputs decrypted
    int64_t elapsedMs;      // finding keys and decrypting; searching folders not counted
    int64_t identifyMs;     // of that, finding keys: each file's by type, and the pair's
};
extern DecryptTotalsRecord DecryptTotals;

// One file of a run's list.
struct CryptFile {
    std::wstring path; // long form
    int64_t size;
    CryptOutcome foundOutcome; // CryptPending, or settled by the gathering
    CryptReason foundReason;
};

// The files of a run, each once, in the order found.
struct CryptFileList {
    std::vector<CryptFile> files;
    std::unordered_set<std::wstring> keys; // each file's path as the file system compares it
};

// 1 when the two long paths name one file: equal as the file system compares names.
int SameCryptFile(const wchar_t* first, const wchar_t* second);
// Adds the file unless the list holds it already (SameCryptFile). Returns 1 when it was added.
int AddCryptFile(CryptFileList* list, const CryptFileFound* file);
// Removes the files at these places (any order, each once or more).
void RemoveCryptFiles(CryptFileList* list, std::vector<size_t> places);

// What a path the user named is to a run.
enum CryptPathKind : int32_t {
    CryptPathFolder = 0,       // searched through, with its subfolders
    CryptPathFile = 1,         // a .crypt file
    CryptPathNotCrypt = 2,     // a file that is no .crypt file
    CryptPathOtherLetters = 3, // a file ending in ".CRYPT" or the like, which the decryptor refuses
};
CryptPathKind KindOfCryptPath(const wchar_t* longPath, int32_t isFolder);

// A path the user named, and what its search found.
struct CryptSearch {
    std::wstring path; // long form
    int32_t isFolder;
    int64_t found;              // .crypt files met in it (names in other letters not counted)
    int64_t added;              // of those, new to the list
    int64_t otherLetters;       // names ending in ".CRYPT" or the like, listed as skipped
    int64_t folders;            // folders searched
    int64_t foldersNotSearched; // subfolders not searched: paths too long, or links past the
                                // most a run enters
};

// Clears the totals and the link targets entered: before a run's pair key is looked for and its
// files are gathered.
void BeginDecryptRun();

// Searches each path in turn, in the walk's order: a .crypt file itself (one in other letters
// as skipped), or every .crypt file in the folder and its subfolders. Each file met goes to
// report->foundFile and, when list is not null, into list (each once). Counts the folders in
// DecryptTotals and in each search. Stops before the next entry when report->stopRequested.
void GatherCryptFiles(std::vector<CryptSearch>* searches, CryptFileList* list,
                      const DecryptReport* report);

// KeyByPair: finds the key that turns encrypted into original (long paths) and puts it in the
// plan; the search's time counts in DecryptTotals. Reads both files whole to confirm the key, and
// asks stop (may be null) between its chunks: KeyStopped then. KeyFound, or why no key was taken.
KeySearchResult FindPlanPairKey(const wchar_t* original, const wchar_t* encrypted,
                                DecryptPlan* plan, int (*stopRequested)());

// Decrypts the files of the list at these places, in turn, under the plan; results[k] (resized to
// match) tells what became of the file at places[k]. A settled file (skipped, failed by the
// gathering) only counts. A file the plan has no key for gets its own by its type. A stop ends
// the run before the next file or within one: the file it caught and those not reached stay
// pending (CryptReasonStopped for the one caught), nothing is left of a half-decrypted output,
// and they count as not tried. Ends with the run's totals and times in DecryptTotals.
void DecryptCryptFiles(const CryptFileList* list, const std::vector<size_t>& places,
                       const DecryptPlan* plan, const DecryptReport* report,
                       std::vector<CryptFileResult>* results);

// 1 when the run did all it was asked: every file decrypted, none left untried, every folder
// searched.
int DecryptRunComplete();
