// decrypt: .crypt files decrypted by the recovery engine into new files beside them, under the
// key given, the key found from each file's type, or the key found from a pair of files.
#include "cli/commands.h"
#include "cli/console_output.h"
#include "cli/decrypt_report.h"
#include "cli/entry_report.h"
#include "cli/exit_codes.h"
#include "cli/key_choice.h"
#include "cli/output_names.h"
#include "cli/password_input.h"
#include "cli/scope.h"
#include "cli/walk_scopes.h"
#include "common/run_state.h"
#include "recovery/decrypt_file.h"
#include "recovery/key_files.h"
#include "recovery/key_identify.h"
#include "unlock/real_paths.h"
#include <windows.h>
#include <algorithm>
#include <unordered_set>

namespace {

const wchar_t CryptPattern[] = L"*.crypt";
const wchar_t CryptExtension[] = L".crypt";

struct CryptInput {
    std::wstring path; // long form
    int64_t size;
    // CryptSkipped or CryptFailed when the file cannot be given to the decryptor at all, reason
    // saying why; CryptDecrypted when nothing stands in its way.
    CryptOutcome settled;
    std::wstring reason;
};

// The files to decrypt, gathered before any is decrypted: an output is never taken for an input
// (a.crypt.crypt gives a.crypt), and every PATH is checked before anything is written.
struct GatherRecord {
    std::vector<CryptInput> inputs;
    std::unordered_set<std::wstring> seen; // each input's path in capitals
    int64_t foundInFolder;                 // .crypt files of the folder being searched
    int64_t otherLettersInFolder;          // names ending in ".CRYPT" and the like
};
GatherRecord Gather;

// Ticks of the performance counter, as milliseconds.
struct ClockRecord {
    LARGE_INTEGER frequency;
    LARGE_INTEGER identifyTicks; // finding keys: each file's under --auto, the pair's
    LARGE_INTEGER pairTicks;     // of that, the pair's, before the files are searched for
};
ClockRecord Clock = {};

int64_t Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

int64_t Milliseconds(int64_t ticks) {
    return Clock.frequency.QuadPart > 0 ? ticks * 1000 / Clock.frequency.QuadPart : 0;
}

std::wstring InCapitals(const std::wstring& path) {
    std::wstring key = path;
    if (!key.empty() && LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, path.c_str(),
                                      static_cast<int>(path.size()), &key[0],
                                      static_cast<int>(key.size()), nullptr, nullptr, 0) == 0) {
        key = path;
    }
    return key;
}

// A name ending in ".crypt" in letters of another case, which the decryptor does not take.
bool EndsInCryptOtherwise(const std::wstring& path) {
    size_t length = path.size();
    return length > 6 && !IsCryptName(path.c_str()) &&
           CompareStringOrdinal(path.c_str() + length - 6, 6, CryptExtension, 6, TRUE) ==
               CSTR_EQUAL;
}

const wchar_t OtherLettersReason[] =
    L"the decryptor takes only names ending in \".crypt\", in small letters";

std::wstring NameOfPath(const std::wstring& path) {
    size_t separator = path.rfind(L'\\');
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

void AddInput(const std::wstring& path, int64_t size, CryptOutcome settled,
              const std::wstring& reason) {
    if (!Gather.seen.insert(InCapitals(path)).second) {
        return;
    }
    Gather.inputs.push_back({path, size, settled, reason});
}

// A match of "*.crypt": files only, in the letters the decryptor takes; a name in other letters
// is listed as skipped, so that the user learns of it.
void MetCryptMatch(const wchar_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return;
    }
    int64_t size = static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    if (IsCryptName(path)) {
        Gather.foundInFolder += 1;
        AddInput(path, size, CryptDecrypted, L"");
    } else if (EndsInCryptOtherwise(path)) {
        Gather.otherLettersInFolder += 1;
        AddInput(path, size, CryptSkipped, OtherLettersReason);
    }
}

