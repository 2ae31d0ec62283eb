// The anchors of the decrypt dialog's controls and the list's columns.
#include "decrypt_app/dialog_layout.h"

#include <commctrl.h>

#include "decrypt_app/window_texts.h"
#include "res/decrypt_resource.h"

namespace {

enum Anchor : unsigned {
    Fixed = 0,     // keeps its place from the top left corner
    MoveRight = 1, // follows the right edge
    GrowRight = 2, // its right side follows the right edge
    MoveDown = 4,  // follows the bottom edge
    GrowDown = 8,  // its bottom follows the bottom edge
};

struct AnchoredControl {
    int id;
    unsigned anchor;
};

const AnchoredControl Anchors[] = {
    {IDC_WARNING, GrowRight},
    {IDC_FILES_LABEL, Fixed},
    {IDC_FILE_LIST, GrowRight | GrowDown},
    {IDC_ADD_FILES, MoveRight},
    {IDC_ADD_FOLDER, MoveRight},
    {IDC_SEARCH_DRIVES, MoveRight},
    {IDC_REMOVE, MoveRight},
    {IDC_NOT_SEARCHED, MoveRight},
    {IDC_KEY_GROUP, MoveDown | GrowRight},
    {IDC_KEY_AUTO, MoveDown},
    {IDC_KEY_BUILT_IN, MoveDown},
    {IDC_KEY_NUMBER, MoveDown},
    {IDC_KEY_PAIR, MoveDown},
    {IDC_PAIR_ORIGINAL_LABEL, MoveDown},
    {IDC_PAIR_ORIGINAL, MoveDown | GrowRight},
    {IDC_PAIR_ORIGINAL_CHOOSE, MoveDown | MoveRight},
    {IDC_PAIR_ENCRYPTED_LABEL, MoveDown},
    {IDC_PAIR_ENCRYPTED, MoveDown | GrowRight},
    {IDC_PAIR_ENCRYPTED_CHOOSE, MoveDown | MoveRight},
    {IDC_KEY_PASSWORD, MoveDown},
    {IDC_PASSWORD, MoveDown},
    {IDC_PASSWORD_HINT, MoveDown},
    {IDC_PROGRESS, MoveDown | GrowRight},
    {IDC_STATUS, MoveDown | GrowRight},
    {IDC_DECRYPT, MoveDown},
    {IDC_STOP, MoveDown},
    {IDC_SAVE_REPORT, MoveDown},
    {IDC_RECYCLE, MoveDown},
    {IDC_EXIT, MoveDown | MoveRight},
};
constexpr int AnchoredCount = sizeof(Anchors) / sizeof(Anchors[0]);

// The columns: the size and the key take what their texts need, in dialog units; the name, the
// folder and the result share the rest of the list's width in these shares, so that a wider
// window makes each of them easier to read, the result most.
struct ColumnShape {
    TextId title;
    int width; // dialog units; 0: a share of what is left
    int share;
    int format;
};
const ColumnShape Columns[] = {
    {TextColumnName, 0, 22, LVCFMT_LEFT},   {TextColumnFolder, 0, 24, LVCFMT_LEFT},
    {TextColumnSize, 36, 0, LVCFMT_RIGHT},  {TextColumnKey, 40, 0, LVCFMT_LEFT},
    {TextColumnResult, 0, 54, LVCFMT_LEFT}, {TextColumnCheck, 48, 0, LVCFMT_LEFT},
};
constexpr int ColumnTotal = sizeof(Columns) / sizeof(Columns[0]);

// The window opens tall enough for this many rows where the screen has room.
constexpr int RowsShownAtFirst = 12;

struct LayoutRecord {
    SIZE client; // the template's client area in pixels
    SIZE window; // and the whole window's
    RECT placed[AnchoredCount];
    int recorded;
};
LayoutRecord Layout = {};

// Shares the list's width between the columns, a vertical scroll bar's width kept free so that a
// full list needs no horizontal one.
void FitColumns(HWND dialog, HWND list) {
    RECT inside;
    GetClientRect(list, &inside);
    int left = inside.right - GetSystemMetrics(SM_CXVSCROLL);
    int shares = 0;
    for (const ColumnShape& column : Columns) {
        if (column.width > 0) {
            RECT width = {0, 0, column.width, 0};
            MapDialogRect(dialog, &width);
            left -= width.right;
        }
        shares += column.share;
    }
    if (left < 0) {
        left = 0;
    }
    for (int i = 0; i < ColumnTotal; ++i) {
        RECT width = {0, 0, Columns[i].width, 0};
        MapDialogRect(dialog, &width);
        int pixels = Columns[i].width > 0 ? width.right : left * Columns[i].share / shares;
        SendMessageW(list, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(pixels, 0));
    }
}

} // namespace

