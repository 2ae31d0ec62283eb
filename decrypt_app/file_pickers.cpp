// The open-file, folder and save dialogs of the decrypt window.
#include "decrypt_app/file_pickers.h"

#include <commdlg.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace {

// Room for a few thousand names chosen at once in one folder.
constexpr DWORD MultipleNamesCapacity = 1u << 16;
// One path from the dialog; the long form is made from it afterwards.
constexpr DWORD OneNameCapacity = 4096;

// Where the next dialog opens: the folder of the last choice, so that the files of one folder
// are added, and their pair chosen, without searching for it again.
std::wstring LastFolder;

void RememberFolderOf(const std::wstring& path, bool isFolder) {
    if (isFolder) {
        LastFolder = path;
        return;
    }
    size_t separator = path.rfind(L'\\');
    if (separator != std::wstring::npos) {
        LastFolder = path.substr(0, separator);
    }
}

// "name\0pattern\0" pairs ended by one more NUL, as the dialogs take them.
std::wstring Filter(TextId first, const wchar_t* firstPattern) {
    std::wstring filter;
    filter += Text(first);
    filter += L'\0';
    filter += firstPattern;
    filter += L'\0';
    if (first != TextFilterAll) {
        filter += Text(TextFilterAll);
        filter += L'\0';
        filter += L"*.*";
        filter += L'\0';
    }
    filter += L'\0';
    return filter;
}

void FillRecord(OPENFILENAMEW* record, HWND owner, const std::wstring& filter, TextId title,
                std::vector<wchar_t>* names) {
    ZeroMemory(record, sizeof(*record));
    record->lStructSize = sizeof(*record);
    record->hwndOwner = owner;
    record->lpstrFilter = filter.c_str();
    record->nFilterIndex = 1;
    record->lpstrFile = names->data();
    record->nMaxFile = static_cast<DWORD>(names->size());
    record->lpstrInitialDir = LastFolder.empty() ? nullptr : LastFolder.c_str();
    record->lpstrTitle = Text(title);
}

// The older folder picker, for a system without the item dialog.
int PickFolderByBrowsing(HWND owner, std::wstring* path) {
    BROWSEINFOW browse = {};
    browse.hwndOwner = owner;
    browse.lpszTitle = Text(TextAddFolderTitle);
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (chosen == nullptr) {
        return 0;
    }
    std::vector<wchar_t> buffer(OneNameCapacity);
    BOOL named = SHGetPathFromIDListEx(chosen, buffer.data(), static_cast<DWORD>(buffer.size()),
                                       GPFIDL_DEFAULT);
    CoTaskMemFree(chosen);
    if (!named) {
        return 0;
    }
    *path = buffer.data();
    return 1;
}

} // namespace

int PickCryptFiles(HWND owner, std::vector<std::wstring>* paths) {
    std::wstring filter = Filter(TextFilterCrypt, L"*.crypt");
    std::vector<wchar_t> names(MultipleNamesCapacity, L'\0');
    OPENFILENAMEW record;
    FillRecord(&record, owner, filter, TextAddFilesTitle, &names);
    record.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
                   OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&record)) {
        return 0;
    }
    // One name: the whole path. Several: the folder, then each name, each ended by a NUL, and
    // one more NUL at the end.
    const wchar_t* first = names.data();
    const wchar_t* next = first + lstrlenW(first) + 1;
    paths->clear();
    if (*next == L'\0') {
        paths->push_back(first);
    } else {
        std::wstring folder = first;
        if (!folder.empty() && folder.back() != L'\\') {
            folder += L'\\';
        }
        for (; *next != L'\0'; next += lstrlenW(next) + 1) {
            paths->push_back(folder + next);
        }
    }
    RememberFolderOf(paths->front(), false);
    return 1;
}

int PickFolder(HWND owner, std::wstring* path) {
    IFileOpenDialog* dialog = nullptr;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFileOpenDialog, reinterpret_cast<void**>(&dialog)))) {
        return PickFolderByBrowsing(owner, path);
    }
    int picked = 0;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST |
                       FOS_NOCHANGEDIR);
    dialog->SetTitle(Text(TextAddFolderTitle));
    if (!LastFolder.empty()) {
        IShellItem* start = nullptr;
        if (SUCCEEDED(SHCreateItemFromParsingName(LastFolder.c_str(), nullptr, IID_IShellItem,
                                                  reinterpret_cast<void**>(&start)))) {
            dialog->SetFolder(start);
            start->Release();
        }
    }
    IShellItem* chosen = nullptr;
    if (SUCCEEDED(dialog->Show(owner)) && SUCCEEDED(dialog->GetResult(&chosen))) {
        wchar_t* name = nullptr;
        if (SUCCEEDED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &name))) {
            *path = name;
            CoTaskMemFree(name);
            picked = 1;
        }
        chosen->Release();
    }
    dialog->Release();
    if (picked) {
        RememberFolderOf(*path, true);
    }
    return picked;
}

int PickOneFile(HWND owner, TextId title, std::wstring* path) {
    std::wstring filter = title == TextEncryptedTitle ? Filter(TextFilterCrypt, L"*.crypt")
                                                      : Filter(TextFilterAll, L"*.*");
    std::vector<wchar_t> names(OneNameCapacity, L'\0');
    OPENFILENAMEW record;
    FillRecord(&record, owner, filter, title, &names);
    record.Flags =
        OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&record)) {
        return 0;
    }
    *path = names.data();
    RememberFolderOf(*path, false);
    return 1;
}

int PickReportFile(HWND owner, std::wstring* path) {
    std::wstring filter = Filter(TextFilterReport, L"*.jsonl");
    std::vector<wchar_t> names(OneNameCapacity, L'\0');
    lstrcpynW(names.data(), Text(TextReportFileName), static_cast<int>(names.size()));
    OPENFILENAMEW record;
    FillRecord(&record, owner, filter, TextSaveReportTitle, &names);
    record.lpstrDefExt = L"jsonl";
    record.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                   OFN_NOREADONLYRETURN | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&record)) {
        return 0;
    }
    *path = names.data();
    return 1;
}