void MetTooLongCrypt(const std::wstring& path) {
    if (IsCryptName(path.c_str())) {
        Gather.foundInFolder += 1;
        AddInput(path, 0, CryptFailed, L"its path is longer than the walk can handle");
    }
}

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
        if (!ResolveEntry(text, L"file or folder", &operand.path, &operand.isFolder, reason)) {
            return 0;
        }
        if (!operand.isFolder && !IsCryptName(operand.path.c_str())) {
            *reason = L"not a .crypt file: " + text +
                      (EndsInCryptOtherwise(operand.path)
                           ? std::wstring(L" (") + OtherLettersReason + L")"
                           : L"");
            return 0;
        }
        operands->push_back(operand);
    }
    return 1;
}

// One of the two files of --pair.
int ResolvePairFile(const std::wstring& typed, std::wstring* path, std::wstring* reason) {
    int isFolder = 0;
    if (!ResolveEntry(typed, L"file", path, &isFolder, reason)) {
        return 0;
    }
    if (isFolder) {
        *reason = L"a folder, not a file: " + typed;
        return 0;
    }
    return 1;
}

// Every .crypt file of the PATHs, in the order given, each once; a folder inside another one
// given is searched as part of that one. Returns 0 with a reason when a folder searched holds no
// .crypt file.
int GatherInputs(const std::vector<Operand>& operands, std::wstring* reason) {
    std::vector<std::wstring> folders;
    for (const Operand& operand : operands) {
        if (operand.isFolder) {
            folders.push_back(operand.path);
        }
    }
    std::vector<std::wstring> scopes;
    if (!folders.empty() && !ResolveScopes(folders, &scopes, reason)) {
        return 0;
    }
    for (const Operand& operand : operands) {
        if (!operand.isFolder) {
            MetCryptMatch(operand.path.c_str());
            continue;
        }
        auto scope = std::find(scopes.begin(), scopes.end(), operand.path);
        if (scope == scopes.end()) {
            continue; // inside another folder given, or given twice
        }
        scopes.erase(scope);
        Gather.foundInFolder = 0;
        Gather.otherLettersInFolder = 0;
        int64_t notSearchedBefore = WalkTally.foldersNotSearched;
        WalkScopesMatching({operand.path}, CryptPattern, MetCryptMatch, MetTooLongCrypt);
        if (WalkStopped()) {
            return 1;
        }
        if (Gather.foundInFolder == 0 && WalkTally.foldersNotSearched == notSearchedBefore) {
            *reason = L"no .crypt file in " + DisplayedPath(operand.path);
            if (Gather.otherLettersInFolder > 0) {
                *reason += L" (" + std::to_wstring(Gather.otherLettersInFolder) +
                           L" ending in \".CRYPT\" or the like, which the decryptor does not take)";
            }
            return 0;
        }
    }
    return 1;
}

// The decryptor's result code in words.
std::wstring DecryptResultText(DecryptResult result, DWORD error) {
    std::wstring number = error != 0 ? L" (" + ErrorText(error) + L")" : L"";
    switch (result) {
    case DecryptOk:
        return L"";
    case DecryptOpenFailed:
        return L"the file cannot be opened" + number;
    case DecryptCreateFailed:
        return L"the output file cannot be created" + number;
    case DecryptReadFailed:
        return L"reading the file failed part way";
    case DecryptWriteFailed:
        return L"writing the output failed part way (is the disk full?)";
    case DecryptNoKey:
        return L"no key was chosen";
    case DecryptNotCryptFile:
        return L"the name does not end in \".crypt\"";
    }
    return L"the decryptor gave result " + std::to_wstring(static_cast<int32_t>(result));
}

struct KeyPlan {
    int withPassword; // the password's key is a candidate (--auto, --pair) or the key
    int32_t selector; // the key of every file, or KeySelectorNone for --auto
};

