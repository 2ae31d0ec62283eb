// The recursive walk of one directory tree: sizes and descent first, then the directory's own
// matches, so a damaged directory is handed over only after everything in it. Links are entered
// once per target and run, never into the walk itself, and only where the caller agrees.
//
// The damaged-name pattern is matched on the names of the first listing as they go by, and its
// matches are handed over from there: a folder is listed once, damaged or not. Listing it again
// for the pattern cost more than the rest of a scan's work on a damaged drive, and it yielded the
// same entries in the same order, since nothing the walk does below a folder renames the folder's
// own entries (a link back up the walk is never entered). Another pattern, or a folder whose
// matches do not all fit the names held, is listed a second time as before. The names the
// listing met also tell a caller, while it is handed the folder's matches, which names no entry
// of the folder can bear, so that it need not ask the system about each.
#include "unlock/walk_tree.h"
#include "unlock/name_rule.h"
#include "unlock/walk_limits.h"
#include <cstring>

namespace {

// FileIdInfo of GetFileInformationByHandleEx and its record (Windows 8 and later; the headers
// declare them only for programs that require that version, and this one runs on Windows 7).
const FILE_INFO_BY_HANDLE_CLASS FileIdInfoClass = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
struct FileIdRecord {
    ULONGLONG volumeSerial;
    BYTE fileId[16];
};

// Identity of a directory however it was reached: a junction or symbolic link opens the directory
// it points to, so a link back up the tree shows the identity of a directory being walked. The
// 128-bit file id is unique on every file system; the older 64-bit file index is not on all (ReFS
// reuses it), so it is taken only where the system has no 128-bit id, and identities are compared
// only when taken the same way.
enum IdentityKind : int32_t { IdentityUnknown = 0, IdentityFileId = 1, IdentityFileIndex = 2 };
struct DirectoryIdentity {
    int32_t kind;
    ULONGLONG volumeSerial;
    BYTE fileId[16];
};

// One directory on the way from the walk's start down to the one being walked. Its identity is
// asked for only when a link is met below it, so a tree without links costs no extra opens.
struct WalkLevel {
    const wchar_t* directory; // the caller's buffer, unchanged while this level is walked
    DirectoryIdentity identity;
    int32_t identified;
};

// The directories being walked, outermost first. One walk at a time per process: the dialog's
// worker or the console program's main thread.
struct WalkPathRecord {
    int32_t depth;
    WalkLevel levels[WalkMaxDepth];
};
WalkPathRecord WalkPath;

// The targets of the links entered in this run.
struct LinkTargetsRecord {
    int32_t count;
    DirectoryIdentity targets[LinkTargetCapacity];
};
LinkTargetsRecord LinkTargets;

// The names the first listings met, held until their folder's tree has been walked. A folder's
// names follow those its parent holds, and its walk gives their room back when it ends, so the
// record holds only the names of the folders on the way down. Each entry is held as its kind, its
// name and its short name (empty when it has none), each of the two with its terminator. A folder
// whose names do not all fit keeps only its matches, and one whose matches do not fit keeps
// nothing and is listed again. Room for some four thousand names of common length at once.
const size_t HeldNamesCapacity = 131072; // wide characters, terminators included
const wchar_t HeldOther = L'o';
const wchar_t HeldMatch = L'm';
struct HeldNamesRecord {
    size_t used;
    wchar_t names[HeldNamesCapacity];
};
HeldNamesRecord HeldNames;

// One folder's part of HeldNames while its listing is read and its tree walked.
struct HeldLevel {
    size_t from;  // where its entries begin
    int allNames; // every entry of the listing is held
    int matches;  // every match of the listing is held, so it is not listed again
};

// The folder whose matches are being handed over from HeldNames, while they are.
struct HandingOverRecord {
    const wchar_t* directory; // null when none is
    size_t from;
    size_t to;
    int allNames;
};
HandingOverRecord HandingOver;

const wchar_t ListAllTail[] = L"\\*.*";
const size_t ListAllTailLength = 4;
const wchar_t Separator[] = L"\\";

// out := first + second + third; 0 (and out empty) when that does not fit in WalkPathCapacity.
int JoinPath(wchar_t* out, const wchar_t* first, const wchar_t* second, const wchar_t* third) {
    const wchar_t* parts[3] = {first, second, third};
    size_t length = 0;
    for (const wchar_t* part : parts) {
        for (size_t i = 0; part[i] != L'\0'; ++i) {
            if (length + 1 >= WalkPathCapacity) {
                out[0] = L'\0';
                return 0;
            }
            out[length++] = part[i];
        }
    }
    out[length] = L'\0';
    return 1;
}

int IsDotName(const wchar_t* name) {
    return (name[0] == L'.' && name[1] == L'\0') ||
           (name[0] == L'.' && name[1] == L'.' && name[2] == L'\0');
}

// Opens a directory however it was reached (a link opens the directory it leads to), for its
// identity and, when asked, its long path.
HANDLE OpenDirectory(const wchar_t* directory) {
    // A drive's start directory (\\?\C:) names its volume; its root directory is \\?\C:\.
    wchar_t path[WalkPathCapacity + 1];
    size_t length = 0;
    while (directory[length] != L'\0') {
        if (length + 1 >= WalkPathCapacity) {
            return INVALID_HANDLE_VALUE;
        }
        path[length] = directory[length];
        ++length;
    }
    if (length > 0 && path[length - 1] == L':') {
        path[length++] = L'\\';
    }
    path[length] = L'\0';
    // Attribute access only, and every kind of sharing, so an entry in use elsewhere is not
    // disturbed; backup semantics is what lets a directory be opened at all.
    return CreateFileW(path, FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

DirectoryIdentity IdentityOf(HANDLE handle) {
    DirectoryIdentity identity = {};
    FileIdRecord id;
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileInformationByHandleEx(handle, FileIdInfoClass, &id, sizeof id)) {
        identity.kind = IdentityFileId;
        identity.volumeSerial = id.volumeSerial;
        std::memcpy(identity.fileId, id.fileId, sizeof identity.fileId);
    } else if (GetFileInformationByHandle(handle, &information)) {
        identity.kind = IdentityFileIndex;
        identity.volumeSerial = information.dwVolumeSerialNumber;
        DWORD index[2] = {information.nFileIndexLow, information.nFileIndexHigh};
        std::memcpy(identity.fileId, index, sizeof index);
    }
    return identity;
}

DirectoryIdentity IdentifyDirectory(const wchar_t* directory) {
    DirectoryIdentity identity = {};
    HANDLE handle = OpenDirectory(directory);
    if (handle != INVALID_HANDLE_VALUE) {
        identity = IdentityOf(handle);
        CloseHandle(handle);
    }
    return identity;
}

int SameDirectory(const DirectoryIdentity& first, const DirectoryIdentity& second) {
    return first.kind != IdentityUnknown && first.kind == second.kind &&
           first.volumeSerial == second.volumeSerial &&
           std::memcmp(first.fileId, second.fileId, sizeof first.fileId) == 0;
}

// Whether the target is a directory on the way from the walk's start to here: every loop in a
// tree passes through such a link, since plain directories cannot be reached twice.
bool LeadsBackIntoTheWalk(const DirectoryIdentity& target) {
    for (int32_t i = 0; i < WalkPath.depth; ++i) {
        WalkLevel& level = WalkPath.levels[i];
        if (!level.identified) {
            level.identity = IdentifyDirectory(level.directory);
            level.identified = 1;
        }
        if (SameDirectory(level.identity, target)) {
            return true;
        }
    }
    return false;
}

bool EnteredAlready(const DirectoryIdentity& target) {
    for (int32_t i = 0; i < LinkTargets.count; ++i) {
        if (SameDirectory(LinkTargets.targets[i], target)) {
            return true;
        }
    }
    return false;
}

// Decides on a link and, when it is to be entered, records its target. The target's path is
// asked of the system only for a caller that looks at it.
bool EnterLink(const wchar_t* linkPath, const WalkReport* report) {
    wchar_t targetPath[WalkPathCapacity];
    targetPath[0] = L'\0';
    DirectoryIdentity target = {};
    HANDLE handle = OpenDirectory(linkPath);
    if (handle != INVALID_HANDLE_VALUE) {
        target = IdentityOf(handle);
        if (report->metLink != nullptr) {
            DWORD length = GetFinalPathNameByHandleW(handle, targetPath, WalkPathCapacity,
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
            if (length == 0 || length >= WalkPathCapacity) {
                targetPath[0] = L'\0';
            }
        }
        CloseHandle(handle);
    }
    LinkVerdict verdict = LinkEnter;
    if (target.kind == IdentityUnknown) {
        verdict = LinkTargetUnknown;
    } else if (LeadsBackIntoTheWalk(target)) {
        verdict = LinkLeadsBack;
    } else if (EnteredAlready(target)) {
        verdict = LinkWalkedAlready;
    } else if (LinkTargets.count == LinkTargetCapacity) {
        verdict = LinkRecordFull;
    }
    bool enter = verdict == LinkEnter;
    if (report->metLink != nullptr) {
        enter = report->metLink(linkPath, targetPath, verdict) != 0 && enter;
    }
    if (enter) {
        LinkTargets.targets[LinkTargets.count++] = target;
    }
    return enter;
}

// Whether both listings of the directory fit the walk's buffers: every entry "\*.*", and the
// pattern after a separator.
bool ListingsFit(const wchar_t* directory, const wchar_t* pattern) {
    size_t length = 0;
    while (directory[length] != L'\0') {
        ++length;
    }
    size_t patternLength = 0;
    while (pattern[patternLength] != L'\0') {
        ++patternLength;
    }
    size_t tail = 1 + patternLength > ListAllTailLength ? 1 + patternLength : ListAllTailLength;
    return length + tail < WalkPathCapacity;
}

// A directory the walk cannot list is reported by its parent and its name, as the entries too
// long to hand over are.
void ReportNotListed(const wchar_t* directory, const WalkReport* report) {
    wchar_t parent[WalkPathCapacity];
    size_t separator = 0;
    size_t length = 0;
    for (; directory[length] != L'\0' && length + 1 < WalkPathCapacity; ++length) {
        parent[length] = directory[length];
        if (directory[length] == L'\\') {
            separator = length;
        }
    }
    parent[separator] = L'\0';
    report->metTooLong(parent, directory + separator + 1, 0);
}

// Whether the first listing's names can stand in for a listing of the pattern: for the
// damaged-name pattern, NameCouldMatch is exactly the platform's match (no letters whose case
// could fold across scripts, no wildcard of the older forms), and no short name matches it, as no
// short name ends in a space. Other patterns (letters, dots) are left to the platform.
bool MatchedInHand(const wchar_t* pattern) {
    size_t i = 0;
    for (; pattern[i] != L'\0' && pattern[i] == SuffixPattern[i]; ++i) {
    }
    return pattern[i] == SuffixPattern[i];
}

size_t TextLength(const wchar_t* text) {
    size_t length = 0;
    while (text[length] != L'\0') {
        ++length;
    }
    return length;
}

// The held entry after the one at entry.
size_t NextHeld(size_t entry) {
    entry += 1 + TextLength(HeldNames.names + entry + 1) + 1;
    return entry + TextLength(HeldNames.names + entry) + 1;
}

// Adds an entry to the names held; 0 when the rest of the room cannot take it.
int HoldEntry(wchar_t kind, const wchar_t* name, const wchar_t* shortName) {
    size_t nameLength = TextLength(name);
    size_t shortLength = TextLength(shortName);
    if (1 + nameLength + 1 + shortLength + 1 > HeldNamesCapacity - HeldNames.used) {
        return 0;
    }
    wchar_t* at = HeldNames.names + HeldNames.used;
    at[0] = kind;
    std::memcpy(at + 1, name, (nameLength + 1) * sizeof(wchar_t));
    std::memcpy(at + 1 + nameLength + 1, shortName, (shortLength + 1) * sizeof(wchar_t));
    HeldNames.used += 1 + nameLength + 1 + shortLength + 1;
    return 1;
}

// The level's entries but its matches are given up, short names too: its part of the record is
// the last one, as the folders below it have given theirs back.
void KeepOnlyMatches(HeldLevel* level) {
    size_t kept = level->from;
    for (size_t entry = level->from; entry < HeldNames.used;) {
        size_t next = NextHeld(entry);
        if (HeldNames.names[entry] == HeldMatch) {
            size_t nameLength = TextLength(HeldNames.names + entry + 1);
            std::memmove(HeldNames.names + kept, HeldNames.names + entry,
                         (1 + nameLength + 1) * sizeof(wchar_t));
            kept += 1 + nameLength + 1;
            HeldNames.names[kept++] = L'\0';
        }
        entry = next;
    }
    HeldNames.used = kept;
    level->allNames = 0;
}

// Holds what the level keeps of an entry its listing met.
void HoldListed(HeldLevel* level, const WIN32_FIND_DATAW& found, bool isMatch) {
    if (level->allNames) {
        if (HoldEntry(isMatch ? HeldMatch : HeldOther, found.cFileName, found.cAlternateFileName)) {
            return;
        }
        KeepOnlyMatches(level);
    }
    if (isMatch && level->matches && !HoldEntry(HeldMatch, found.cFileName, L"")) {
        // Listed again for its matches: the room goes to the folders below.
        level->matches = 0;
        HeldNames.used = level->from;
    }
}

wchar_t AsciiUpper(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// A name whose absence the listing can tell: printable ASCII that the system takes literally
// (no wildcard or separator, no trailing space or dot that some systems drop).
bool IsPlainAsciiName(const wchar_t* name) {
    size_t length = 0;
    for (; name[length] != L'\0'; ++length) {
        wchar_t c = name[length];
        if (c < 0x20 || c > 0x7E || c == L'\\' || c == L'/' || c == L':' || c == L'*' ||
            c == L'?' || c == L'"' || c == L'<' || c == L'>' || c == L'|') {
            return false;
        }
    }
    return length > 0 && name[length - 1] != L' ' && name[length - 1] != L'.';
}

// Whether the file system may find the entry listed as listed (its name or its short name) when
// asked for sought, a plain ASCII name. Its ASCII characters must meet those of sought but for
// case; each character outside ASCII may stand for any run of them, none included, since the
// case rules and the normalisation of other scripts, which differ from one file system to the
// next, can meet ASCII names and change lengths (a Kelvin sign for a K, one letter for two). The
// spaces and dots that end it count for nothing, as systems that drop them would find it without.
bool MayBeFoundAs(const wchar_t* listed, const wchar_t* sought) {
    size_t end = TextLength(listed);
    while (end > 0 && (listed[end - 1] == L' ' || listed[end - 1] == L'.')) {
        --end;
    }
    // Matched as a wildcard pattern in which each character outside ASCII is a star; going back
    // to the latest star is enough.
    size_t at = 0;
    size_t star = end;
    size_t resume = 0;
    const wchar_t* next = sought;
    while (*next != L'\0') {
        if (at < end && listed[at] > 0x7F) {
            star = at++;
            resume = static_cast<size_t>(next - sought);
        } else if (at < end && AsciiUpper(listed[at]) == AsciiUpper(*next)) {
            ++at;
            ++next;
        } else if (star < end) {
            at = star + 1;
            next = sought + ++resume;
        } else {
            return false;
        }
    }
    while (at < end && listed[at] > 0x7F) {
        ++at;
    }
    return at == end;
}

int StopIsRequested(const WalkReport* report) {
    return report->stopRequested != nullptr && report->stopRequested();
}

} // namespace

HANDLE OpenListing(const wchar_t* searchPath, WIN32_FIND_DATAW* found) {
    // The standard call, as a plain enumeration makes it: measured under Wine, the basic
    // information level with the large fetch listed the same entries 10-15 % slower. The standard
    // level also gives each entry's short name, without which the names held could not tell that
    // no entry bears a name (ListingMayHoldName).
    return FindFirstFileExW(searchPath, FindExInfoStandard, found, FindExSearchNameMatch, nullptr,
                            0);
}

void ForgetLinkTargets() {
    LinkTargets.count = 0;
}

int ListingMayHoldName(const wchar_t* path) {
    if (HandingOver.directory == nullptr || !HandingOver.allNames) {
        return 1;
    }
    size_t folderLength = TextLength(HandingOver.directory);
    for (size_t i = 0; i < folderLength; ++i) {
        if (path[i] != HandingOver.directory[i]) {
            return 1;
        }
    }
    const wchar_t* sought = path + folderLength + 1;
    if (path[folderLength] != L'\\' || !IsPlainAsciiName(sought)) {
        return 1;
    }
    for (size_t entry = HandingOver.from; entry < HandingOver.to; entry = NextHeld(entry)) {
        const wchar_t* name = HeldNames.names + entry + 1;
        const wchar_t* shortName = name + TextLength(name) + 1;
        if (MayBeFoundAs(name, sought) || MayBeFoundAs(shortName, sought)) {
            return 1;
        }
    }
    return 0;
}

void WalkTree(const wchar_t* directory, const wchar_t* pattern, const WalkReport* report) {
    if (!ListingsFit(directory, pattern)) {
        ReportNotListed(directory, report);
        return;
    }
    if (WalkPath.depth >= WalkMaxDepth) {
        return; // not reachable with paths that fit; keeps the record in bounds regardless
    }
    WalkLevel& level = WalkPath.levels[WalkPath.depth];
    level.directory = directory;
    level.identified = 0;
    WalkPath.depth = WalkPath.depth + 1;

    report->enteredDirectory(directory);

    wchar_t searchPath[WalkPathCapacity];
    wchar_t entryPath[WalkPathCapacity];
    WIN32_FIND_DATAW found;

    // First pass: every entry; subdirectories are walked at once, files report their sizes. It
    // also notes whether any name could match the pattern, and for the damaged-name pattern holds
    // the names met. A second listing is made only for another pattern where a name could match
    // (see NameCouldMatch), or where this one could not be read to its end or the matches did not
    // fit.
    bool inHand = MatchedInHand(pattern);
    HeldLevel held = {HeldNames.used, 0, 0};
    bool mayMatch = true;
    bool listedAgain = true;
    if (JoinPath(searchPath, directory, ListAllTail, L"")) {
        HANDLE listing = OpenListing(searchPath, &found);
        if (listing != INVALID_HANDLE_VALUE) {
            mayMatch = false;
            listedAgain = !inHand;
            held.allNames = inHand;
            held.matches = inHand;
            do {
                if (StopIsRequested(report)) {
                    break;
                }
                bool dotName = IsDotName(found.cFileName);
                bool isMatch = false;
                if (!dotName && (inHand || !mayMatch) && NameCouldMatch(found.cFileName, pattern)) {
                    mayMatch = true;
                    isMatch = true;
                }
                if (inHand && !dotName) {
                    HoldListed(&held, found, isMatch);
                    listedAgain = !held.matches;
                }
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    if (dotName) {
                        continue;
                    }
                    if (!JoinPath(entryPath, directory, Separator, found.cFileName)) {
                        report->metTooLong(directory, found.cFileName, 0);
                        continue;
                    }
                    if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                        !EnterLink(entryPath, report)) {
                        continue;
                    }
                    WalkTree(entryPath, pattern, report);
                } else {
                    report->metFile(found.nFileSizeHigh, found.nFileSizeLow);
                }
            } while (FindNextFileW(listing, &found));
            if (GetLastError() != ERROR_NO_MORE_FILES) {
                // A listing cut short: the names not read could match.
                mayMatch = true;
                listedAgain = true;
            }
            FindClose(listing);
        } else {
            DWORD error = GetLastError();
            if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES &&
                report->notListed != nullptr) {
                report->notListed(directory, error);
            }
        }
    }

