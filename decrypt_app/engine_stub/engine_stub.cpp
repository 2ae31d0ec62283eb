// STAND-IN FOR THE SHARED DECRYPT LAYER, TO BE DELETED WHEN THAT LAYER LANDS.
//
// The decrypt window is written against the headers beside this file, which are copies of the
// shared layer's (recovery/decrypt_run.h and its neighbours). Until the real layer is merged,
// this file gives the window something to call: it gathers .crypt files with a plain recursive
// listing and decrypts each one whole with today's decryptor, identification and pair search.
// What it cannot do yet: stop within a file (stopRequested is asked between files only),
// progress within a file (fileProgress comes at a file's start and end only), temporary output
// names, and the console program's exact JSON fields and reason texts.
#include "common/run_state.h"
#include "recovery/decrypt_run.h"
#include "recovery/file_utilities.h"
#include "recovery/key_files.h"
#include "recovery/password_key.h"
#include "recovery/password_text.h"
#include "report/decrypt_json.h"
#include "report/decrypt_words.h"
#include "unlock/path_forms.h"
#include "unlock/path_text.h"

#include <windows.h>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

DecryptTotalsRecord DecryptTotals;

namespace {

const wchar_t StubCryptExtension[] = L".crypt";

int64_t StubNowMs() {
    return static_cast<int64_t>(GetTickCount64());
}

int64_t StubRunStartMs = 0;

bool StubEndsInCryptOtherwise(const wchar_t* path) {
    size_t length = std::wcslen(path);
    return length > 6 && !IsCryptName(path) &&
           CompareStringOrdinal(path + length - 6, 6, StubCryptExtension, 6, TRUE) == CSTR_EQUAL;
}

void StubReport(const DecryptReport* report, const wchar_t* path, int64_t size,
                CryptOutcome outcome, CryptReason reason) {
    CryptFileFound found = {path, size, outcome, reason};
    if (report->foundFile != nullptr) {
        report->foundFile(&found);
    }
}

int64_t StubSize(const WIN32_FIND_DATAW& data) {
    return static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

void StubWalk(const std::wstring& folder, const DecryptReport* report, int64_t* found,
              int64_t* otherLetters) {
    if (report->stopRequested != nullptr && report->stopRequested()) {
        return;
    }
    if (report->enteredFolder != nullptr) {
        report->enteredFolder(folder.c_str());
    }
    DecryptTotals.folders += 1;
    WIN32_FIND_DATAW data;
    HANDLE listing = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (listing == INVALID_HANDLE_VALUE) {
        return;
    }
    std::vector<std::wstring> subfolders;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        std::wstring path = folder + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            subfolders.push_back(path);
        } else if (IsCryptName(path.c_str())) {
            *found += 1;
            StubReport(report, path.c_str(), StubSize(data), CryptPending, CryptReasonNone);
        } else if (StubEndsInCryptOtherwise(path.c_str())) {
            *otherLetters += 1;
            StubReport(report, path.c_str(), StubSize(data), CryptSkipped, CryptReasonOtherLetters);
        }
    } while (FindNextFileW(listing, &data));
    FindClose(listing);
    for (const std::wstring& subfolder : subfolders) {
        StubWalk(subfolder, report, found, otherLetters);
    }
}

// The candidates the decryptor tries for its output: the name without ".crypt", then "(0)"...
std::wstring StubCandidate(const std::wstring& base, int counter) {
    return counter < 0 ? base : base + L"(" + std::to_wstring(counter) + L")";
}

std::string StubJsonText(const std::wstring& text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        char escaped[8];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out + "\"";
}

std::string StubShown(const wchar_t* longPath) {
    wchar_t shown[DecryptNameCapacity + 8];
    DisplayedPath(longPath, shown, sizeof(shown) / sizeof(shown[0]));
    return StubJsonText(shown);
}

} // namespace

CryptPathKind KindOfCryptPath(const wchar_t* longPath, int32_t isFolder) {
    if (isFolder) {
        return CryptPathFolder;
    }
    if (IsCryptName(longPath)) {
        return CryptPathFile;
    }
    return StubEndsInCryptOtherwise(longPath) ? CryptPathOtherLetters : CryptPathNotCrypt;
}

