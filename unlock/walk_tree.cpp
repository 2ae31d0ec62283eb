// The recursive walk of one directory tree: sizes and descent first, then the directory's own
// matches, so a damaged directory is handed over only after everything in it.
#include "unlock/walk_tree.h"
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

const wchar_t ListAllTail[] = L"\\*.*";
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

DirectoryIdentity IdentifyDirectory(const wchar_t* directory) {
    DirectoryIdentity identity = {};
    // A drive's start directory (\\?\C:) names its volume; its root directory is \\?\C:\.
    wchar_t path[WalkPathCapacity + 1];
    size_t length = 0;
    while (directory[length] != L'\0') {
        if (length + 1 >= WalkPathCapacity) {
            return identity;
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
    HANDLE handle = CreateFileW(path, FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return identity;
    }
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
    CloseHandle(handle);
    return identity;
}

int SameDirectory(const DirectoryIdentity& first, const DirectoryIdentity& second) {
    return first.kind != IdentityUnknown && first.kind == second.kind &&
           first.volumeSerial == second.volumeSerial &&
           std::memcmp(first.fileId, second.fileId, sizeof first.fileId) == 0;
}

// 1 when the link is not to be entered: it leads to a directory being walked, so entering it
// would walk that tree again inside itself without end (every loop in a tree passes through such
// a link, since plain directories cannot be reached twice), or its target cannot be identified,
// so whether it does cannot be told.
int LinkIsNotEntered(const wchar_t* linkPath) {
    DirectoryIdentity target = IdentifyDirectory(linkPath);
    if (target.kind == IdentityUnknown) {
        return 1;
    }
    for (int32_t i = 0; i < WalkPath.depth; ++i) {
        WalkLevel& level = WalkPath.levels[i];
        if (!level.identified) {
            level.identity = IdentifyDirectory(level.directory);
            level.identified = 1;
        }
        if (SameDirectory(level.identity, target)) {
            return 1;
        }
    }
    return 0;
}

int StopIsRequested(const WalkReport* report) {
    return report->stopRequested != nullptr && report->stopRequested();
}

} // namespace

HANDLE OpenListing(const wchar_t* searchPath, WIN32_FIND_DATAW* found) {
    // The basic information leaves out the short names nobody reads, and the large fetch asks for
    // many entries per call: the same entries in the same order, for less work.
    return FindFirstFileExW(searchPath, FindExInfoBasic, found, FindExSearchNameMatch, nullptr,
                            FIND_FIRST_EX_LARGE_FETCH);
}

void WalkTree(const wchar_t* directory, const wchar_t* pattern, const WalkReport* report) {
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

    // First pass: every entry; subdirectories are walked at once, files report their sizes.
    if (JoinPath(searchPath, directory, ListAllTail, L"")) {
        HANDLE listing = OpenListing(searchPath, &found);
        if (listing != INVALID_HANDLE_VALUE) {
            do {
                if (StopIsRequested(report)) {
                    break;
                }
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    if (IsDotName(found.cFileName)) {
                        continue;
                    }
                    if (!JoinPath(entryPath, directory, Separator, found.cFileName)) {
                        report->metTooLong(directory, found.cFileName, 0);
                        continue;
                    }
                    // Links (junctions, symbolic links, mount points) are walked like any
                    // directory, except one that leads back up into the walk.
                    if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                        LinkIsNotEntered(entryPath)) {
                        continue;
                    }
                    WalkTree(entryPath, pattern, report);
                } else {
                    report->metFile(found.nFileSizeHigh, found.nFileSizeLow);
                }
            } while (FindNextFileW(listing, &found));
            FindClose(listing);
        }
    }

    // Second pass: the entries matching the pattern, files and directories alike, each handed
    // over after everything below this directory has been walked.
    if (!StopIsRequested(report) && JoinPath(searchPath, directory, Separator, pattern)) {
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
