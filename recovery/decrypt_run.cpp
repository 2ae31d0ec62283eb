// The decrypt run: see recovery/decrypt_run.h.
#include "recovery/decrypt_run.h"

#include <windows.h>
#include <algorithm>
#include <cstring>
#include <cwchar>

#include "common/run_state.h"
#include "recovery/key_files.h"
#include "unlock/path_text.h"
#include "unlock/path_forms.h"
#include "unlock/real_paths.h"
#include "unlock/walk_limits.h"
#include "unlock/walk_tree.h"

DecryptTotalsRecord DecryptTotals = {};

namespace {

// The listing matches it without regard to case, so names ending in ".CRYPT" come too.
const wchar_t CryptPattern[] = L"*.crypt";

// Ticks of the performance counter.
struct RunClockRecord {
    LARGE_INTEGER frequency;
    int64_t pairTicks;     // finding the pair's key, before any file is decrypted
    int64_t identifyTicks; // finding keys: the pair's and each file's by type
    int64_t startedAt;     // when the first file was taken up
    int32_t started;
};
RunClockRecord RunClock = {};

// The gathering of one path: where the walk's matches are reported and kept, and what was found.
struct GatherRecord {
    const DecryptReport* report;
    CryptFileList* list; // null: the front end keeps the files
    CryptSearch* search;
};
GatherRecord Gather = {};

// What the decryptor tells of the file being decrypted.
DecryptTarget Target;

// A case key for any path, however long.
std::wstring CaseKey(const wchar_t* path) {
    std::vector<wchar_t> key(std::wcslen(path) + 1);
    return CaseKeyOf(path, key.data(), key.size()) ? std::wstring(key.data()) : std::wstring(path);
}

int64_t Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

int64_t Milliseconds(int64_t ticks) {
    return RunClock.frequency.QuadPart > 0 ? ticks * 1000 / RunClock.frequency.QuadPart : 0;
}

// A name ending in ".crypt" in letters of another case, which the decryptor does not take.
bool EndsInCryptOtherwise(const wchar_t* path) {
    size_t length = std::wcslen(path);
    int extension = static_cast<int>(CryptExtensionLength);
    return length > CryptExtensionLength && !IsCryptName(path) &&
           CompareStringOrdinal(path + length - CryptExtensionLength, extension, CryptExtension,
                                extension, TRUE) == CSTR_EQUAL;
}

void ReportFound(const wchar_t* path, int64_t size, CryptOutcome outcome, CryptReason reason) {
    CryptFileFound file = {path, size, outcome, reason};
    if (reason != CryptReasonOtherLetters) {
        Gather.search->found += 1;
    }
    if (Gather.list != nullptr) {
        Gather.search->added += AddCryptFile(Gather.list, &file);
    }
    if (Gather.report->foundFile != nullptr) {
        Gather.report->foundFile(&file);
    }
}

// A match of the pattern, or a file named by the user: files only, in the letters the decryptor
// takes; a name in other letters is reported as skipped, so that the user learns of it.
void MetCryptMatch(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return;
    }
    int64_t size = static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    if (IsCryptName(path)) {
        ReportFound(path, size, CryptPending, CryptReasonNone);
    } else if (EndsInCryptOtherwise(path)) {
        Gather.search->otherLetters += 1;
        ReportFound(path, size, CryptSkipped, CryptReasonOtherLetters);
    }
}

void EnteredFolder(const wchar_t* folder) {
    DecryptTotals.folders += 1;
    Gather.search->folders += 1;
    if (Gather.report->enteredFolder != nullptr) {
        Gather.report->enteredFolder(folder);
    }
}

void MetFile(uint32_t, uint32_t) {}

void MetTooLong(const wchar_t* directory, const wchar_t* name, int isMatch) {
    if (!isMatch) {
        DecryptTotals.foldersNotSearched += 1;
        Gather.search->foldersNotSearched += 1;
        if (Gather.report->folderNotSearched != nullptr) {
            std::wstring folder = std::wstring(directory) + L"\\" + name;
            Gather.report->folderNotSearched(folder.c_str(), 0);
        }
        return;
    }
    // Too long for the walk's buffers, not for this one: the file is reported as failed.
    wchar_t path[WalkPathCapacity + MAX_PATH + 2];
    int length = wsprintfW(path, L"%s\\%s", directory, name);
    if (length > 0 && IsCryptName(path)) {
        ReportFound(path, 0, CryptFailed, CryptReasonWalkPathTooLong);
    }
}

