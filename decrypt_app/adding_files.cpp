// Files and folders into the list: from the pickers and from drops, each path in long form, its
// .crypt files found on the worker so that a big folder never holds up the window.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "decrypt_app/decrypt_dialog.h"
#include "decrypt_app/decrypt_worker.h"
#include "decrypt_app/dialog_parts.h"
#include "decrypt_app/file_rows.h"
#include "res/decrypt_resource.h"
#include "unlock/path_forms.h"
#include "unlock/searched_drive.h"

namespace {

// Long forms of every path a picker or a drop can give, with room to spare.
constexpr size_t LongPathCapacity = 4096;

void ShowRowCount() {
    SendMessageW(DecryptWindow.list, LVM_SETITEMCOUNT, RowCount(),
                 LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    InvalidateRect(DecryptWindow.list, nullptr, FALSE);
}

void Note(const std::wstring& text) {
    DecryptWindow.addNotes += (DecryptWindow.addNotes.empty() ? L"" : L" ") + text;
}

void RememberNamedPath(const std::wstring& longPath) {
    wchar_t key[LongPathCapacity];
    std::wstring folded = CaseKeyOf(longPath.c_str(), key, LongPathCapacity) ? key : longPath;
    if (DecryptWindow.namedKeys.insert(folded).second) {
        DecryptWindow.namedPaths.push_back(longPath);
    }
}

// The path as the decrypt run takes it, or a note on why it is not taken.
bool Resolve(const std::wstring& typed, CryptSearch* path) {
    wchar_t longForm[LongPathCapacity];
    int32_t shareRoot = 0;
    uint32_t error = 0;
    if (LongFormOf(typed.c_str(), longForm, LongPathCapacity, &shareRoot, &error) != LongFormMade) {
        Note(Format(TextStatusPathRefused, {typed}));
        return false;
    }
    // A share itself, and a drive's start directory (\\?\D:), are opened with their trailing
    // separator.
    std::wstring probe = longForm;
    if (shareRoot || (!probe.empty() && probe.back() == L':')) {
        probe += L'\\';
    }
    DWORD attributes = GetFileAttributesW(probe.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        Note(Format(missing ? TextStatusPathMissing : TextStatusPathRefused, {typed}));
        return false;
    }
    *path = CryptSearch{longForm, 0, 0, 0, 0, 0, 0};
    path->isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
    if (!path->isFolder && KindOfCryptPath(longForm, 0) == CryptPathNotCrypt) {
        Note(Format(TextStatusNotCryptFile, {ShownLongPath(longForm)}));
        return false;
    }
    return true;
}

// How far the search has come: folders searched, files found, the folder being searched.
void ShowSearching(const std::wstring& folder) {
    SetStatus(Format(TextStatusSearching,
                     {std::to_wstring(Job.gather.folders.load()),
                      std::to_wstring(Job.gather.files.load()), ShownLongPath(folder)}));
}

int64_t TakeFound() {
    std::wstring searching;
    std::vector<CryptFile> found = TakeFoundFiles(&searching);
    int64_t added = 0;
    for (const CryptFile& file : found) {
        added += AddFileRow(file);
    }
    if (added > 0) {
        ShowRowCount();
    }
    DecryptWindow.rowsAdded += added;
    if (!searching.empty() && !DecryptWindow.stopping) {
        ShowSearching(searching);
    }
    return added;
}

} // namespace

void AddPaths(const std::vector<std::wstring>& typed) {
    if (WorkerBusy()) {
        SetStatus(Text(TextStatusBusy));
        return;
    }
    DecryptWindow.addNotes.clear();
    DecryptWindow.rowsAdded = 0;
    Job.gather.searches.clear();
    for (const std::wstring& text : typed) {
        CryptSearch path;
        if (Resolve(text, &path)) {
            Job.gather.searches.push_back(path);
        }
    }
    if (Job.gather.searches.empty()) {
        SetStatus(DecryptWindow.addNotes);
        return;
    }
    DecryptWindow.stopping = 0;
    if (!StartWorker(JobGather)) {
        return;
    }
    ShowSearching(Job.gather.searches.front().path);
    UpdateControls();
    KeepFocusOn(GetDlgItem(DecryptWindow.dialog, IDC_STOP));
}

void SearchAllDrives() {
    SearchedDrive drives[32];
    int count = ListSearchedDrives(drives);
    std::vector<std::wstring> paths;
    for (int i = 0; i < count; ++i) {
        paths.push_back(drives[i].startDirectory);
    }
    if (!paths.empty()) {
        AddPaths(paths);
    }
}

void ShowFoldersNotSearched() {
    constexpr size_t Listed = 30;
    std::wstring text;
    for (size_t i = 0; i < DecryptWindow.notSearched.size() && i < Listed; ++i) {
        const FolderNotSearched& folder = DecryptWindow.notSearched[i];
        std::wstring shown = ShownLongPath(folder.path);
        text += (folder.error == 0 ? Format(TextNotSearchedTooLong, {shown})
                                   : shown + L": " + ErrorWords(folder.error, WindowWords())) +
                L"\r\n";
    }
    if (DecryptWindow.notSearched.size() > Listed) {
        text += Format(TextNotSearchedMore,
                       {std::to_wstring(DecryptWindow.notSearched.size() - Listed)});
    }
    MessageBoxW(DecryptWindow.dialog, text.c_str(), Text(TextNotSearchedTitle),
                MB_OK | MB_ICONINFORMATION);
}

void AddDroppedFiles(HDROP drop) {
    std::vector<std::wstring> paths;
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        UINT got = DragQueryFileW(drop, i, &path[0], length + 1);
        path.resize(got);
        if (!path.empty()) {
            paths.push_back(path);
        }
    }
    DragFinish(drop);
    if (!paths.empty()) {
        AddPaths(paths);
    }
}