void DecryptOne(const CryptInput& input, const KeyPlan& plan) {
    CryptFileReport report = {CryptFailed, input.path, plan.selector, L"", L"", -1, 0, input.size};
    if (input.settled != CryptDecrypted) {
        report.outcome = input.settled;
        report.selector = KeySelectorNone;
        report.reason = input.reason;
        ReportCryptFile(report);
        return;
    }
    if (input.path.size() > DecryptorPathLimit) {
        report.reason = L"its path is too long for the decryptor (at most " +
                        std::to_wstring(DecryptorPathLimit) + L" characters, \\\\?\\ included)";
        ReportCryptFile(report);
        return;
    }
    if (plan.selector == KeySelectorNone) {
        KeyMatch match;
        int64_t started = Now();
        KeySearchResult found = IdentifyCryptFileKey(input.path.c_str(), plan.withPassword, &match);
        Clock.identifyTicks.QuadPart += Now() - started;
        if (found != KeyFound) {
            report.outcome = CryptNotIdentified;
            report.selector = KeySelectorNone;
            report.fittingKeys = match.fittingKeys;
            report.reason = KeySearchResultText(found);
            ReportCryptFile(report);
            return;
        }
        report.selector = match.selector;
    }
    OutputNameWatch watch;
    WatchOutputNames(input.path, &watch);
    std::wstring firstFree = OutputCandidate(watch.base, watch.firstFree);
    if (firstFree.size() > DecryptorPathLimit) {
        report.reason = L"no free name for the output fits the decryptor's " +
                        std::to_wstring(DecryptorPathLimit) + L" characters: " +
                        DisplayedPath(OutputCandidate(watch.base, -1)) + L" is taken";
        ReportCryptFile(report);
        return;
    }
    RunState.KeySelector = report.selector;
    SetLastError(0);
    DecryptResult result = DecryptCryptFile(input.path.c_str());
    DWORD error = GetLastError();
    report.result = result;
    if (result == DecryptOk || result == DecryptReadFailed || result == DecryptWriteFailed) {
        report.output = FindOutputName(watch);
    }
    if (result == DecryptOk) {
        report.outcome = CryptDecrypted;
        if (report.output.empty()) {
            report.reason = L"its output's name cannot be told: other names beside it changed "
                            L"meanwhile; look for " +
                            NameOfPath(watch.base) + L" or " + NameOfPath(firstFree);
        }
    } else {
        report.reason = DecryptResultText(
            result, result == DecryptOpenFailed || result == DecryptCreateFailed ? error : 0);
        if (!report.output.empty()) {
            report.reason += L"; what was written is left in " + NameOfPath(report.output);
        }
    }
    ReportCryptFile(report);
}

// Before each file: how far the run has come, and the file now being decrypted.
void ShowDecryptProgress(size_t done, size_t count, int64_t bytesDone, int64_t bytesAll,
                         int64_t startedAt, const std::wstring& path) {
    if (!OutputMode.progress) {
        return;
    }
    int64_t ms = Milliseconds(Now() - startedAt);
    double rate = ms > 0 ? static_cast<double>(bytesDone) / 1e3 / static_cast<double>(ms) : 0;
    ShowProgressLine(std::to_wstring(done) + L" of " + std::to_wstring(count) + L" files, " +
                     OneDecimal(static_cast<double>(bytesDone) / 1e6) + L" of " +
                     OneDecimal(static_cast<double>(bytesAll) / 1e6) + L" MB, " + OneDecimal(rate) +
                     L" MB/s  " + DisplayedPath(path));
}