int StopRequested() {
    return Gather.report->stopRequested != nullptr && Gather.report->stopRequested();
}

int MetLink(const wchar_t* linkPath, const wchar_t* targetPath, LinkVerdict verdict) {
    if (verdict == LinkRecordFull) {
        DecryptTotals.foldersNotSearched += 1; // a folder is left unsearched
        Gather.search->foldersNotSearched += 1;
    }
    if (Gather.report->metLink != nullptr) {
        return Gather.report->metLink(linkPath, targetPath, verdict);
    }
    return 1;
}

void NotListed(const wchar_t* directory, uint32_t error) {
    DecryptTotals.foldersNotSearched += 1;
    Gather.search->foldersNotSearched += 1;
    if (Gather.report->folderNotSearched != nullptr) {
        Gather.report->folderNotSearched(directory, error);
    }
}

const WalkReport GatherWalkReport = {EnteredFolder, MetFile, MetCryptMatch, MetTooLong,
                                     StopRequested, MetLink, NotListed};

void CountOutcome(const CryptFileResult* result) {
    DecryptTotals.files += 1;
    switch (result->outcome) {
    case CryptDecrypted:
        DecryptTotals.decrypted += 1;
        DecryptTotals.alreadyDecrypted += result->alreadyDecrypted;
        DecryptTotals.checked += result->check.verdict == CheckPassed;
        DecryptTotals.checkFailed += result->check.verdict == CheckFailed;
        DecryptTotals.bytesDecrypted += result->bytes;
        break;
    case CryptNotIdentified:
        DecryptTotals.notIdentified += 1;
        break;
    case CryptFailed:
        DecryptTotals.failed += 1;
        break;
    case CryptSkipped:
        DecryptTotals.skipped += 1;
        break;
    case CryptPending:
        break;
    }
}

// Finds the key of one file by its type, or says why there is none.
bool FindKeyByType(const wchar_t* path, const DecryptPlan* plan, CryptFileResult* result) {
    KeyMatch match;
    int64_t started = Now();
    KeySearchResult found = IdentifyCryptFileKey(path, plan->withPassword, &match);
    RunClock.identifyTicks += Now() - started;
    if (found != KeyFound) {
        result->outcome = CryptNotIdentified;
        result->reason = CryptReasonKeySearch;
        result->keyResult = found;
        result->fittingKeys = match.fittingKeys;
        return false;
    }
    result->selector = match.selector;
    return true;
}

// The format the output of the file is checked by, from the type its name had before ".crypt".
CheckFormat CheckFormatOf(const wchar_t* path) {
    uint32_t length = 0;
    const wchar_t* extension = TypeExtensionOfCryptName(path, &length);
    return extension != nullptr ? CheckFormatOfExtension(extension, length) : CheckFormatNone;
}

// Decrypts the file under result->selector. dropIfCheckFails: a candidate among several keys,
// whose output is not kept unless it checks.
void Decrypt(const wchar_t* path, const DecryptReport* report, int dropIfCheckFails,
             CryptFileResult* result) {
    RunState.KeySelector = result->selector;
    DecryptWatch watch = {report->fileProgress, report->stopRequested};
    DecryptTarget* target = &Target;
    *target = DecryptTarget{};
    target->watch = &watch;
    target->pathCapacity = DecryptLongPathCapacity;
    target->checkFormat = CheckFormatOf(path);
    target->dropIfCheckFails = dropIfCheckFails;
    target->keepEarlier = 1;
    DecryptResult decrypted = DecryptCryptFileAs(path, target);
    uint32_t error = target->systemError;
    result->outputCounter = target->outputCounter;
    result->leftoverCounter = target->leftoverCounter;
    result->check = target->check;
    result->alreadyDecrypted = target->alreadyDecrypted;
    result->decryptResult = decrypted;
    result->systemError = error;
    if (decrypted == DecryptOk) {
        result->outcome = CryptDecrypted;
        std::wstring output = DecryptOutputPathOf(path, *result);
        if (!output.empty()) {
            result->inputStamp = StampFile(path);
            result->outputStamp = StampFile(output.c_str());
        }
    } else if (decrypted == DecryptStopped) {
        result->outcome = CryptPending;
        result->reason = CryptReasonStopped;
    } else if (decrypted == DecryptCreateFailed && error == ERROR_FILENAME_EXCED_RANGE) {
        result->reason = CryptReasonNoOutputName;
    } else {
        result->reason = CryptReasonDecryptor;
    }
}

