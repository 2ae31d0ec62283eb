// The worker's only way to the dialog's controls: synchronous messages, so each call returns
// after the dialog thread has handled it. Callable from any thread; a missing control makes the
// call do nothing.
#include "app/unlock_run.h"
#include "common/run_state.h"
#include <commctrl.h>

namespace {
// The bar's colour: red 0, green 153, blue 51.
const COLORREF ProgressBarColor = RGB(0, 153, 51);
} // namespace

void SetProgressRange(int minimum, int maximum) {
    if (RunState.ProgressBar != nullptr) {
        SendMessageW(RunState.ProgressBar, PBM_SETRANGE, 0,
                     MAKELPARAM(static_cast<WORD>(minimum), static_cast<WORD>(maximum)));
    }
}

void SetProgressStep(int step) {
    if (RunState.ProgressBar != nullptr) {
        SendMessageW(RunState.ProgressBar, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
    }
}

void SetProgressPos(int position) {
    if (RunState.ProgressBar != nullptr) {
        SendMessageW(RunState.ProgressBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    }
}

void SetProgressBarColor() {
    if (RunState.ProgressBar != nullptr) {
        SendMessageW(RunState.ProgressBar, PBM_SETBARCOLOR, 0, ProgressBarColor);
    }
}

void SetStatusText(const wchar_t* text) {
    if (RunState.StatusBar != nullptr) {
        SetWindowTextW(RunState.StatusBar, text);
    }
}