void BeginDecryptRun() {
    DecryptTotals = DecryptTotalsRecord();
    StubRunStartMs = StubNowMs();
}

KeySearchResult FindPlanPairKey(const wchar_t* original, const wchar_t* encrypted,
                                DecryptPlan* plan) {
    KeyMatch match = {KeySelectorNone, 0};
    int64_t started = StubNowMs();
    KeySearchResult found = FindPairFileKey(original, encrypted, plan->withPassword, &match);
    DecryptTotals.identifyMs += StubNowMs() - started;
    if (found == KeyFound) {
        plan->selector = match.selector;
    }
    return found;
}

int64_t GatherCryptFiles(const wchar_t* longPath, int32_t isFolder, const DecryptReport* report,
                         int64_t* otherLetters) {
    int64_t found = 0;
    *otherLetters = 0;
    if (!isFolder) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        int64_t size = 0;
        if (GetFileAttributesExW(longPath, GetFileExInfoStandard, &data)) {
            size = static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
        }
        CryptPathKind kind = KindOfCryptPath(longPath, 0);
        if (kind == CryptPathFile) {
            found = 1;
            StubReport(report, longPath, size, CryptPending, CryptReasonNone);
        } else if (kind == CryptPathOtherLetters) {
            *otherLetters = 1;
            StubReport(report, longPath, size, CryptSkipped, CryptReasonOtherLetters);
        }
        return found;
    }
    StubWalk(longPath, report, &found, otherLetters);
    return found;
}

void DecryptRunFile(const CryptFileFound* file, const DecryptPlan* plan,
                    const DecryptReport* report, CryptFileResult* result) {
    *result = CryptFileResult();
    result->selector = KeySelectorNone;
    result->decryptResult = -1;
    result->bytes = file->size;
    result->outcome = file->outcome;
    result->reason = file->reason;
    DecryptTotals.files += 1;
    if (file->outcome == CryptPending && std::wcslen(file->path) >= DecryptNameCapacity) {
        result->outcome = CryptFailed;
        result->reason = CryptReasonDecryptorPathTooLong;
    }
    if (result->outcome != CryptPending) {
        if (result->outcome == CryptSkipped) {
            DecryptTotals.skipped += 1;
        } else {
            DecryptTotals.failed += 1;
        }
        return;
    }
    if (report->fileProgress != nullptr) {
        report->fileProgress(0, static_cast<uint64_t>(file->size));
    }
    int32_t selector = plan->selector;
    if (selector == KeySelectorNone) {
        KeyMatch match = {KeySelectorNone, 0};
        int64_t started = StubNowMs();
        KeySearchResult found = IdentifyCryptFileKey(file->path, plan->withPassword, &match);
        DecryptTotals.identifyMs += StubNowMs() - started;
        result->fittingKeys = match.fittingKeys;
        if (found != KeyFound) {
            result->outcome = CryptNotIdentified;
            result->reason = CryptReasonKeySearch;
            result->keyResult = found;
            DecryptTotals.notIdentified += 1;
            return;
        }
        selector = match.selector;
    }
    result->selector = selector;

    // The decryptor takes the first free candidate, or a later one when names appear meanwhile.
    std::wstring base(file->path, std::wcslen(file->path) - 6);
    int firstFree = -1;
    while (firstFree < 9999999 &&
           GetFileAttributesW(StubCandidate(base, firstFree).c_str()) != INVALID_FILE_ATTRIBUTES) {
        ++firstFree;
    }
    RunState.KeySelector = selector;
    SetLastError(0);
    DecryptResult decrypted = DecryptCryptFile(file->path);
    result->systemError =
        decrypted == DecryptOpenFailed || decrypted == DecryptCreateFailed ? GetLastError() : 0;
    result->decryptResult = decrypted;
    for (int counter = firstFree; counter < firstFree + 8; ++counter) {
        std::wstring candidate = StubCandidate(base, counter);
        if (GetFileAttributesW(candidate.c_str()) != INVALID_FILE_ATTRIBUTES &&
            candidate.size() < DecryptNameCapacity) {
            std::wcscpy(result->output, candidate.c_str());
            break;
        }
    }
    if (decrypted == DecryptOk) {
        result->outcome = CryptDecrypted;
        DecryptTotals.decrypted += 1;
        DecryptTotals.bytesDecrypted += file->size;
    } else {
        result->outcome = CryptFailed;
        result->reason = CryptReasonDecryptor;
        DecryptTotals.failed += 1;
    }
    if (report->fileProgress != nullptr) {
        report->fileProgress(static_cast<uint64_t>(file->size), static_cast<uint64_t>(file->size));
    }
}

