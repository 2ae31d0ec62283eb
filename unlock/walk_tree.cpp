// The recursive walk of one directory tree: sizes and descent first, then the directory's own
// matches, so a damaged directory is handed over only after everything in it. Links are entered
// once per target and run, never into the walk itself, and only where the caller agrees.
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

int StopIsRequested(const WalkReport* report) {
    return report->stopRequested != nullptr && report->stopRequested();
}

} // namespace

HANDLE OpenListing(const wchar_t* searchPath, WIN32_FIND_DATAW* found) {
    // The standard call, as a plain enumeration makes it: measured under Wine, the basic
    // information level with the large fetch listed the same entries 10-15 % slower.
    return FindFirstFileExW(searchPath, FindExInfoStandard, found, FindExSearchNameMatch, nullptr,
                            0);
}

void ForgetLinkTargets() {
    LinkTargets.count = 0;
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
    // also notes whether any name could match the pattern: the second listing is made only then
    // (see NameCouldMatch), or when this one could not be read to its end.
    bool mayMatch = true;
    if (JoinPath(searchPath, directory, ListAllTail, L"")) {
        HANDLE listing = OpenListing(searchPath, &found);
        if (listing != INVALID_HANDLE_VALUE) {
            mayMatch = false;
            do {
                if (StopIsRequested(report)) {
                    break;
                }
                bool dotName = IsDotName(found.cFileName);
                if (!mayMatch && !dotName && NameCouldMatch(found.cFileName, pattern)) {
                    mayMatch = true;
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
                mayMatch = true; // a listing cut short: the names not read could match
            }
            FindClose(listing);
        }
    }

    // Second pass: the entries matching the pattern, files and directories alike, each handed
    // over after everything below this directory has been walked.
    if (mayMatch && !StopIsRequested(report) &&
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

    WalkPath.depth = WalkPath.depth - 1;
}
