#include "tests/decrypt_app/window_driver.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include "res/decrypt_resource.h"
#include "tests/support/remote_controls.h"

const wchar_t EnglishCaption[] = L"Rescindo: decrypt .crypt files";
const wchar_t RussianCaption[] = L"Rescindo: расшифровка файлов .crypt";

namespace {

const DWORD PollMs = 20;
const DWORD DialogLimitMs = 20000;

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, MessageLimitMs, &result);
    return static_cast<LRESULT>(result);
}

struct OwnedSearch {
    DWORD processId;
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchOwned(HWND window, LPARAM parameter) {
    OwnedSearch* search = reinterpret_cast<OwnedSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->processId || window == search->owner || !IsWindowVisible(window) ||
        ReadClassName(window) != L"#32770") {
        return TRUE;
    }
    if (GetWindow(window, GW_OWNER) != search->owner) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

HWND FindOwned(const ProgramRun& run, HWND owner) {
    OwnedSearch search = {run.process.dwProcessId, owner, nullptr};
    EnumWindows(MatchOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The file name box: an edit control, alone or inside the file name combo box.
HWND FileNameBox(HWND dialog) {
    HWND control = GetDlgItem(dialog, cmb13);
    if (control == nullptr) {
        control = GetDlgItem(dialog, edt1);
    }
    if (control == nullptr) {
        return nullptr;
    }
    std::wstring name = ReadClassName(control);
    if (name == L"ComboBoxEx32") {
        return reinterpret_cast<HWND>(Send(control, CBEM_GETEDITCONTROL, 0, 0));
    }
    if (name == L"ComboBox") {
        return FindWindowExW(control, nullptr, L"Edit", nullptr);
    }
    return control;
}

} // namespace

HWND Control(const ProgramRun& run, int id) {
    return GetDlgItem(run.dialog, id);
}

std::wstring StatusText(const ProgramRun& run) {
    return ReadText(Control(run, IDC_STATUS));
}

std::vector<ListRow> ListRows(const ProgramRun& run) {
    std::vector<ListRow> rows;
    for (const std::vector<std::wstring>& cells : ListViewRows(Control(run, IDC_FILE_LIST), 6)) {
        rows.push_back({cells[0], cells[1], cells[2], cells[3], cells[4], cells[5]});
    }
    return rows;
}

ListRow RowNamed(const ProgramRun& run, const std::wstring& name) {
    for (const ListRow& row : ListRows(run)) {
        if (row.name == name) {
            return row;
        }
    }
    return ListRow();
}

void ClickLater(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

void ClickColumnHeader(const ProgramRun& run, int column) {
    HWND list = Control(run, IDC_FILE_LIST);
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    int left = 0;
    for (int i = 0; i < column; ++i) {
        left += static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0));
    }
    int width = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
    RECT bounds;
    GetClientRect(header, &bounds);
    LPARAM at = MAKELPARAM(left + width / 2, (bounds.bottom - bounds.top) / 2);
    PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(header, WM_LBUTTONUP, 0, at);
    Settle(run);
}

bool WaitFor(const std::function<bool()>& condition, DWORD limitMs) {
    for (DWORD start = GetTickCount();;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount() - start >= limitMs) {
            return false;
        }
        Sleep(PollMs);
    }
}

void Settle(const ProgramRun& run) {
    // A progress bar's step is not used by the window: a new one posted behind the other
    // messages shows when they have all been handled.
    static int marker = 1;
    marker = marker % 50 + 2;
    HWND bar = Control(run, IDC_PROGRESS);
    PostMessageW(bar, PBM_SETSTEP, marker, 0);
    WaitFor([&] { return Send(bar, PBM_GETSTEP, 0, 0) == marker; }, MessageLimitMs);
}

HWND WaitForOwnedDialog(const ProgramRun& run, DWORD limitMs) {
    return WaitForDialogOwnedBy(run, run.dialog, limitMs);
}

HWND WaitForDialogOwnedBy(const ProgramRun& run, HWND owner, DWORD limitMs) {
    HWND found = nullptr;
    WaitFor([&] { return (found = FindOwned(run, owner)) != nullptr; }, limitMs);
    return found;
}

bool TypeIntoFileDialog(HWND dialog, const std::wstring& text) {
    HWND box = FileNameBox(dialog);
    if (box == nullptr) {
        return false;
    }
    Send(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return true;
}

bool AnswerFileDialog(const ProgramRun& run, const std::vector<std::wstring>& typed) {
    HWND dialog = WaitForOwnedDialog(run, DialogLimitMs);
    if (dialog == nullptr) {
        return false;
    }
    Sleep(200); // the dialog fills its folder view after it shows
    for (const std::wstring& text : typed) {
        if (!TypeIntoFileDialog(dialog, text)) {
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return false;
        }
        Sleep(300);
    }
    if (!WaitFor([&] { return !IsWindow(dialog); }, DialogLimitMs)) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return false;
    }
    return true;
}

std::wstring AnswerMessageBox(HWND box, int button) {
    std::wstring text = ReadText(GetDlgItem(box, 0xFFFF));
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    WaitFor([&] { return !IsWindow(box); }, MessageLimitMs);
    return text;
}

bool WaitUntilIdle(const ProgramRun& run, DWORD limitMs) {
    return WaitFor(
        [&] {
            Settle(run);
            return !IsWindowEnabled(Control(run, IDC_STOP)) &&
                   IsWindowEnabled(Control(run, IDC_ADD_FILES));
        },
        limitMs);
}

bool DropAndWait(const ProgramRun& run, const std::vector<std::wstring>& paths) {
    if (!DropFilesOnto(run.dialog, paths)) {
        return false;
    }
    Settle(run);
    return WaitUntilIdle(run, 60000);
}

bool DecryptAndWait(const ProgramRun& run, DWORD limitMs) {
    Click(Control(run, IDC_DECRYPT));
    return WaitUntilIdle(run, limitMs);
}
