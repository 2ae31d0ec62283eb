// decrypt's key options, as a table of command lines and the choice each makes: the way of
// finding the key, the password's source, or the one-line reason the options cannot be.
#include "cli/key_choice.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

int DecryptNothing(const CommandCall&) {
    return 0;
}

// decrypt's options as the console program's table has them.
const OptionSpec DecryptOptions[] = {
    {OptionKey, 1},          {OptionAuto, 0}, {OptionPair, 2}, {OptionPassword, 0},
    {OptionPasswordFile, 1}, {L"--json", 0},  {L"--quiet", 0}, {nullptr, 0}};
const CommandSpec Decrypt = {L"decrypt", DecryptOptions, 1, -1, L"PATH", DecryptNothing, L"",
                             L"",        nullptr};

struct ChoiceCase {
    std::vector<const wchar_t*> options; // between "decrypt" and its PATH
    KeyMethod method;
    PasswordSource password;
    const wchar_t* chosen; // the key's number, the password file or the pair; or the reason
};

// For a refusal, `chosen` is the reason and the method and source are not looked at.
const ChoiceCase ChoiceCases[] = {
    // The default, and each way alone.
    {{}, KeyByType, NoPassword, L""},
    {{L"--json", L"--quiet"}, KeyByType, NoPassword, L""},
    {{L"--auto"}, KeyByType, NoPassword, L""},
    {{L"--key", L"0"}, KeyBuiltIn, NoPassword, L"key 0"},
    {{L"--key", L"9"}, KeyBuiltIn, NoPassword, L"key 9"},
    {{L"--key=5"}, KeyBuiltIn, NoPassword, L"key 5"},
    {{L"--pair", L"o.pdf", L"o.pdf.crypt"}, KeyByPair, NoPassword, L"pair o.pdf o.pdf.crypt"},
    // A password alone keys every file; beside --auto or --pair it is one more candidate.
    {{L"--password"}, KeyByPassword, PasswordAsked, L""},
    {{L"--password-file", L"p.txt"}, KeyByPassword, PasswordInFile, L"file p.txt"},
    {{L"--password-file=p.txt"}, KeyByPassword, PasswordInFile, L"file p.txt"},
    {{L"--auto", L"--password"}, KeyByType, PasswordAsked, L""},
    {{L"--password", L"--auto"}, KeyByType, PasswordAsked, L""},
    {{L"--password-file", L"p", L"--pair", L"o", L"e"},
     KeyByPair,
     PasswordInFile,
     L"pair o e; file p"},

    // One way of finding the key at most, named in the order given.
    {{L"--key", L"3", L"--auto"},
     KeyByType,
     NoPassword,
     L"--key and --auto cannot be given together: choose one key option"},
    {{L"--auto", L"--key", L"3"},
     KeyByType,
     NoPassword,
     L"--auto and --key cannot be given together: choose one key option"},
    {{L"--auto", L"--pair", L"a", L"b"},
     KeyByType,
     NoPassword,
     L"--auto and --pair cannot be given together: choose one key option"},
    {{L"--pair", L"a", L"b", L"--key", L"1"},
     KeyByType,
     NoPassword,
     L"--pair and --key cannot be given together: choose one key option"},
    // The conflict is told before a bad key number.
    {{L"--key", L"10", L"--auto"},
     KeyByType,
     NoPassword,
     L"--key and --auto cannot be given together: choose one key option"},
    // One source of the password at most.
    {{L"--password", L"--password-file", L"p"},
     KeyByType,
     NoPassword,
     L"--password and --password-file cannot be given together: give the password one way"},
    {{L"--password-file", L"p", L"--password"},
     KeyByType,
     NoPassword,
     L"--password-file and --password cannot be given together: give the password one way"},
    // A built-in key or a password, in either order, either source.
    {{L"--key", L"1", L"--password"},
     KeyByType,
     NoPassword,
     L"--key and --password cannot be given together: a built-in key or a password, not both"},
    {{L"--password", L"--key", L"1"},
     KeyByType,
     NoPassword,
     L"--key and --password cannot be given together: a built-in key or a password, not both"},
    {{L"--password-file", L"p", L"--key", L"x"},
     KeyByType,
     NoPassword,
     L"--key and --password-file cannot be given together: a built-in key or a password, not "
     L"both"},

    // Only the ten digits name a built-in key.
    {{L"--key", L"10"}, KeyByType, NoPassword, L"--key takes a built-in key from 0 to 9, not 10"},
    {{L"--key", L"-1"}, KeyByType, NoPassword, L"--key takes a built-in key from 0 to 9, not -1"},
    {{L"--key", L"07"}, KeyByType, NoPassword, L"--key takes a built-in key from 0 to 9, not 07"},
    {{L"--key", L"+7"}, KeyByType, NoPassword, L"--key takes a built-in key from 0 to 9, not +7"},
    {{L"--key", L" 7"}, KeyByType, NoPassword, L"--key takes a built-in key from 0 to 9, not  7"},
    {{L"--key", L"7 "}, KeyByType, NoPassword, L"--key takes a built-in key from 0 to 9, not 7 "},
    {{L"--key=x"}, KeyByType, NoPassword, L"--key takes a built-in key from 0 to 9, not x"},
    // A full-width digit seven: a digit, but not one of the ten.
    {{L"--key", L"\xFF17"},
     KeyByType,
     NoPassword,
     L"--key takes a built-in key from 0 to 9, not \xFF17"},
};