// Several keys show the type's signature: the one whose output checks is the key, when there is
// exactly one. Each candidate's output that fails its check is removed at once; a second that
// checks removes the first again. Returns whether one key was taken (result then holds it).
bool DecideByCheck(const wchar_t* path, const DecryptReport* report, CryptFileResult* result) {
    if (CheckFormatOf(path) == CheckFormatNone) {
        return false;
    }
    CryptFileResult taken = *result;
    int passed = 0;
    for (int32_t selector : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, KeySelectorPassword}) {
        uint32_t bit = selector == KeySelectorPassword ? PasswordKeyBit : 1u << selector;
        if ((result->fittingKeys & bit) == 0) {
            continue;
        }
        CryptFileResult tried = *result;
        tried.selector = selector;
        int64_t started = Now();
        Decrypt(path, report, 1, &tried);
        RunClock.identifyTicks += Now() - started;
        if (tried.outcome == CryptPending) {
            *result = tried; // stopped part way
            return true;
        }
        if (tried.outcome != CryptDecrypted) {
            continue;
        }
        if (++passed == 1) {
            taken = tried;
            continue;
        }
        for (const CryptFileResult* kept : {&taken, &tried}) {
            std::wstring output = DecryptOutputPathOf(path, *kept);
            if (!output.empty() && !kept->alreadyDecrypted) {
                DeleteFileW(output.c_str());
            }
        }
        result->keyResult = KeySeveralCheck;
        return false;
    }
    if (passed == 1) {
        *result = taken;
        result->reason = CryptReasonNone;
        return true;
    }
    return false;
}

// Decrypts one file of the run under the plan (a settled file only counts): finds its key when
// the plan has none, writes a new file beside it, and counts the outcome in DecryptTotals.
void DecryptOneFile(const CryptFile& file, const DecryptPlan* plan, const DecryptReport* report,
                    CryptFileResult* result) {
    *result = BlankCryptResult();
    result->outcome = CryptFailed;
    result->selector = plan->selector;
    result->bytes = file.size;
    if (file.foundOutcome != CryptPending) {
        result->outcome = file.foundOutcome;
        result->reason = file.foundReason;
        result->selector = KeySelectorNone;
    } else if (file.path.size() >= DecryptLongPathCapacity) {
        result->reason = CryptReasonDecryptorPathTooLong;
    } else {
        RedirectionState redirection;
        BeginRealPaths(&redirection);
        const wchar_t* path = file.path.c_str();
        if (result->selector != KeySelectorNone) {
            // A key the run was given is tried on the file's first blocks first, as Automatic
            // tries each: a type whose signature does not show gets no output under it.
            int64_t started = Now();
            KeySearchResult accepted = TypeAcceptsKey(path, result->selector);
            RunClock.identifyTicks += Now() - started;
            if (accepted == KeyRefutedByType) {
                result->outcome = CryptNotIdentified;
                result->reason = CryptReasonKeySearch;
                result->keyResult = accepted;
            } else {
                Decrypt(path, report, 0, result);
            }
        } else if (FindKeyByType(path, plan, result)) {
            Decrypt(path, report, 0, result);
        } else if (result->keyResult == KeySeveralFit) {
            DecideByCheck(path, report, result);
        }
        EndRealPaths(&redirection);
    }
    if (result->outcome != CryptPending) {
        CountOutcome(result);
    }
}

// After the last file, or when the run stopped with notTried files left: the run's times.
void EndDecryptRun(int64_t notTried) {
    DecryptTotals.notTried = notTried;
    int64_t decrypting = RunClock.started ? Now() - RunClock.startedAt : 0;
    DecryptTotals.elapsedMs = Milliseconds(decrypting + RunClock.pairTicks);
    DecryptTotals.identifyMs = Milliseconds(RunClock.identifyTicks);
}

} // namespace