void EndDecryptRun(int64_t notTried) {
    DecryptTotals.notTried = notTried;
    DecryptTotals.elapsedMs = StubNowMs() - StubRunStartMs;
}

int DecryptRunComplete() {
    return DecryptTotals.decrypted == DecryptTotals.files && DecryptTotals.notTried == 0 &&
           DecryptTotals.foldersNotSearched == 0;
}

PlanVerdict MakeDecryptPlan(KeyMethod method, int32_t builtInKey, int32_t havePassword,
                            DecryptPlan* plan) {
    plan->method = method;
    plan->withPassword = havePassword;
    plan->selector = KeySelectorNone;
    if (method == KeyBuiltIn) {
        if (havePassword) {
            return PlanKeyAndPassword;
        }
        if (builtInKey < 0 || builtInKey >= BuiltInDesKeyCount) {
            return PlanNoSuchKey;
        }
        plan->selector = builtInKey;
    } else if (method == KeyByPassword) {
        if (!havePassword) {
            return PlanNoPassword;
        }
        plan->selector = KeySelectorPassword;
    }
    return PlanReady;
}

PasswordVerdict KeyFromPasswordText(const wchar_t* text, int32_t length, int32_t* byteCount) {
    *byteCount = 0;
    if (length <= 0) {
        return PasswordEmpty;
    }
    for (int32_t i = 0; i < length; ++i) {
        if (text[i] == L'\0') {
            return PasswordHoldsNul;
        }
    }
    char bytes[256];
    int size = ToFileApiNarrow(text, length, bytes, sizeof(bytes) - 1);
    if (size <= 0) {
        SecureZeroMemory(bytes, sizeof(bytes));
        return PasswordNotConvertible;
    }
    *byteCount = size;
    if (size > 31) {
        SecureZeroMemory(bytes, sizeof(bytes));
        return PasswordTooLong;
    }
    bytes[size] = '\0';
    int32_t keyed = DerivePasswordKey(bytes);
    SecureZeroMemory(bytes, sizeof(bytes));
    return keyed ? PasswordKeyed : PasswordTooLong;
}

const wchar_t* FinalNameOf(const wchar_t* path) {
    const wchar_t* separator = std::wcsrchr(path, L'\\');
    return separator != nullptr ? separator + 1 : path;
}

void DisplayedPath(const wchar_t* longPath, wchar_t* out, size_t capacity) {
    std::wstring shown = longPath;
    if (shown.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
        shown = L"\\\\" + shown.substr(8);
    } else if (shown.compare(0, 4, L"\\\\?\\") == 0) {
        shown = shown.substr(4);
        if (shown.size() == 2 && shown[1] == L':') {
            shown += L"\\";
        }
    }
    size_t count = shown.size() < capacity ? shown.size() : capacity - 1;
    std::wmemcpy(out, shown.c_str(), count);
    out[count] = L'\0';
}

