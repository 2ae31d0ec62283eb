// The recursive walk of one drive's tree: sizes and descent first, then the restoration of the
// directory's own matches, so a damaged directory is renamed only after everything in it.
#include "unlock/unlock_run.h"
#include "unlock/run_state.h"
#include "unlock/progress_rule.h"
#include "unlock/walk_limits.h"

namespace {

// Identity of a directory however it was reached: a junction or symbolic link opens the
// directory it points to, so a link back up the tree shows the identity of a directory that is
// being walked.
struct DirectoryIdentity {
    DWORD volumeSerial;
    DWORD indexHigh;
    DWORD indexLow;
    int32_t known;
};

// One directory on the way from the walk's start down to the one being walked. Its identity is
// asked for only when a link is met below it, so a tree without links costs no extra opens.
struct WalkLevel {
    const wchar_t* directory; // the caller's buffer, unchanged while this level is walked
    DirectoryIdentity identity;
    int32_t identified;
};

// The directories being walked, outermost first; the worker thread alone uses it.
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
    DirectoryIdentity identity = {0, 0, 0, 0};
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
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileInformationByHandle(handle, &information)) {
        identity.volumeSerial = information.dwVolumeSerialNumber;
        identity.indexHigh = information.nFileIndexHigh;
        identity.indexLow = information.nFileIndexLow;
        identity.known = 1;
    }
    CloseHandle(handle);
    return identity;
}

// 1 when the link leads to a directory that is being walked: entering it would walk that tree
// again inside itself, without end. Every loop in a tree passes through such a link, since
// plain directories cannot be reached twice.
int LinkLeadsBack(const wchar_t* linkPath) {
    DirectoryIdentity target = IdentifyDirectory(linkPath);
    if (!target.known) {
        return 0; // not identified: walked, and the path limit still ends any loop through it
    }
    for (int32_t i = 0; i < WalkPath.depth; ++i) {
        WalkLevel& level = WalkPath.levels[i];
        if (!level.identified) {
            level.identity = IdentifyDirectory(level.directory);
            level.identified = 1;
        }
        if (level.identity.known && level.identity.volumeSerial == target.volumeSerial &&
            level.identity.indexHigh == target.indexHigh &&
            level.identity.indexLow == target.indexLow) {
            return 1;
        }
    }
    return 0;
}

// The directory from its drive letter on, without the long-path prefix: \\?\C:\Users shows as
// C:\Users.
const wchar_t* ShownPath(const wchar_t* directory) {
    for (size_t i = 0; directory[i] != L'\0'; ++i) {
        if (directory[i] == L':') {
            return i > 0 ? directory + i - 1 : directory;
        }
    }
    return directory;
}

} // namespace

void DirectoryWalker(const wchar_t* directory, const wchar_t* pattern) {
    if (WalkPath.depth >= WalkMaxDepth) {
        return; // not reachable with paths that fit; keeps the record in bounds regardless
    }
    WalkLevel& level = WalkPath.levels[WalkPath.depth];
    level.directory = directory;
    level.identified = 0;
    WalkPath.depth = WalkPath.depth + 1;

    SetStatusText(ShownPath(directory));

    wchar_t searchPath[WalkPathCapacity];
    wchar_t entryPath[WalkPathCapacity];
    WIN32_FIND_DATAW found;

    // First pass: every entry; subdirectories are walked at once, files add their sizes.
    if (JoinPath(searchPath, directory, ListAllTail, L"")) {
        HANDLE listing = FindFirstFileW(searchPath, &found);
        if (listing != INVALID_HANDLE_VALUE) {
            do {
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    // Links (junctions, symbolic links, mount points) are walked like any
                    // directory, except one that leads back up into the walk.
                    if (!IsDotName(found.cFileName) &&
                        JoinPath(entryPath, directory, Separator, found.cFileName) &&
                        !((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                          LinkLeadsBack(entryPath))) {
                        DirectoryWalker(entryPath, pattern);
                    }
                } else {
                    RunState.WalkedBytes =
                        AddFileSize(RunState.WalkedBytes, found.nFileSizeHigh, found.nFileSizeLow);
                    SetProgressPos(ProgressPosition(RunState.WalkedBytes, RunState.UsedBytes));
                }
            } while (FindNextFileW(listing, &found));
            FindClose(listing);
        }
    }

    // Second pass: the entries matching the pattern, files and directories alike, each restored
    // after everything below this directory has been.
    if (JoinPath(searchPath, directory, Separator, pattern)) {
        HANDLE listing = FindFirstFileW(searchPath, &found);
        if (listing != INVALID_HANDLE_VALUE) {
            do {
                if (JoinPath(entryPath, directory, Separator, found.cFileName)) {
                    RestoreName(entryPath);
                }
            } while (FindNextFileW(listing, &found));
            FindClose(listing);
        }
    }

    WalkPath.depth = WalkPath.depth - 1;
}
