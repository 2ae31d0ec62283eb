// The decrypt dialog's set-up, its procedure and the state of its controls.
#include "decrypt_app/decrypt_dialog.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "common/language.h"
#include "decrypt_app/decrypt_worker.h"
#include "decrypt_app/dialog_layout.h"
#include "decrypt_app/dialog_parts.h"
#include "decrypt_app/file_pickers.h"
#include "decrypt_app/file_rows.h"
#include "decrypt_app/open_folder.h"
#include "decrypt_app/run_report.h"
#include "report/decrypt_words.h"
#include "res/decrypt_resource.h"

DecryptWindowRecord DecryptWindow;

namespace {

struct ControlText {
    int id;
    TextId text;
};

const ControlText ControlTexts[] = {
    {IDC_WARNING, TextWarning},
    {IDC_FILES_LABEL, TextFilesLabel},
    {IDC_ADD_FILES, TextAddFiles},
    {IDC_ADD_FOLDER, TextAddFolder},
    {IDC_SEARCH_DRIVES, TextSearchDrives},
    {IDC_REMOVE, TextRemove},
    {IDC_NOT_SEARCHED, TextNotSearched},
    {IDC_KEY_GROUP, TextKeyGroup},
    {IDC_KEY_AUTO, TextKeyAuto},
    {IDC_KEY_BUILT_IN, TextKeyBuiltIn},
    {IDC_KEY_PAIR, TextKeyPair},
    {IDC_PAIR_ORIGINAL_LABEL, TextPairOriginal},
    {IDC_PAIR_ORIGINAL_CHOOSE, TextChoose},
    {IDC_PAIR_ENCRYPTED_LABEL, TextPairEncrypted},
    {IDC_PAIR_ENCRYPTED_CHOOSE, TextChoose},
    {IDC_KEY_PASSWORD, TextKeyPassword},
    {IDC_PASSWORD_HINT, TextPasswordHint},
    {IDC_DECRYPT, TextDecrypt},
    {IDC_STOP, TextStop},
    {IDC_SAVE_REPORT, TextSaveReport},
    {IDC_RECYCLE, TextRecycle},
    {IDC_EXIT, TextExit},
};

// The progress bar counts thousandths of the run's bytes.
constexpr int ProgressRange = 1000;

void Enable(int id, bool enabled) {
    EnableWindow(GetDlgItem(DecryptWindow.dialog, id), enabled ? TRUE : FALSE);
}

bool Checked(int id) {
    return IsDlgButtonChecked(DecryptWindow.dialog, id) == BST_CHECKED;
}

// The warning stands out in the dialog's own font, made bold.
void EmboldenWarning(HWND dialog) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    LOGFONTW shape = {};
    if (font == nullptr || GetObjectW(font, sizeof(shape), &shape) == 0) {
        return;
    }
    shape.lfWeight = FW_BOLD;
    DecryptWindow.warningFont = CreateFontIndirectW(&shape);
    if (DecryptWindow.warningFont != nullptr) {
        SendDlgItemMessageW(dialog, IDC_WARNING, WM_SETFONT,
                            reinterpret_cast<WPARAM>(DecryptWindow.warningFont), FALSE);
    }
}