int SameCryptFile(const wchar_t* first, const wchar_t* second) {
    return CaseKey(first) == CaseKey(second) ? 1 : 0;
}

int AddCryptFile(CryptFileList* list, const CryptFileFound* file) {
    if (!list->keys.insert(CaseKey(file->path)).second) {
        return 0;
    }
    list->files.push_back({file->path, file->size, file->outcome, file->reason});
    return 1;
}

void RemoveCryptFiles(CryptFileList* list, std::vector<size_t> places) {
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());
    for (auto place = places.rbegin(); place != places.rend(); ++place) {
        if (*place < list->files.size()) {
            list->keys.erase(CaseKey(list->files[*place].path.c_str()));
            list->files.erase(list->files.begin() + static_cast<std::ptrdiff_t>(*place));
        }
    }
}

CryptPathKind KindOfCryptPath(const wchar_t* longPath, int32_t isFolder) {
    if (isFolder) {
        return CryptPathFolder;
    }
    if (IsCryptName(longPath)) {
        return CryptPathFile;
    }
    return EndsInCryptOtherwise(longPath) ? CryptPathOtherLetters : CryptPathNotCrypt;
}

void BeginDecryptRun() {
    DecryptTotals = DecryptTotalsRecord{};
    ForgetLinkTargets();
    RunClock = RunClockRecord{};
    QueryPerformanceFrequency(&RunClock.frequency);
}

KeySearchResult FindPlanPairKey(const wchar_t* original, const wchar_t* encrypted,
                                DecryptPlan* plan, int (*stopRequested)()) {
    RedirectionState redirection;
    BeginRealPaths(&redirection);
    KeyMatch match;
    int64_t started = Now();
    KeySearchResult found =
        FindPairFileKey(original, encrypted, plan->withPassword, &match, stopRequested);
    RunClock.pairTicks = Now() - started;
    RunClock.identifyTicks += RunClock.pairTicks;
    EndRealPaths(&redirection);
    if (found == KeyFound) {
        plan->selector = match.selector;
    }
    return found;
}

void GatherCryptFiles(std::vector<CryptSearch>* searches, CryptFileList* list,
                      const DecryptReport* report) {
    for (CryptSearch& search : *searches) {
        if (report->stopRequested != nullptr && report->stopRequested()) {
            break;
        }
        search.found = search.added = search.otherLetters = 0;
        search.folders = search.foldersNotSearched = 0;
        Gather = GatherRecord{report, list, &search};
        RedirectionState redirection;
        BeginRealPaths(&redirection);
        if (search.isFolder) {
            WalkTree(search.path.c_str(), CryptPattern, &GatherWalkReport);
        } else {
            MetCryptMatch(search.path.c_str());
        }
        EndRealPaths(&redirection);
    }
    Gather = GatherRecord{};
}

void DecryptCryptFiles(const CryptFileList* list, const std::vector<size_t>& places,
                       const DecryptPlan* plan, const DecryptReport* report,
                       std::vector<CryptFileResult>* results) {
    results->assign(places.size(), BlankCryptResult());
    RunClock.startedAt = Now();
    RunClock.started = 1;
    int64_t count = static_cast<int64_t>(places.size());
    int64_t done = 0;
    for (; done < count; ++done) {
        if (report->stopRequested != nullptr && report->stopRequested()) {
            break;
        }
        const CryptFile& file = list->files[places[static_cast<size_t>(done)]];
        CryptFileResult& result = (*results)[static_cast<size_t>(done)];
        if (report->fileBegun != nullptr) {
            report->fileBegun(done);
        }
        DecryptOneFile(file, plan, report, &result);
        if (result.outcome == CryptPending) {
            break; // the stop caught it part way: it is not tried, like those after it
        }
        if (report->fileDone != nullptr) {
            report->fileDone(done, &result);
        }
    }
    EndDecryptRun(count - done);
}

int DecryptRunComplete() {
    return DecryptTotals.decrypted == DecryptTotals.files && DecryptTotals.notTried == 0 &&
                   DecryptTotals.foldersNotSearched == 0
               ? 1
               : 0;
}
