// Names made and freed in one folder: see cli/folder_changes.h.
#include "cli/folder_changes.h"

#include <string>
#include <unordered_set>

#include "cli/path_text.h"
#include "unlock/path_text.h"

namespace {

struct FolderChangesRecord {
    std::wstring folder; // the folder the names below belong to
    std::unordered_set<std::wstring> made;
    std::unordered_set<std::wstring> freed;
};
FolderChangesRecord FolderChanges;

std::wstring NameKey(const wchar_t* path) {
    return CaseKey(FinalNameOf(path));
}

// Keeps the record for the folder of path; a path in another folder starts it afresh.
void UseFolderOf(const wchar_t* path) {
    size_t length = static_cast<size_t>(FinalNameOf(path) - path);
    length = length > 0 ? length - 1 : 0; // without the separator
    if (FolderChanges.folder.size() != length ||
        FolderChanges.folder.compare(0, length, path, length) != 0) {
        FolderChanges.folder.assign(path, length);
        FolderChanges.made.clear();
        FolderChanges.freed.clear();
    }
}

} // namespace

void NoteRename(const wchar_t* path, const wchar_t* restored) {
    UseFolderOf(path);
    std::wstring oldKey = NameKey(path);
    std::wstring newKey = NameKey(restored);
    FolderChanges.made.erase(oldKey);
    FolderChanges.freed.insert(oldKey);
    FolderChanges.freed.erase(newKey);
    FolderChanges.made.insert(newKey);
}

int NameWasMade(const wchar_t* path) {
    UseFolderOf(path);
    return FolderChanges.made.count(NameKey(path)) > 0 ? 1 : 0;
}

int NameWasFreed(const wchar_t* path) {
    UseFolderOf(path);
    return FolderChanges.freed.count(NameKey(path)) > 0 ? 1 : 0;
}
