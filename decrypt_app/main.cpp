// Process entry of the decrypt window: show the dialog and return when the user leaves it. The
// dialog closes only once its worker has ended, so no output is left half written.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "decrypt_app/decrypt_dialog.h"
#include "res/decrypt_resource.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The folder picker is a COM object of the shell's, which wants a single-threaded apartment.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                                         ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    DecryptWindow.instance = instance;
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_DECRYPT), nullptr, DecryptDialogProc, 0);
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return 0;
}