LongFormResult LongFormOf(const wchar_t* path, wchar_t* out, size_t capacity, int32_t* shareRoot,
                          uint32_t* systemError) {
    *shareRoot = 0;
    *systemError = 0;
    std::wstring full;
    if (std::wcsncmp(path, L"\\\\?\\", 4) == 0) {
        full = path;
    } else {
        wchar_t buffer[2048];
        DWORD length = GetFullPathNameW(path, 2048, buffer, nullptr);
        if (length == 0 || length >= 2048) {
            *systemError = GetLastError();
            return LongFormRefused;
        }
        full = buffer;
        if (full.compare(0, 4, L"\\\\.\\") == 0) {
            return LongFormDevice;
        }
        if (full.compare(0, 2, L"\\\\") == 0) {
            full = L"\\\\?\\UNC\\" + full.substr(2);
        } else if (full.size() >= 2 && full[1] == L':') {
            full = L"\\\\?\\" + full;
        } else {
            return LongFormNotOnDrive;
        }
    }
    while (full.size() > 6 && full.back() == L'\\') {
        full.pop_back();
    }
    if (full.size() + 1 > capacity) {
        return LongFormTooLong;
    }
    std::wmemcpy(out, full.c_str(), full.size() + 1);
    return LongFormMade;
}

int CaseKeyOf(const wchar_t* text, wchar_t* key, size_t capacity) {
    size_t length = std::wcslen(text);
    if (length + 1 > capacity) {
        return 0;
    }
    std::wmemcpy(key, text, length + 1);
    if (length > 0) {
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text, static_cast<int>(length), key,
                      static_cast<int>(length), nullptr, nullptr, 0);
    }
    return 1;
}

std::wstring OneDecimal(double value) {
    wchar_t text[64];
    std::swprintf(text, 64, L"%.1f", value);
    return text;
}

std::string DecryptFileJson(const wchar_t* path, const CryptFileResult& result) {
    static const char* const Outcomes[] = {"decrypted", "not_identified", "failed", "skipped",
                                           "pending"};
    std::string line = "{\"kind\":\"file\",\"outcome\":\"" + std::string(Outcomes[result.outcome]) +
                       "\",\"path\":" + StubShown(path);
    if (result.outcome == CryptDecrypted || result.selector != KeySelectorNone) {
        line += ",\"key\":" + (result.selector == KeySelectorPassword
                                   ? std::string("\"password\"")
                                   : std::to_string(result.selector));
    }
    if (result.output[0] != L'\0') {
        line += ",\"output\":" + StubShown(result.output);
    }
    if (result.outcome == CryptNotIdentified) {
        line += ",\"reason\":" + StubJsonText(KeySearchResultText(result.keyResult));
    }
    return line + ",\"bytes\":" + std::to_string(result.bytes) + "}";
}

std::string DecryptSummaryJson(const DecryptRunFacts& facts, const DecryptTotalsRecord& totals) {
    std::string paths;
    for (size_t i = 0; i < facts.paths.size(); ++i) {
        paths += (i > 0 ? "," : "") + StubShown(facts.paths[i].c_str());
    }
    static const char* const Options[] = {"auto", "key", "pair", "password"};
    return "{\"kind\":\"summary\",\"command\":\"decrypt\",\"computer\":" +
           StubJsonText(facts.computer) + ",\"key_option\":\"" + Options[facts.plan.method] +
           "\",\"password\":" + (facts.plan.withPassword ? "true" : "false") +
           ",\"folders\":" + std::to_string(totals.folders) + ",\"paths\":[" + paths +
           "],\"files\":" + std::to_string(totals.files) +
           ",\"decrypted\":" + std::to_string(totals.decrypted) +
           ",\"not_identified\":" + std::to_string(totals.notIdentified) +
           ",\"failed\":" + std::to_string(totals.failed) +
           ",\"skipped\":" + std::to_string(totals.skipped) +
           ",\"not_tried\":" + std::to_string(totals.notTried) +
           ",\"stopped\":" + (facts.stopped ? "true" : "false") +
           ",\"bytes_decrypted\":" + std::to_string(totals.bytesDecrypted) +
           ",\"elapsed_ms\":" + std::to_string(totals.elapsedMs) +
           ",\"identify_ms\":" + std::to_string(totals.identifyMs) +
           ",\"exit_code\":" + std::to_string(facts.exitCode) + "}";
}
