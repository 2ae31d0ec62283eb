// Process entry: show the main dialog and return when the user leaves it. A worker thread still
// running at that moment ends with the process; a rename is one platform call, done or not.
#include "app/main_dialog.h"
#include "res/resource.h"
#include "common/run_state.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    RunState.Instance = instance;
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc, 0);
    return 0;
}
