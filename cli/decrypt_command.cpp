// decrypt: the decrypt run of the recovery engine over the PATHs given, under the key given, the
// key found from each file's type, or the key found from a pair of files; each file and the
// summary printed as the run goes.
#include "cli/commands.h"
#include "cli/console_output.h"
#include "cli/console_walk.h"
#include "cli/decrypt_report.h"
#include "cli/entry_report.h"
#include "cli/exit_codes.h"
#include "cli/key_choice.h"
#include "cli/password_input.h"
#include "cli/path_text.h"
#include "cli/scope.h"
#include "recovery/decrypt_run.h"
#include "recovery/recycle_checked.h"
#include "report/decrypt_words.h"
#include <windows.h>
#include <algorithm>

namespace {

// The run's files, gathered before any is decrypted, each once.
struct GatherRecord {
    std::vector<std::wstring> folders; // the folders given: links are kept to them
    CryptFileList list;
};
GatherRecord Gather;

void SearchingFolder(const wchar_t* folder) {
    if (ProgressLineIsDue()) {
        ShowProgressLine(std::to_wstring(DecryptTotals.folders) + L" folders, " +
                         std::to_wstring(Gather.list.files.size()) + L" .crypt files  " +
                         Displayed(folder));
    }
}

void FolderNotSearched(const wchar_t* folder, uint32_t error) {
    ReportEntry(error == 0 ? EntryFolderTooLong : EntryFolderNotListed, folder, L"", error);
}

// The run's progress: files done, megabytes, the rate, the file being decrypted.
struct ProgressRecord {
    DWORD startedAt;
    int64_t bytesAll;
    int64_t bytesDone;
    const std::vector<size_t>* places;
};
ProgressRecord Progress = {};

void FileBegun(int64_t place) {
    if (!OutputMode.progress) {
        return;
    }
    DWORD ms = GetTickCount() - Progress.startedAt;
    double rate =
        ms > 0 ? static_cast<double>(Progress.bytesDone) / 1e3 / static_cast<double>(ms) : 0;
    const CryptFile& file = Gather.list.files[(*Progress.places)[static_cast<size_t>(place)]];
    ShowProgressLine(std::to_wstring(place) + L" of " + std::to_wstring(Progress.places->size()) +
                     L" files, " + OneDecimal(static_cast<double>(Progress.bytesDone) / 1e6) +
                     L" of " + OneDecimal(static_cast<double>(Progress.bytesAll) / 1e6) + L" MB, " +
                     OneDecimal(rate) + L" MB/s  " + Displayed(file.path));
}

void FileDone(int64_t place, const CryptFileResult* result) {
    const CryptFile& file = Gather.list.files[(*Progress.places)[static_cast<size_t>(place)]];
    ReportCryptFile(file.path, *result);
    Progress.bytesDone += file.size;
}

const DecryptReport ConsoleDecryptReport = {SearchingFolder,   nullptr,     FolderNotSearched,
                                            FileBegun,         nullptr,     FileDone,
                                            WalkStopRequested, ConsiderLink};

struct Operand {
    std::wstring path; // long form
    int isFolder;
};

// The PATHs in the order given: files that must be .crypt files, and folders to search. Returns 0
// with a reason naming the first PATH that is neither.
int ResolveOperands(const std::vector<std::wstring>& typed, std::vector<Operand>* operands,
                    std::wstring* reason) {
    for (const std::wstring& text : typed) {
        Operand operand = {L"", 0};
        if (!ResolveEntry(text, L"file or folder", &operand.path, &operand.isFolder, reason,
                          DecryptLongPathCapacity - 1)) {
            return 0;
        }
        // A folder is searched by the walk, whose paths are shorter than a file's may be.
        if (operand.isFolder && operand.path.size() >= WalkPathCapacity) {
            *reason = L"path longer than " + std::to_wstring(WalkPathCapacity - 1) +
                      L" characters: " + text;
            return 0;
        }
        CryptPathKind kind = KindOfCryptPath(operand.path.c_str(), operand.isFolder);
        if (kind == CryptPathNotCrypt || kind == CryptPathOtherLetters) {
            CryptFileResult why = BlankCryptResult();
            why.reason = CryptReasonOtherLetters;
            *reason = L"not a .crypt file: " + text +
                      (kind == CryptPathOtherLetters
                           ? L" (" + CryptReasonWords(operand.path.c_str(), why) + L")"
                           : std::wstring());
            return 0;
        }
        operands->push_back(operand);
    }
    return 1;
}

// One of the two files of --pair.
int ResolvePairFile(const std::wstring& typed, std::wstring* path, std::wstring* reason) {
    int isFolder = 0;
    if (!ResolveEntry(typed, L"file", path, &isFolder, reason, DecryptLongPathCapacity - 1)) {
        return 0;
    }
    if (isFolder) {
        *reason = L"a folder, not a file: " + typed;
        return 0;
    }
    return 1;
}

// Every .crypt file of the PATHs, in the order given, each once; a folder inside another one
// given is searched as part of that one. Returns 0 with a reason when a folder given holds no
// .crypt file. everyDrive: the operands are the drives searched, as none was given; a drive
// without .crypt files is no mistake then, and links are followed as scan follows them.
int GatherInputs(const std::vector<Operand>& operands, int followLinks, int everyDrive,
                 std::wstring* reason) {
    std::vector<std::wstring> folders;
    for (const Operand& operand : operands) {
        if (operand.isFolder) {
            folders.push_back(operand.path);
        }
    }
    std::vector<std::wstring> scopes = folders;
    if (!everyDrive && !folders.empty() && !ResolveScopes(folders, &scopes, reason)) {
        return 0;
    }
    Gather.folders = scopes;
    LimitLinksTo(Gather.folders, followLinks || everyDrive);
    std::vector<CryptSearch> searches;
    for (const Operand& operand : operands) {
        auto scope = std::find(scopes.begin(), scopes.end(), operand.path);
        if (operand.isFolder && scope == scopes.end()) {
            continue; // inside another folder given, or given twice
        }
        if (operand.isFolder) {
            scopes.erase(scope);
        }
        searches.push_back({operand.path, operand.isFolder, 0, 0, 0, 0, 0});
    }
    GatherCryptFiles(&searches, &Gather.list, &ConsoleDecryptReport);
    ClearProgressLine();
    if (WalkStopRequested()) {
        return 1;
    }
    for (const CryptSearch& search : searches) {
        if (!everyDrive && search.isFolder && search.found == 0 && search.foldersNotSearched == 0) {
            *reason = L"no .crypt file in " + Displayed(search.path);
            if (search.otherLetters > 0) {
                *reason += L" (" + std::to_wstring(search.otherLetters) +
                           L" ending in \".CRYPT\" or the like, which the decryptor does not take)";
            }
            return 0;
        }
    }
    return 1;
}

// Decrypts the gathered files in turn until the end or Ctrl+C, which stops within the file being
// decrypted; results[k] tells of places[k].
void DecryptInputs(const DecryptPlan& plan, std::vector<size_t>* placesDecrypted,
                   std::vector<CryptFileResult>* results) {
    std::vector<size_t>& places = *placesDecrypted;
    places.resize(Gather.list.files.size());
    Progress = ProgressRecord{GetTickCount(), 0, 0, &places};
    for (size_t i = 0; i < places.size(); ++i) {
        places[i] = i;
        Progress.bytesAll += Gather.list.files[i].size;
    }
    DecryptCryptFiles(&Gather.list, places, &plan, &ConsoleDecryptReport, results);
    ClearProgressLine();
}

// --recycle-checked: each file decrypted is moved to the Recycle Bin when its output checked and
// neither file has changed, and is listed either way. Ctrl+C stops before the next file.
void RecycleChecked(const std::vector<size_t>& places, const std::vector<CryptFileResult>& results,
                    DecryptRunFacts* facts) {
    facts->recycleAsked = 1;
    for (size_t k = 0; k < places.size() && k < results.size() && !WalkStopRequested(); ++k) {
        if (results[k].outcome != CryptDecrypted) {
            continue;
        }
        const std::wstring& path = Gather.list.files[places[k]].path;
        RecycleResult recycled = RecycleCheckedCryptFile(path.c_str(), results[k]);
        if (recycled.outcome == RecycleMoved) {
            ++facts->recycled;
        } else if (recycled.outcome != RecycleNotOffered) {
            ++facts->recycleKept;
        }
        ReportRecycledFile(path, results[k], recycled);
    }
}

// The plan, the password's key and the pair's key; returns an exit code other than ExitAllDone
// when the run cannot start.
int PlanKeys(const KeyChoice& choice, const std::wstring& original, const std::wstring& encrypted,
             DecryptPlan* plan) {
    std::wstring reason;
    int havePassword = choice.password != NoPassword;
    if (havePassword && !KeyFromPassword(choice.password, choice.passwordFile, &reason)) {
        return ReportFailure(ExitBadInput, reason);
    }
    // The options have been checked: a built-in key comes without a password.
    MakeDecryptPlan(choice.method, choice.builtInKey, havePassword, plan);
    if (choice.method != KeyByPair) {
        return ExitAllDone;
    }
    KeySearchResult found =
        FindPlanPairKey(original.c_str(), encrypted.c_str(), plan, WalkStopRequested);
    if (found != KeyFound) {
        return ReportFailure(ExitBadInput, L"no key turns " + Displayed(encrypted) + L" into " +
                                               Displayed(original) + L": " + KeySearchWords(found) +
                                               L"; nothing was decrypted");
    }
    if (!OutputMode.json && !OutputMode.quiet) {
        WriteLine(StandardOutput, L"The pair was encrypted under " + KeyWords(plan->selector) +
                                      L": using it for every file.");
    }
    return ExitAllDone;
}

} // namespace

