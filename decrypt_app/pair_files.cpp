// The two files of a known pair, chosen in the file dialog and shown beside their buttons.
#include <windows.h>

#include "decrypt_app/decrypt_dialog.h"
#include "decrypt_app/dialog_parts.h"
#include "decrypt_app/file_pickers.h"
#include "decrypt_app/file_rows.h"
#include "res/decrypt_resource.h"
#include "unlock/path_forms.h"

void ChoosePairFile(int button) {
    bool original = button == IDC_PAIR_ORIGINAL_CHOOSE;
    std::wstring chosen;
    if (!PickOneFile(DecryptWindow.dialog, original ? TextOriginalTitle : TextEncryptedTitle,
                     &chosen)) {
        return;
    }
    std::vector<wchar_t> longForm(DecryptLongPathCapacity);
    int32_t shareRoot = 0;
    uint32_t error = 0;
    if (LongFormOf(chosen.c_str(), longForm.data(), longForm.size(), &shareRoot, &error) !=
        LongFormMade) {
        SetStatus(Format(TextStatusPathRefused, {chosen}));
        return;
    }
    (original ? DecryptWindow.pairOriginal : DecryptWindow.pairEncrypted) = longForm.data();
    SetDlgItemTextW(DecryptWindow.dialog, original ? IDC_PAIR_ORIGINAL : IDC_PAIR_ENCRYPTED,
                    ShownLongPath(longForm.data()).c_str());
}
