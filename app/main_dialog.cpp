// The main dialog: set-up of the controls and texts, the painted banner, and the two buttons.
// Everything here runs on the main thread. The worker of a run reaches the controls only through
// synchronous messages, so this thread must never wait for it while the dialog is up.
#include "app/main_dialog.h"
#include "app/texts.h"
#include "common/language.h"
#include "res/resource.h"
#include "common/run_state.h"
#include "app/unlock_run.h"

#include <windows.h>
#include <commctrl.h>

// Height of the progress bar in pixels, and how far its top lies above the client area's
// bottom: with the template's font that is the gap between the text and the buttons.
const int ProgressBarHeight = 10;
const int ProgressBarRise = 60;
// Where the banner title's right edge and top lie, counted from the banner's right and bottom.
const int TitleInsetRight = 20;
const int TitleInsetBottom = 45;

void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y) {
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    SetMapMode(memory, GetMapMode(dc));

    BITMAP description = {};
    GetObjectW(bitmap, sizeof(description), &description);
    RunState.BannerWidth = description.bmWidth;
    RunState.BannerHeight = description.bmHeight;

    POINT size = {description.bmWidth, description.bmHeight};
    DPtoLP(dc, &size, 1);
    POINT origin = {0, 0};
    DPtoLP(memory, &origin, 1);
    BitBlt(dc, x, y, size.x, size.y, memory, origin.x, origin.y, SRCCOPY);

    SelectObject(memory, previous);
    DeleteDC(memory);
}

static BOOL SetUpDialog(HWND dialog) {
    RunState.DialogWindow = dialog;
    // Exit holds the focus, so Enter straight after start leaves the program.
    SetFocus(GetDlgItem(dialog, IDC_EXIT));

    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);

    RECT client;
    GetClientRect(dialog, &client);
    RunState.ProgressBar =
        CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER | PBS_SMOOTH,
                        client.left, client.bottom - ProgressBarRise, client.right,
                        ProgressBarHeight, dialog, nullptr, RunState.Instance, nullptr);
    SetProgressBarColor();
    // The status bar places itself along the dialog's bottom edge.
    RunState.StatusBar = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0,
                                         0, 0, dialog, nullptr, RunState.Instance, nullptr);

    SetWindowTextW(dialog, WindowCaption);
    HICON icon = LoadIconW(RunState.Instance, MAKEINTRESOURCEW(IDI_MAIN));
    SetClassLongPtrW(dialog, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));

    RunState.RussianUi = IsRussianUi();
    if (RunState.RussianUi == 1) {
        SetDlgItemTextW(dialog, IDC_CONTINUE, ContinueCaptionRussian);
        SetDlgItemTextW(dialog, IDC_EXIT, ExitCaptionRussian);
    }
    wchar_t* text = BuildDialogText(RunState.RussianUi);
    if (text != nullptr) {
        SetDlgItemTextW(dialog, IDC_TEXT, text);
        delete[] text;
    }
    // FALSE keeps the focus given to Exit above.
    return FALSE;
}

static BOOL PaintDialog(HWND dialog) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    RECT client;
    GetClientRect(dialog, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    // Loaded for each paint and released after it: the dialog paints rarely.
    HBITMAP banner = LoadBitmapW(RunState.Instance, MAKEINTRESOURCEW(IDB_BANNER));
    if (banner != nullptr) {
        DrawBitmap(dc, banner, 0, 0);
        DeleteObject(banner);

        // The title goes in the banner's white lower right corner, in the context's default
        // font and colour; its place follows the size recorded while drawing.
        int oldMode = SetBkMode(dc, TRANSPARENT);
        UINT oldAlign = SetTextAlign(dc, TA_RIGHT);
        TextOutW(dc, RunState.BannerWidth - TitleInsetRight,
                 RunState.BannerHeight - TitleInsetBottom, BannerTitle, lstrlenW(BannerTitle));
        SetTextAlign(dc, oldAlign);
        SetBkMode(dc, oldMode);
    }
    EndPaint(dialog, &paint);
    return FALSE;
}

static BOOL HandleCommand(HWND dialog, WPARAM wParam) {
    WORD id = LOWORD(wParam);
    if (id == IDC_CONTINUE) {
        // Nothing enables Continue again: one run per program start.
        EnableWindow(GetDlgItem(dialog, IDC_CONTINUE), FALSE);
        StartUnlockRun();
        return TRUE;
    }
    if (id == IDC_EXIT) {
        // The worker is neither told to stop nor waited for: it ends with the process.
        RunState.StopFlag = 1;
        if (RunState.WorkerThread != nullptr) {
            CloseHandle(RunState.WorkerThread);
            RunState.WorkerThread = nullptr;
        }
        EndDialog(dialog, static_cast<INT_PTR>(wParam));
        return TRUE;
    }
    // IDOK and IDCANCEL included: neither Esc nor the close command ends the dialog.
    return FALSE;
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return SetUpDialog(dialog);
    case WM_PAINT:
        return PaintDialog(dialog);
    case WM_COMMAND:
        return HandleCommand(dialog, wParam);
    default:
        // Control colours included: the controls keep the system's colours.
        return FALSE;
    }
}
