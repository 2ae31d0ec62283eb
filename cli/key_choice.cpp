// decrypt's key options and the rules that combine them.
#include "cli/key_choice.h"

const wchar_t OptionKey[] = L"--key";
const wchar_t OptionAuto[] = L"--auto";
const wchar_t OptionPair[] = L"--pair";
const wchar_t OptionPassword[] = L"--password";
const wchar_t OptionPasswordFile[] = L"--password-file";

namespace {

bool IsOneOf(const wchar_t* name, const wchar_t* first, const wchar_t* second,
             const wchar_t* third) {
    std::wstring given = name;
    return given == first || given == second || (third != nullptr && given == third);
}

// Only the ten digits: "07", "+7" or " 7" are not the way anyone writes a key's number.
int ParseBuiltInKey(const std::wstring& text, int32_t* index) {
    if (text.size() != 1 || text[0] < L'0' || text[0] > L'9') {
        return 0;
    }
    *index = text[0] - L'0';
    return 1;
}

} // namespace

int ChooseKey(const CommandCall& call, KeyChoice* choice, std::wstring* reason) {
    *choice = KeyChoice{KeyByType, -1, NoPassword, L"", L"", L""};
    const wchar_t* method = nullptr;
    const wchar_t* password = nullptr;
    for (const GivenOption& option : call.options) {
        if (IsOneOf(option.name, OptionKey, OptionAuto, OptionPair)) {
            if (method != nullptr) {
                *reason = std::wstring(method) + L" and " + option.name +
                          L" cannot be given together: choose one key option";
                return 0;
            }
            method = option.name;
        } else if (IsOneOf(option.name, OptionPassword, OptionPasswordFile, nullptr)) {
            if (password != nullptr) {
                *reason = std::wstring(password) + L" and " + option.name +
                          L" cannot be given together: give the password one way";
                return 0;
            }
            password = option.name;
        } else {
            continue;
        }
        if (method != nullptr && password != nullptr && std::wstring(method) == OptionKey) {
            *reason = std::wstring(OptionKey) + L" and " + password +
                      L" cannot be given together: a built-in key or a password, not both";
            return 0;
        }
    }

    if (password != nullptr) {
        choice->password =
            std::wstring(password) == OptionPassword ? PasswordAsked : PasswordInFile;
        if (choice->password == PasswordInFile) {
            choice->passwordFile = OptionValues(call, OptionPasswordFile)->front();
        }
    }
    if (method == nullptr) {
        choice->method = password != nullptr ? KeyByPassword : KeyByType;
    } else if (std::wstring(method) == OptionKey) {
        choice->method = KeyBuiltIn;
        const std::wstring& value = OptionValues(call, OptionKey)->front();
        if (!ParseBuiltInKey(value, &choice->builtInKey)) {
            *reason = L"--key takes a built-in key from 0 to 9, not " + value;
            return 0;
        }
    } else if (std::wstring(method) == OptionPair) {
        choice->method = KeyByPair;
        const std::vector<std::wstring>& files = *OptionValues(call, OptionPair);
        choice->pairOriginal = files[0];
        choice->pairEncrypted = files[1];
    }
    return 1;
}
