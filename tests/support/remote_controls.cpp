#include "tests/support/remote_controls.h"

#include <commctrl.h>
#include <shlobj.h>

namespace {

const size_t TextCapacity = 1024;

// Memory in the process that owns a window, released when the record goes.
struct RemoteBlock {
    HANDLE process = nullptr;
    void* address = nullptr;
    explicit RemoteBlock(HWND window, size_t size) {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
        if (process != nullptr) {
            address =
                VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        }
    }
    ~RemoteBlock() {
        if (address != nullptr) {
            VirtualFreeEx(process, address, 0, MEM_RELEASE);
        }
        if (process != nullptr) {
            CloseHandle(process);
        }
    }
    bool Write(size_t offset, const void* data, size_t size) {
        SIZE_T done = 0;
        return address != nullptr &&
               WriteProcessMemory(process, static_cast<char*>(address) + offset, data, size,
                                  &done) &&
               done == size;
    }
    bool Read(size_t offset, void* data, size_t size) {
        SIZE_T done = 0;
        return address != nullptr &&
               ReadProcessMemory(process, static_cast<char*>(address) + offset, data, size,
                                 &done) &&
               done == size;
    }
    char* At(size_t offset) { return static_cast<char*>(address) + offset; }
};

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, MessageLimitMs, &result);
    return static_cast<LRESULT>(result);
}

} // namespace

int ListViewRowCount(HWND list) {
    return static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring ListViewCell(HWND list, int row, int column) {
    RemoteBlock block(list, sizeof(LVITEMW) + TextCapacity * sizeof(wchar_t));
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(block.At(sizeof(LVITEMW)));
    item.cchTextMax = static_cast<int>(TextCapacity);
    wchar_t empty = L'\0';
    if (!block.Write(0, &item, sizeof(item)) ||
        !block.Write(sizeof(LVITEMW), &empty, sizeof(empty))) {
        return L"<no memory in the program>";
    }
    Send(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(block.address));
    std::wstring text(TextCapacity, L'\0');
    if (!block.Read(sizeof(LVITEMW), &text[0], TextCapacity * sizeof(wchar_t))) {
        return L"<unreadable>";
    }
    text.resize(wcsnlen(text.c_str(), TextCapacity));
    return text;
}

std::vector<std::vector<std::wstring>> ListViewRows(HWND list, int columns) {
    std::vector<std::vector<std::wstring>> rows;
    int count = ListViewRowCount(list);
    for (int row = 0; row < count; ++row) {
        std::vector<std::wstring> cells;
        for (int column = 0; column < columns; ++column) {
            cells.push_back(ListViewCell(list, row, column));
        }
        rows.push_back(cells);
    }
    return rows;
}

int ListViewSelectedRow(HWND list) {
    return static_cast<int>(Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void SelectListViewRows(HWND list, const std::vector<int>& rows) {
    RemoteBlock block(list, sizeof(LVITEMW));
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = 0;
    block.Write(0, &item, sizeof(item));
    Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(block.address));
    for (int row : rows) {
        item.state = LVIS_SELECTED;
        block.Write(0, &item, sizeof(item));
        Send(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(block.address));
    }
}

bool DoubleClickListViewRow(HWND list, int row) {
    RemoteBlock block(list, sizeof(RECT));
    RECT bounds = {LVIR_LABEL, 0, 0, 0};
    if (!block.Write(0, &bounds, sizeof(bounds)) ||
        !Send(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(block.address)) ||
        !block.Read(0, &bounds, sizeof(bounds))) {
        return false;
    }
    LPARAM at = MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    return true;
}

bool DropFilesOnto(HWND window, const std::vector<std::wstring>& paths) {
    std::wstring names;
    for (const std::wstring& path : paths) {
        names += path;
        names += L'\0';
    }
    names += L'\0';
    DROPFILES header = {};
    header.pFiles = sizeof(header);
    header.fWide = TRUE;
    // A fixed memory block's handle is its address, so the block made in the target's memory
    // serves as the drop's handle there. Sent, not posted: it must outlive the handling.
    RemoteBlock block(window, sizeof(header) + names.size() * sizeof(wchar_t));
    if (!block.Write(0, &header, sizeof(header)) ||
        !block.Write(sizeof(header), names.data(), names.size() * sizeof(wchar_t))) {
        return false;
    }
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(block.address), 0,
                               SMTO_ABORTIFHUNG, MessageLimitMs, &result) != 0;
}
