// decrypt's key options combined as the command line gives them: one way of finding the key and
// one password source at most, --key a digit.
#include "cli/key_choice.h"
#include <gtest/gtest.h>

namespace {

int RunNothing(const CommandCall&) {
    return 0;
}

const OptionSpec DecryptOptions[] = {{OptionKey, 1},      {OptionAuto, 0},         {OptionPair, 2},
                                     {OptionPassword, 0}, {OptionPasswordFile, 1}, {L"--json", 0},
                                     {nullptr, 0}};
const CommandSpec Decrypt[] = {
    {L"decrypt", DecryptOptions, 1, -1, L"PATH", RunNothing, L"", L"", nullptr}};

struct Chosen {
    int ok;
    KeyChoice choice;
    std::wstring reason;
};

Chosen Choose(std::vector<const wchar_t*> arguments) {
    arguments.insert(arguments.begin(), {L"rescindo-cli", L"decrypt"});
    arguments.push_back(L"D:\\");
    ParsedArguments parsed =
        ParseArguments(static_cast<int>(arguments.size()), arguments.data(), Decrypt, 1);
    Chosen chosen = {0, {}, L""};
    EXPECT_EQ(parsed.verdict, ParsedCommand);
    chosen.ok = ChooseKey(parsed.call, &chosen.choice, &chosen.reason);
    return chosen;
}

TEST(KeyChoice, EachOptionAloneAndThePasswordBesideAutoOrPair) {
    Chosen none = Choose({L"--json"});
    ASSERT_TRUE(none.ok);
    EXPECT_EQ(none.choice.method, KeyByType);
    EXPECT_EQ(none.choice.password, NoPassword);

    for (int digit = 0; digit <= 9; ++digit) {
        std::wstring value = std::to_wstring(digit);
        Chosen key = Choose({L"--key", value.c_str()});
        ASSERT_TRUE(key.ok) << digit;
        EXPECT_EQ(key.choice.method, KeyBuiltIn);
        EXPECT_EQ(key.choice.builtInKey, digit);
    }

    Chosen pair = Choose({L"--pair", L"a.pdf", L"a.pdf.crypt", L"--password"});
    ASSERT_TRUE(pair.ok);
    EXPECT_EQ(pair.choice.method, KeyByPair);
    EXPECT_EQ(pair.choice.pairOriginal, L"a.pdf");
    EXPECT_EQ(pair.choice.pairEncrypted, L"a.pdf.crypt");
    EXPECT_EQ(pair.choice.password, PasswordAsked);

    Chosen autoFile = Choose({L"--password-file=p.txt", L"--auto"});
    ASSERT_TRUE(autoFile.ok);
    EXPECT_EQ(autoFile.choice.method, KeyByType);
    EXPECT_EQ(autoFile.choice.password, PasswordInFile);
    EXPECT_EQ(autoFile.choice.passwordFile, L"p.txt");

    Chosen password = Choose({L"--password"});
    ASSERT_TRUE(password.ok);
    EXPECT_EQ(password.choice.method, KeyByPassword);
}

TEST(KeyChoice, TwoWaysAtOnceOrAKeyThatIsNoneAreRefused) {
    const struct {
        std::vector<const wchar_t*> arguments;
        const wchar_t* reason;
    } cases[] = {
        {{L"--key", L"10"}, L"--key takes a built-in key from 0 to 9, not 10"},
        {{L"--key", L"-1"}, L"--key takes a built-in key from 0 to 9, not -1"},
        {{L"--key", L"07"}, L"--key takes a built-in key from 0 to 9, not 07"},
        {{L"--key", L"\x0663"}, L"--key takes a built-in key from 0 to 9, not \x0663"},
        {{L"--auto", L"--key", L"1"},
         L"--auto and --key cannot be given together: choose one key option"},
        {{L"--pair", L"a", L"b", L"--auto"},
         L"--pair and --auto cannot be given together: choose one key option"},
        {{L"--password-file", L"p", L"--password"},
         L"--password-file and --password cannot be given together: give the password one way"},
        {{L"--password", L"--key", L"4"},
         L"--key and --password cannot be given together: a built-in key or a password, not both"},
    };
    for (const auto& c : cases) {
        Chosen chosen = Choose(c.arguments);
        EXPECT_FALSE(chosen.ok);
        EXPECT_EQ(chosen.reason, c.reason);
    }
}

} // namespace