int RunDecrypt(const CommandCall& call) {
    OpenOutput(HasOption(call, OptionJson), HasOption(call, OptionQuiet));
    KeyChoice choice;
    std::wstring reason;
    if (!ChooseKey(call, &choice, &reason)) {
        WriteError(reason);
        PrintUsage(StandardError);
        return ExitBadInput;
    }
    // Everything the user named is checked before the password is asked for.
    std::vector<Operand> operands;
    std::wstring original, encrypted;
    int everyDrive = call.operands.empty();
    int named = ResolveOperands(call.operands, &operands, &reason);
    if (everyDrive) {
        for (const std::wstring& drive : SearchedDriveScopes()) {
            operands.push_back({drive, 1});
        }
    }
    if (named && choice.method == KeyByPair) {
        named = ResolvePairFile(choice.pairOriginal, &original, &reason) &&
                ResolvePairFile(choice.pairEncrypted, &encrypted, &reason);
    }
    if (!named) {
        return ReportFailure(ExitBadInput, reason);
    }
    BeginDecryptRun();
    DecryptPlan plan;
    int planned = PlanKeys(choice, original, encrypted, &plan);
    if (planned != ExitAllDone) {
        return planned;
    }
    StopWalkOnCtrlC();
    if (!GatherInputs(operands, HasOption(call, OptionFollowLinks), everyDrive, &reason)) {
        return ReportFailure(ExitBadInput, reason + L"; nothing was decrypted");
    }
    std::vector<size_t> places;
    std::vector<CryptFileResult> results;
    DecryptInputs(plan, &places, &results);

    DecryptRunFacts facts = {ComputerName(), {}, plan, WalkStopRequested(), ExitAllDone, 0, 0, 0};
    for (const Operand& operand : operands) {
        facts.paths.push_back(operand.path);
    }
    if (HasOption(call, OptionRecycleChecked) && !facts.stopped) {
        RecycleChecked(places, results, &facts);
        facts.stopped = WalkStopRequested();
    }
    facts.exitCode = DecryptRunComplete() && !facts.stopped && facts.recycleKept == 0
                         ? ExitAllDone
                         : ExitSomeLeft;
    ReportDecryptSummary(facts);
    return facts.exitCode;
}