void SetIcons(HWND dialog) {
    HINSTANCE instance = DecryptWindow.instance;
    HANDLE big = LoadImageW(instance, MAKEINTRESOURCEW(IDI_DECRYPT), IMAGE_ICON,
                            GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0);
    HANDLE small = LoadImageW(instance, MAKEINTRESOURCEW(IDI_DECRYPT), IMAGE_ICON,
                              GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0);
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

BOOL SetUpDialog(HWND dialog) {
    DecryptWindow.dialog = dialog;
    DecryptWindow.list = GetDlgItem(dialog, IDC_FILE_LIST);
    DecryptWindow.sortColumn = -1;
    WindowLanguage.russian = IsRussianUi();

    SetWindowTextW(dialog, Text(TextCaption));
    for (const ControlText& control : ControlTexts) {
        SetDlgItemTextW(dialog, control.id, Text(control.text));
    }
    EmboldenWarning(dialog);
    SetIcons(dialog);
    SetUpListColumns(dialog, DecryptWindow.list);
    for (int key = 0; key < BuiltInDesKeyCount; ++key) {
        SendDlgItemMessageW(dialog, IDC_KEY_NUMBER, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(std::to_wstring(key).c_str()));
    }
    SendDlgItemMessageW(dialog, IDC_KEY_NUMBER, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageW(dialog, IDC_KEY_AUTO, BM_SETCHECK, BST_CHECKED, 0);
    SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_SETRANGE32, 0, ProgressRange);
    // Enter presses Decrypt from every control that is no button.
    SendMessageW(dialog, DM_SETDEFID, IDC_DECRYPT, 0);

    RecordLayout(dialog);
    OpenLargeEnough(dialog, DecryptWindow.list);
    DragAcceptFiles(dialog, TRUE);
    SetUpWorker(dialog);
    SetStatus(Text(TextStatusStart));
    UpdateControls();
    // The first thing to do is to add files, unless the program was started with some.
    SetFocus(GetDlgItem(dialog, IDC_ADD_FILES));
    if (!DecryptWindow.startPaths.empty()) {
        AddPaths(DecryptWindow.startPaths);
    }
    return FALSE;
}

// Exit, the close box and Alt+F4: a job going is stopped first, and the window closes once the
// worker has ended (EndRun, EndGathering), so that no output is left half written.
void RequestClose() {
    if (!WorkerBusy()) {
        EndDialog(DecryptWindow.dialog, 0);
        return;
    }
    DecryptWindow.closeWhenEnded = 1;
    DecryptWindow.stopping = 1;
    StopWorker();
    SetStatus(Text(TextStatusStopping));
    UpdateControls();
}

void PressStop() {
    if (!WorkerBusy()) {
        return;
    }
    DecryptWindow.stopping = 1;
    StopWorker();
    SetStatus(Text(TextStatusStopping));
    UpdateControls();
}

BOOL HandleCommand(WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDC_ADD_FILES: {
        if (WorkerBusy()) {
            return TRUE;
        }
        std::vector<std::wstring> paths;
        if (PickCryptFiles(DecryptWindow.dialog, &paths)) {
            AddPaths(paths);
        }
        return TRUE;
    }
    case IDC_ADD_FOLDER: {
        if (WorkerBusy()) {
            return TRUE;
        }
        std::wstring folder;
        if (PickFolder(DecryptWindow.dialog, &folder)) {
            AddPaths({folder});
        }
        return TRUE;
    }
    case IDC_SEARCH_DRIVES:
        if (!WorkerBusy()) {
            SearchAllDrives();
        }
        return TRUE;
    case IDC_NOT_SEARCHED:
        ShowFoldersNotSearched();
        return TRUE;
    case IDC_REMOVE:
        RemoveSelectedRows();
        return TRUE;
    case IDC_KEY_AUTO:
    case IDC_KEY_BUILT_IN:
    case IDC_KEY_PAIR:
    case IDC_KEY_PASSWORD:
        UpdateControls();
        return TRUE;
    case IDC_PAIR_ORIGINAL_CHOOSE:
    case IDC_PAIR_ENCRYPTED_CHOOSE:
        ChoosePairFile(LOWORD(wParam));
        return TRUE;
    case IDC_DECRYPT:
        StartDecrypt();
        return TRUE;
    case IDC_STOP:
        PressStop();
        return TRUE;
    case IDC_SAVE_REPORT:
        SaveReport();
        return TRUE;
    case IDC_RECYCLE:
        StartRecycle();
        return TRUE;
    case IDC_EXIT:
        RequestClose();
        return TRUE;
    case IDOK:
        // Enter while Decrypt is disabled: nothing to decrypt yet.
        return TRUE;
    case IDCANCEL:
        // Esc closes only a window with no job going; a run is ended with Stop or Exit.
        if (!WorkerBusy()) {
            EndDialog(DecryptWindow.dialog, 0);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

void FillCell(NMLVDISPINFOW* info) {
    LVITEMW& item = info->item;
    if (!(item.mask & LVIF_TEXT) || item.pszText == nullptr || item.cchTextMax <= 0) {
        return;
    }
    item.pszText[0] = L'\0';
    if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= RowCount() || item.iSubItem < 0 ||
        item.iSubItem >= ColumnCount) {
        return;
    }
    std::wstring text =
        CellText(static_cast<size_t>(item.iItem), static_cast<ListColumn>(item.iSubItem));
    lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
}

// A row's whole texts, one a line, for the cells the list cuts.
void FillInfoTip(NMLVGETINFOTIPW* tip) {
    if (tip->pszText == nullptr || tip->cchTextMax <= 0 || tip->iItem < 0 ||
        static_cast<size_t>(tip->iItem) >= RowCount()) {
        return;
    }
    size_t row = static_cast<size_t>(tip->iItem);
    std::wstring text;
    for (ListColumn column : {ColumnName, ColumnFolder, ColumnResult, ColumnCheck}) {
        std::wstring cell = column == ColumnCheck ? CheckText(row) : CellText(row, column);
        if (!cell.empty()) {
            text += (text.empty() ? L"" : L"\r\n") + cell;
        }
    }
    lstrcpynW(tip->pszText, text.c_str(), tip->cchTextMax);
}

void OpenRowFolder(int row) {
    if (row < 0 || static_cast<size_t>(row) >= RowCount()) {
        return;
    }
    size_t place = static_cast<size_t>(row);
    const wchar_t* path = FileRows.list.files[place].path.c_str();
    std::wstring output = OutputNameOf(path, FileRows.views[place].result);
    if (IsDecryptedRow(place) && !output.empty()) {
        ShowFileInFolder(BesideInput(path, output));
    }
}

} // namespace

void ShowSortedColumn() {
    HWND header = reinterpret_cast<HWND>(SendMessageW(DecryptWindow.list, LVM_GETHEADER, 0, 0));
    for (int i = 0; i < ColumnCount; ++i) {
        HDITEMW item = {};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == DecryptWindow.sortColumn) {
            item.fmt |= DecryptWindow.sortDescending ? HDF_SORTDOWN : HDF_SORTUP;
        }
        SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
}

namespace {

// A click on a column's header sorts the rows by it, a second click the other way, with the
// header's arrow showing which; a job going keeps its rows where they are.
void SortByColumn(int column) {
    if (WorkerBusy() || column < 0 || column >= ColumnCount) {
        return;
    }
    DecryptWindow.sortDescending =
        DecryptWindow.sortColumn == column ? !DecryptWindow.sortDescending : 0;
    DecryptWindow.sortColumn = column;
    SortRows(static_cast<ListColumn>(column), DecryptWindow.sortDescending);
    ShowSortedColumn();
    // The selection and the focus were of places, which now hold other files. Clearing the state
    // of every row takes a tenth of a second in a list of 100,000: only rows that have it.
    LVITEMW none = {};
    none.stateMask = LVIS_FOCUSED;
    int focused = static_cast<int>(
        SendMessageW(DecryptWindow.list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (focused >= 0) {
        SendMessageW(DecryptWindow.list, LVM_SETITEMSTATE, focused,
                     reinterpret_cast<LPARAM>(&none));
    }
    if (SendMessageW(DecryptWindow.list, LVM_GETSELECTEDCOUNT, 0, 0) > 0) {
        none.stateMask = LVIS_SELECTED;
        SendMessageW(DecryptWindow.list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&none));
    }
    InvalidateRect(DecryptWindow.list, nullptr, FALSE);
    UpdateControls();
}

BOOL HandleNotify(LPARAM lParam) {
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->idFrom != IDC_FILE_LIST) {
        return FALSE;
    }
    switch (header->code) {
    case LVN_GETDISPINFOW:
        FillCell(reinterpret_cast<NMLVDISPINFOW*>(lParam));
        return TRUE;
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED:
        UpdateControls();
        return TRUE;
    case LVN_GETINFOTIPW:
        FillInfoTip(reinterpret_cast<NMLVGETINFOTIPW*>(lParam));
        return TRUE;
    case NM_DBLCLK:
        OpenRowFolder(reinterpret_cast<NMITEMACTIVATE*>(lParam)->iItem);
        return TRUE;
    case LVN_COLUMNCLICK:
        SortByColumn(reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem);
        return TRUE;
    case LVN_KEYDOWN:
        if (reinterpret_cast<NMLVKEYDOWN*>(lParam)->wVKey == VK_DELETE) {
            RemoveSelectedRows();
        }
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL EndWorkerJob() {
    switch (Job.kind) {
    case JobGather:
        EndGathering();
        break;
    case JobRecycle:
        EndRecycle();
        break;
    case JobDecrypt:
    case JobNone:
        EndRun();
        break;
    }
    if (DecryptWindow.closeWhenEnded) {
        EndDialog(DecryptWindow.dialog, 0);
    }
    return TRUE;
}

} // namespace

void UpdateControls() {
    bool idle = !WorkerBusy();
    bool hasRows = RowCount() > 0;
    UINT selected = static_cast<UINT>(SendMessageW(DecryptWindow.list, LVM_GETSELECTEDCOUNT, 0, 0));
    Enable(IDC_ADD_FILES, idle);
    Enable(IDC_ADD_FOLDER, idle);
    Enable(IDC_SEARCH_DRIVES, idle);
    Enable(IDC_REMOVE, idle && selected > 0);
    Enable(IDC_NOT_SEARCHED, idle && !DecryptWindow.notSearched.empty());
    Enable(IDC_KEY_AUTO, idle);
    Enable(IDC_KEY_BUILT_IN, idle);
    Enable(IDC_KEY_PAIR, idle);
    Enable(IDC_KEY_PASSWORD, idle);
    // Each way's own controls only while it is chosen: Tab then passes over the others.
    Enable(IDC_KEY_NUMBER, idle && Checked(IDC_KEY_BUILT_IN));
    bool pair = idle && Checked(IDC_KEY_PAIR);
    Enable(IDC_PAIR_ORIGINAL_LABEL, pair);
    Enable(IDC_PAIR_ORIGINAL, pair);
    Enable(IDC_PAIR_ORIGINAL_CHOOSE, pair);
    Enable(IDC_PAIR_ENCRYPTED_LABEL, pair);
    Enable(IDC_PAIR_ENCRYPTED, pair);
    Enable(IDC_PAIR_ENCRYPTED_CHOOSE, pair);
    // A built-in key and a password are the one or the other; every other way takes one.
    Enable(IDC_PASSWORD, idle && !Checked(IDC_KEY_BUILT_IN));
    Enable(IDC_PASSWORD_HINT, idle && !Checked(IDC_KEY_BUILT_IN));
    Enable(IDC_DECRYPT, idle && hasRows);
    Enable(IDC_STOP, !idle && !DecryptWindow.stopping);
    Enable(IDC_SAVE_REPORT, idle && LastRun.have != 0);
    Enable(IDC_RECYCLE, idle && RecycleOfferedCount() > 0);
}

void SetStatus(const std::wstring& text) {
    SetDlgItemTextW(DecryptWindow.dialog, IDC_STATUS, text.c_str());
}

void ShowMessage(const std::wstring& text) {
    MessageBoxW(DecryptWindow.dialog, text.c_str(), Text(TextCaption), MB_OK | MB_ICONWARNING);
}

void KeepFocusOn(HWND control) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsWindowEnabled(focus) && IsChild(DecryptWindow.dialog, focus)) {
        return;
    }
    SendMessageW(DecryptWindow.dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

INT_PTR CALLBACK DecryptDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return SetUpDialog(dialog);
    case WM_COMMAND:
        return HandleCommand(wParam);
    case WM_NOTIFY:
        return HandleNotify(lParam);
    case WM_DROPFILES:
        AddDroppedFiles(reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_SIZE:
        ApplyLayout(dialog, LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_GETMINMAXINFO:
        LimitWindowSize(reinterpret_cast<MINMAXINFO*>(lParam));
        return TRUE;
    case WM_GATHER_NEWS:
        ShowGatherNews();
        return TRUE;
    case WM_RUN_NEWS:
        if (Job.kind == JobRecycle) {
            ShowRecycleNews();
        } else {
            ShowRunNews();
        }
        return TRUE;
    case WM_WORKER_ENDED:
        return EndWorkerJob();
    case WM_CLOSE:
        RequestClose();
        return TRUE;
    case WM_DESTROY:
        if (DecryptWindow.warningFont != nullptr) {
            DeleteObject(DecryptWindow.warningFont);
            DecryptWindow.warningFont = nullptr;
        }
        return TRUE;
    default:
        return FALSE;
    }
}
