// The folder of a decrypted file, opened with the file selected.
#include "decrypt_app/open_folder.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "decrypt_app/file_rows.h"

namespace {

DWORD WINAPI OpenFolderThread(LPVOID parameter) {
    std::wstring* path = static_cast<std::wstring*>(parameter);
    // The shell takes paths as people write them: it has no item for \\?\ forms.
    std::wstring shown = ShownLongPath(*path);
    delete path;
    HRESULT initialized = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    PIDLIST_ABSOLUTE item = ILCreateFromPathW(shown.c_str());
    if (item != nullptr) {
        // With no children named, the item itself is selected in its parent folder.
        SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
        ILFree(item);
    }
    if (SUCCEEDED(initialized)) {
        CoUninitialize();
    }
    return 0;
}

} // namespace

void ShowFileInFolder(const std::wstring& longPath) {
    std::wstring* path = new std::wstring(longPath);
    HANDLE thread = CreateThread(nullptr, 0, OpenFolderThread, path, 0, nullptr);
    if (thread == nullptr) {
        delete path;
        return;
    }
    CloseHandle(thread);
}
