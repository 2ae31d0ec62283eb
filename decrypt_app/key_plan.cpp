// The key of a run as the window's key controls say it, the password read out of its box.
#include <windows.h>

#include <vector>

#include "decrypt_app/decrypt_dialog.h"
#include "decrypt_app/dialog_parts.h"
#include "recovery/password_text.h"
#include "res/decrypt_resource.h"

namespace {

bool Checked(int id) {
    return IsDlgButtonChecked(DecryptWindow.dialog, id) == BST_CHECKED;
}

// Why the password cannot key the run, in words the user can act on.
std::wstring PasswordRefusal(PasswordVerdict verdict, const wchar_t* text, int32_t length) {
    switch (verdict) {
    case PasswordKeyed:
        break;
    case PasswordEmpty:
        return Text(TextPasswordEmpty);
    case PasswordHoldsNul:
        return Text(TextPasswordHoldsNul);
    case PasswordNotConvertible:
        return Text(TextPasswordNotConvertible);
    case PasswordNotHeld: {
        wchar_t notHeld[64];
        wchar_t name[128];
        PasswordCharactersNotHeld(text, length, notHeld, 64);
        FileApiCodePage(name, 128);
        std::wstring refusal = Format(TextPasswordNotHeld, {name, notHeld});
        SecureZeroMemory(notHeld, sizeof notHeld);
        return refusal;
    }
    case PasswordTooLong:
        return Format(TextPasswordTooLong,
                      {std::to_wstring(PasswordCharacters(text, length)),
                       std::to_wstring(PasswordCharactersThatFit(text, length))});
    }
    return L"";
}

// Makes the password's key from the edit box. The copy read out of the box is wiped at once;
// KeyFromPasswordText wipes its own.
bool KeyFromPasswordBox() {
    HWND box = GetDlgItem(DecryptWindow.dialog, IDC_PASSWORD);
    int length = GetWindowTextLengthW(box);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    int got = GetWindowTextW(box, text.data(), length + 1);
    int32_t bytes = 0;
    PasswordVerdict verdict = KeyFromPasswordText(text.data(), got, &bytes);
    std::wstring refusal = PasswordRefusal(verdict, text.data(), got);
    SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));
    if (verdict == PasswordKeyed) {
        return true;
    }
    ShowMessage(refusal);
    KeepFocusOn(box);
    SetFocus(box);
    return false;
}

} // namespace

bool PlanFromControls(DecryptPlan* plan) {
    KeyMethod method = KeyByType;
    int32_t builtInKey = 0;
    bool typed = GetWindowTextLengthW(GetDlgItem(DecryptWindow.dialog, IDC_PASSWORD)) > 0;
    bool password = false;
    if (Checked(IDC_KEY_BUILT_IN)) {
        method = KeyBuiltIn;
        builtInKey = static_cast<int32_t>(
            SendDlgItemMessageW(DecryptWindow.dialog, IDC_KEY_NUMBER, CB_GETCURSEL, 0, 0));
    } else if (Checked(IDC_KEY_PAIR)) {
        method = KeyByPair;
        password = typed;
        if (DecryptWindow.pairOriginal.empty() || DecryptWindow.pairEncrypted.empty()) {
            ShowMessage(Text(TextPairMissing));
            return false;
        }
    } else if (Checked(IDC_KEY_PASSWORD)) {
        method = KeyByPassword;
        password = true;
    } else {
        password = typed;
    }
    if (password && !KeyFromPasswordBox()) {
        return false;
    }
    return MakeDecryptPlan(method, builtInKey, password ? 1 : 0, plan) == PlanReady;
}