const char* KeyOptionName(KeyMethod method) {
    switch (method) {
    case KeyBuiltIn:
        return "key";
    case KeyByPair:
        return "pair";
    case KeyByPassword:
        return "password";
    case KeyByType:
        break;
    }
    return "auto";
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
    QueryPerformanceFrequency(&Clock.frequency);

    // Everything the user named is checked before the password is asked for.
    RedirectionState redirection;
    BeginRealPaths(&redirection);
    std::vector<Operand> operands;
    std::wstring original, encrypted;
    int named = ResolveOperands(call.operands, &operands, &reason);
    if (named && choice.method == KeyByPair) {
        named = ResolvePairFile(choice.pairOriginal, &original, &reason) &&
                ResolvePairFile(choice.pairEncrypted, &encrypted, &reason);
    }
    EndRealPaths(&redirection);
    if (!named) {
        return ReportFailure(ExitBadInput, reason);
    }

    KeyPlan plan = {0, KeySelectorNone};
    if (choice.password != NoPassword) {
        if (!KeyFromPassword(choice.password, choice.passwordFile, &reason)) {
            return ReportFailure(ExitBadInput, reason);
        }
        plan.withPassword = 1;
    }
    if (choice.method == KeyBuiltIn) {
        plan.selector = choice.builtInKey;
    } else if (choice.method == KeyByPassword) {
        plan.selector = KeySelectorPassword;
    }

    BeginRealPaths(&redirection);
    if (choice.method == KeyByPair) {
        KeyMatch match;
        int64_t started = Now();
        KeySearchResult found =
            FindPairFileKey(original.c_str(), encrypted.c_str(), plan.withPassword, &match);
        Clock.pairTicks.QuadPart = Now() - started;
        Clock.identifyTicks.QuadPart += Clock.pairTicks.QuadPart;
        if (found != KeyFound) {
            EndRealPaths(&redirection);
            return ReportFailure(ExitBadInput, L"no key turns " + DisplayedPath(encrypted) +
                                                   L" into " + DisplayedPath(original) + L": " +
                                                   KeySearchResultText(found) +
                                                   L"; nothing was decrypted");
        }
        plan.selector = match.selector;
        if (!OutputMode.json && !OutputMode.quiet) {
            WriteLine(StandardOutput, L"The pair was encrypted under " + KeyWords(plan.selector) +
                                          L": using it for every file.");
        }
    }

    StopWalkOnCtrlC();
    if (!GatherInputs(operands, &reason)) {
        EndRealPaths(&redirection);
        return ReportFailure(ExitBadInput, reason + L"; nothing was decrypted");
    }

    int64_t bytesAll = 0;
    for (const CryptInput& input : Gather.inputs) {
        bytesAll += input.size;
    }
    int64_t startedAt = Now();
    int64_t bytesDone = 0;
    size_t done = 0;
    for (; done < Gather.inputs.size() && !WalkStopped(); ++done) {
        const CryptInput& input = Gather.inputs[done];
        ShowDecryptProgress(done, Gather.inputs.size(), bytesDone, bytesAll, startedAt, input.path);
        DecryptOne(input, plan);
        bytesDone += input.size;
    }
    ClearProgressLine();
    EndRealPaths(&redirection);
    DecryptTally.notTried = static_cast<int64_t>(Gather.inputs.size() - done);
    DecryptTally.elapsedMs = Milliseconds(Now() - startedAt + Clock.pairTicks.QuadPart);
    DecryptTally.identifyMs = Milliseconds(Clock.identifyTicks.QuadPart);

    DecryptSummary summary = {};
    for (const Operand& operand : operands) {
        summary.paths.push_back(operand.path);
    }
    summary.keyOption = KeyOptionName(choice.method);
    summary.selector = plan.selector;
    summary.withPassword = plan.withPassword;
    summary.folders = WalkTally.folders;
    summary.foldersNotSearched = WalkTally.foldersNotSearched;
    summary.stopped = WalkStopped();
    bool allDecrypted = DecryptTally.decrypted == DecryptTally.files && DecryptTally.notTried == 0;
    summary.exitCode = allDecrypted && !summary.stopped && summary.foldersNotSearched == 0
                           ? ExitAllDone
                           : ExitSomeLeft;
    ReportDecryptSummary(summary);
    return summary.exitCode;
}