    // Second pass: the entries matching the pattern, files and directories alike, each handed
    // over after everything below this directory has been walked, in the order of the listing.
    if (mayMatch && !listedAgain) {
        HandingOver = {directory, held.from, HeldNames.used, held.allNames};
        for (size_t entry = held.from; entry < HeldNames.used && !StopIsRequested(report);
             entry = NextHeld(entry)) {
            if (HeldNames.names[entry] != HeldMatch) {
                continue;
            }
            const wchar_t* name = HeldNames.names + entry + 1;
            if (JoinPath(entryPath, directory, Separator, name)) {
                report->metMatch(entryPath);
            } else {
                report->metTooLong(directory, name, 1);
            }
        }
        HandingOver.directory = nullptr;
    } else if (mayMatch && !StopIsRequested(report) &&
               JoinPath(searchPath, directory, Separator, pattern)) {
        HANDLE listing = OpenListing(searchPath, &found);
        if (listing != INVALID_HANDLE_VALUE) {
            do {
                if (StopIsRequested(report)) {
                    break;
                }
                if (JoinPath(entryPath, directory, Separator, found.cFileName)) {
                    report->metMatch(entryPath);
                } else {
                    report->metTooLong(directory, found.cFileName, 1);
                }
            } while (FindNextFileW(listing, &found));
            FindClose(listing);
        }
    }
    HeldNames.used = held.from;

    WalkPath.depth = WalkPath.depth - 1;
}
