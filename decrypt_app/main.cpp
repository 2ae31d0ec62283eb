// Process entry of the decrypt window: show the dialog and return when the user leaves it. The
// dialog closes only once its worker has ended, so no output is left half written.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "decrypt_app/decrypt_dialog.h"
#include "recovery/file_utilities.h"
#include "res/decrypt_resource.h"

// The paths the program was started with: what Windows gives it for files dropped onto its icon,
// sent to it with "Send to" or opened with it. They are listed as a drop of them would be.
static void TakeStartPaths() {
    int32_t count = 0;
    wchar_t* block = CopyCommandLine(&count);
    if (block == nullptr) {
        return;
    }
    wchar_t** arguments = reinterpret_cast<wchar_t**>(block);
    for (int32_t i = 1; i < count; ++i) {
        if (arguments[i][0] != L'\0') {
            DecryptWindow.startPaths.push_back(arguments[i]);
        }
    }
    delete[] block;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The folder picker is a COM object of the shell's, which wants a single-threaded apartment.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                                         ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    DecryptWindow.instance = instance;
    TakeStartPaths();
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_DECRYPT), nullptr, DecryptDialogProc, 0);
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return 0;
}