void RecordLayout(HWND dialog) {
    RECT client;
    GetClientRect(dialog, &client);
    Layout.client = {client.right, client.bottom};
    RECT window;
    GetWindowRect(dialog, &window);
    Layout.window = {window.right - window.left, window.bottom - window.top};
    for (int i = 0; i < AnchoredCount; ++i) {
        HWND control = GetDlgItem(dialog, Anchors[i].id);
        RECT placed = {};
        GetWindowRect(control, &placed);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
        Layout.placed[i] = placed;
    }
    Layout.recorded = 1;
}

void ApplyLayout(HWND dialog, int clientWidth, int clientHeight) {
    if (!Layout.recorded) {
        return;
    }
    // Minimized: nothing is shown, so nothing moves.
    if (IsIconic(dialog)) {
        return;
    }
    // Smaller than the template only where the screen is smaller than the window: then the list
    // gives up what is missing and the rest keep their places from the edges.
    int dx = clientWidth - Layout.client.cx;
    int dy = clientHeight - Layout.client.cy;
    HDWP moves = BeginDeferWindowPos(AnchoredCount);
    for (int i = 0; i < AnchoredCount && moves != nullptr; ++i) {
        RECT placed = Layout.placed[i];
        unsigned anchor = Anchors[i].anchor;
        int x = placed.left + ((anchor & MoveRight) ? dx : 0);
        int y = placed.top + ((anchor & MoveDown) ? dy : 0);
        int width = placed.right - placed.left + ((anchor & GrowRight) ? dx : 0);
        int height = placed.bottom - placed.top + ((anchor & GrowDown) ? dy : 0);
        // A control that only moves keeps its size as the system gave it: a drop-down combo
        // box's window height is that of its open list, not the one it shows.
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        if (!(anchor & (GrowRight | GrowDown))) {
            flags |= SWP_NOSIZE;
        }
        moves = DeferWindowPos(moves, GetDlgItem(dialog, Anchors[i].id), nullptr, x, y, width,
                               height, flags);
    }
    if (moves != nullptr) {
        EndDeferWindowPos(moves);
    }
    FitColumns(dialog, GetDlgItem(dialog, IDC_FILE_LIST));
    // The group box is drawn over its old frame otherwise.
    InvalidateRect(dialog, nullptr, TRUE);
}

void LimitWindowSize(MINMAXINFO* limits) {
    if (!Layout.recorded) {
        return;
    }
    limits->ptMinTrackSize.x = Layout.window.cx;
    limits->ptMinTrackSize.y = Layout.window.cy;
}

void SetUpListColumns(HWND dialog, HWND list) {
    // The whole row's texts as a tooltip over a row, for the cells that are still cut.
    DWORD styles = LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_INFOTIP;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, styles, styles);
    for (int i = 0; i < ColumnTotal; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = Columns[i].format;
        column.cx = 40;
        column.pszText = const_cast<wchar_t*>(Text(Columns[i].title));
        column.iSubItem = i;
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    FitColumns(dialog, list);
}

void OpenLargeEnough(HWND dialog, HWND list) {
    // A row's height and where the first row begins below the header, as the list places a row
    // of its own while it is still empty.
    SendMessageW(list, LVM_SETITEMCOUNT, 1, 0);
    RECT first = {LVIR_BOUNDS, 0, 0, 0};
    bool placed = SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first)) != 0;
    SendMessageW(list, LVM_SETITEMCOUNT, 0, 0);
    RECT inside;
    GetClientRect(list, &inside);
    int wanted =
        first.top + RowsShownAtFirst * (first.bottom - first.top) + GetSystemMetrics(SM_CYHSCROLL);
    int taller = placed ? wanted - inside.bottom : 0;
    RECT window;
    GetWindowRect(dialog, &window);
    int width = window.right - window.left;
    int height = window.bottom - window.top + (taller > 0 ? taller : 0);
    // A third wider, for the folders and the results; never past the screen's work area.
    width += width / 3;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& area = monitor.rcWork;
        width = width < area.right - area.left ? width : area.right - area.left;
        height = height < area.bottom - area.top ? height : area.bottom - area.top;
        int x = area.left + (area.right - area.left - width) / 2;
        int y = area.top + (area.bottom - area.top - height) / 2;
        SetWindowPos(dialog, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}