bool IsRefusal(const ChoiceCase& c) {
    return std::wstring(c.chosen).find(L"cannot be given together") != std::wstring::npos ||
           std::wstring(c.chosen).find(L"--key takes") == 0;
}

// What the choice holds beside its method and source, in the words of the table.
std::wstring Chosen(const KeyChoice& choice) {
    std::wstring text;
    if (choice.method == KeyBuiltIn) {
        text = L"key " + std::to_wstring(choice.builtInKey);
    }
    if (choice.method == KeyByPair) {
        text = L"pair " + choice.pairOriginal + L" " + choice.pairEncrypted;
    }
    if (choice.password == PasswordInFile) {
        text += (text.empty() ? L"" : L"; ") + std::wstring(L"file ") + choice.passwordFile;
    }
    return text;
}

std::string ShownDecryptLine(const std::vector<const wchar_t*>& options) {
    std::string text = "decrypt";
    for (const wchar_t* option : options) {
        text += " \"" + Utf8(option) + "\"";
    }
    return text;
}

TEST(KeyChoice, EveryCombinationOfTheTable) {
    for (const ChoiceCase& c : ChoiceCases) {
        std::vector<const wchar_t*> line = {L"rescindo-cli", L"decrypt"};
        line.insert(line.end(), c.options.begin(), c.options.end());
        line.push_back(L"D:\\");
        ParsedArguments parsed =
            ParseArguments(static_cast<int>(line.size()), line.data(), &Decrypt, 1);
        ASSERT_EQ(parsed.verdict, ParsedCommand)
            << ShownDecryptLine(c.options) << ": " << Utf8(parsed.reason);
        KeyChoice choice;
        std::wstring reason = L"untouched";
        int chosen = ChooseKey(parsed.call, &choice, &reason);
        SCOPED_TRACE(ShownDecryptLine(c.options));
        if (IsRefusal(c)) {
            EXPECT_EQ(chosen, 0);
            EXPECT_EQ(Utf8(reason), Utf8(c.chosen));
            continue;
        }
        EXPECT_EQ(chosen, 1) << Utf8(reason);
        EXPECT_EQ(reason, L"untouched");
        EXPECT_EQ(choice.method, c.method);
        EXPECT_EQ(choice.password, c.password);
        EXPECT_EQ(Utf8(Chosen(choice)), Utf8(c.chosen));
        // A built-in key only when one was chosen.
        if (choice.method != KeyBuiltIn) {
            EXPECT_EQ(choice.builtInKey, -1);
        }
    }
}

// A choice made before leaves nothing behind in the next.
TEST(KeyChoice, EachChoiceStartsAfresh) {
    std::vector<const wchar_t*> first = {L"rescindo-cli",    L"decrypt", L"--pair", L"o", L"e",
                                         L"--password-file", L"p",       L"D:"};
    std::vector<const wchar_t*> second = {L"rescindo-cli", L"decrypt", L"D:"};
    KeyChoice choice;
    std::wstring reason;
    ParsedArguments parsed =
        ParseArguments(static_cast<int>(first.size()), first.data(), &Decrypt, 1);
    ASSERT_EQ(ChooseKey(parsed.call, &choice, &reason), 1);
    parsed = ParseArguments(static_cast<int>(second.size()), second.data(), &Decrypt, 1);
    ASSERT_EQ(ChooseKey(parsed.call, &choice, &reason), 1);
    EXPECT_EQ(choice.method, KeyByType);
    EXPECT_EQ(choice.password, NoPassword);
    EXPECT_EQ(choice.builtInKey, -1);
    EXPECT_TRUE(choice.passwordFile.empty());
    EXPECT_TRUE(choice.pairOriginal.empty());
    EXPECT_TRUE(choice.pairEncrypted.empty());
}

} // namespace
