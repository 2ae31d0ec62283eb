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
    {IDC_REMOVE, MoveRight},
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
    {IDC_EXIT, MoveDown | MoveRight},
};
constexpr int AnchoredCount = sizeof(Anchors) / sizeof(Anchors[0]);

// Column widths in dialog units; the last one, the result, is the least it gets: it takes the
// rest of the list's width, since it says the most.
struct ColumnShape {
    TextId title;
    int width;
    int format;
};
const ColumnShape Columns[] = {
    {TextColumnName, 66, LVCFMT_LEFT},    {TextColumnFolder, 58, LVCFMT_LEFT},
    {TextColumnSize, 32, LVCFMT_RIGHT},   {TextColumnKey, 32, LVCFMT_LEFT},
    {TextColumnResult, 100, LVCFMT_LEFT},
};
constexpr int ColumnTotal = sizeof(Columns) / sizeof(Columns[0]);

struct LayoutRecord {
    SIZE client; // the template's client area in pixels
    SIZE window; // and the whole window's
    RECT placed[AnchoredCount];
    int resultWidth; // the last column's width in pixels at the template's size
    int recorded;
};
LayoutRecord Layout = {};

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
    HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
    if (Layout.resultWidth > 0) {
        SendMessageW(list, LVM_SETCOLUMNWIDTH, ColumnTotal - 1,
                     MAKELPARAM(Layout.resultWidth + dx, 0));
    }
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
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP,
                 LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    // The last column fills the list beside a vertical scroll bar, so that a full list needs
    // no horizontal one.
    RECT inside;
    GetClientRect(list, &inside);
    int left = inside.right - GetSystemMetrics(SM_CXVSCROLL);
    for (int i = 0; i < ColumnTotal; ++i) {
        RECT width = {0, 0, Columns[i].width, 0};
        MapDialogRect(dialog, &width);
        if (i == ColumnTotal - 1 && left > width.right) {
            width.right = left;
        }
        left -= width.right;
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = Columns[i].format;
        column.cx = width.right;
        column.pszText = const_cast<wchar_t*>(Text(Columns[i].title));
        column.iSubItem = i;
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
        if (i == ColumnTotal - 1) {
            Layout.resultWidth = width.right;
        }
    }
}
