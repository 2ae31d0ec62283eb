// The folder of a decrypted file, opened with the file selected.
#include "decrypt_app/open_folder.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shellapi.h>

#include "common/thread_start.h"
#include "decrypt_app/file_rows.h"

namespace {

DWORD WINAPI OpenFolderThread(LPVOID parameter) {
    std::wstring* path = static_cast<std::wstring*>(parameter);
    // The shell takes paths as people write them: it has no item for \\?\ forms.
    std::wstring shown = ShownLongPath(*path);
    delete path;
    HRESULT initialized = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    PIDLIST_ABSOLUTE item = ILCreateFromPathW(shown.c_str());
    HRESULT shownInFolder = E_FAIL;
    if (item != nullptr) {
        // With no children named, the item itself is selected in its parent folder; an open
        // window of that folder is used again.
        shownInFolder = SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
        ILFree(item);
    }
    // Where the shell cannot reach its file manager's windows at all, the file manager is
    // started with the file to select.
    if (FAILED(shownInFolder)) {
        std::wstring select = L"/select,\"" + shown + L"\"";
        ShellExecuteW(nullptr, L"open", L"explorer.exe", select.c_str(), nullptr, SW_SHOWNORMAL);
    }
    if (SUCCEEDED(initialized)) {
        CoUninitialize();
    }
    return 0;
}

} // namespace

void ShowFileInFolder(const std::wstring& longPath) {
    std::wstring* path = new std::wstring(longPath);
    // A thread begun now would cost a running decryption its identity: the shell is asked here.
    if (!ThreadsKeepTheirIdentity()) {
        OpenFolderThread(path);
        return;
    }
    HANDLE thread = StartThread(OpenFolderThread, path, 0);
    if (thread == nullptr) {
        delete path;
        return;
    }
    CloseHandle(thread);
}