void RemoveSelectedRows() {
    if (WorkerBusy()) {
        return;
    }
    std::vector<int> selected;
    int index = -1;
    while ((index = static_cast<int>(
                SendMessageW(DecryptWindow.list, LVM_GETNEXTITEM, index, LVNI_SELECTED))) != -1) {
        selected.push_back(index);
    }
    if (selected.empty()) {
        return;
    }
    // A virtual list keeps only the selection's indexes: cleared before the rows move.
    LVITEMW none = {};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(DecryptWindow.list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&none));
    RemoveFileRows(selected);
    SendMessageW(DecryptWindow.list, LVM_SETITEMCOUNT, RowCount(), 0);
    InvalidateRect(DecryptWindow.list, nullptr, TRUE);
    SetStatus(Format(TextStatusRemoved, {std::to_wstring(selected.size())}));
    UpdateControls();
    KeepFocusOn(DecryptWindow.list);
}

void ShowGatherNews() {
    TakeFound();
}

void EndGathering() {
    TakeFound();
    ReleaseWorker();
    std::wstring status;
    int64_t notSearched = 0;
    for (const FolderNotSearched& folder : Job.gather.notSearched) {
        DecryptWindow.notSearched.push_back(folder);
    }
    for (const CryptSearch& path : Job.gather.searches) {
        DecryptWindow.foldersSearched += path.folders;
        DecryptWindow.foldersNotSearched += path.foldersNotSearched;
        notSearched += path.foldersNotSearched;
        RememberNamedPath(path.path);
        if (path.isFolder && path.found == 0 && path.otherLetters == 0 &&
            path.foldersNotSearched == 0 && !DecryptWindow.stopping) {
            Note(Format(TextStatusNoCryptFile, {ShownLongPath(path.path)}));
        }
    }
    size_t count = RowCount();
    if (DecryptWindow.rowsAdded > 0 && DecryptWindow.sortColumn >= 0) {
        // The new rows came at the end: the list is no longer in a column's order.
        DecryptWindow.sortColumn = -1;
        ShowSortedColumn();
    }
    if (DecryptWindow.rowsAdded > 0) {
        status = Format(TextStatusAdded,
                        {std::to_wstring(DecryptWindow.rowsAdded), std::to_wstring(count)});
    } else if (DecryptWindow.addNotes.empty()) {
        status = Format(TextStatusNothingAdded, {std::to_wstring(count)});
    }
    if (notSearched > 0) {
        status += Format(TextStatusFoldersNotSearched, {std::to_wstring(notSearched)});
    }
    if (!DecryptWindow.addNotes.empty()) {
        status += (status.empty() ? L"" : L" ") + DecryptWindow.addNotes;
    }
    DecryptWindow.stopping = 0;
    SetStatus(status);
    UpdateControls();
    // The files are listed: Enter now decrypts them.
    if (DecryptWindow.rowsAdded > 0) {
        SendMessageW(DecryptWindow.dialog, WM_NEXTDLGCTL,
                     reinterpret_cast<WPARAM>(DecryptWindow.list), TRUE);
    } else {
        KeepFocusOn(GetDlgItem(DecryptWindow.dialog, IDC_ADD_FILES));
    }
}
