// The clean-up's rule on real files of a mapped drive: a .crypt file goes to the Recycle Bin only
// when its output checked and neither file has changed since the run stamped them; a name taken
// by the user's own file is never touched; a path the shell cannot take stays.
#include "recovery/decrypt_file.h"
#include "recovery/recycle_checked.h"
#include "tests/support/scratch_tree.h"
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

namespace {

const std::string Cipher = "ciphertext of a.txt";
const std::string Plain = "plaintext of a.txt";

// A result as a run leaves it for folder\a.txt.crypt decrypted into folder\a.txt, checked.
CryptFileResult CheckedResult(const std::wstring& input, const std::wstring& output) {
    CryptFileResult result = BlankCryptResult();
    result.outcome = CryptDecrypted;
    result.check.verdict = CheckPassed;
    result.outputCounter = DecryptNameBare;
    result.inputStamp = StampFile(input.c_str());
    result.outputStamp = StampFile(output.c_str());
    return result;
}

// A folder's listing (ListFolder) without one of its names.
std::wstring Without(const std::wstring& listing, const std::wstring& name) {
    std::wstring left;
    size_t start = 0;
    while (start <= listing.size()) {
        size_t end = listing.find(L'|', start);
        end = end == std::wstring::npos ? listing.size() : end;
        std::wstring entry = listing.substr(start, end - start);
        if (entry != name) {
            left += (left.empty() ? L"" : L"|") + entry;
        }
        start = end + 1;
    }
    return left;
}

// A last write one second later than the file's, as any change gives it.
void TouchLater(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME written;
    GetFileTime(file, nullptr, nullptr, &written);
    ULARGE_INTEGER time = {{written.dwLowDateTime, written.dwHighDateTime}};
    time.QuadPart += 10000000;
    written = {time.LowPart, time.HighPart};
    SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
}

TEST(RecycleChecked, OnlyACheckedAndUnchangedInputGoesToTheBin) {
    struct Case {
        const char* name;
        std::function<void(const std::wstring& folder, CryptFileResult*)> change;
        RecycleOutcome expected;
    };
    const Case cases[] = {
        {"unchanged", [](const std::wstring&, CryptFileResult*) {}, RecycleMoved},
        {"check failed",
         [](const std::wstring&, CryptFileResult* r) { r->check.verdict = CheckFailed; },
         RecycleNotOffered},
        {"not checkable",
         [](const std::wstring&, CryptFileResult* r) { r->check.verdict = CheckNotCheckable; },
         RecycleNotOffered},
        {"not decrypted",
         [](const std::wstring&, CryptFileResult* r) { r->outcome = CryptNotIdentified; },
         RecycleNotOffered},
        {"output rewritten",
         [](const std::wstring& f, CryptFileResult*) { TouchLater(f + L"a.txt"); },
         RecycleOutputChanged},
        {"output removed",
         [](const std::wstring& f, CryptFileResult*) { DeleteFileW((f + L"a.txt").c_str()); },
         RecycleOutputChanged},
        {"output replaced by another file of its name",
         [](const std::wstring& f, CryptFileResult*) {
             MoveFileW((f + L"a.txt").c_str(), (f + L"old").c_str());
             WriteWhole(f + L"a.txt", Plain);
         },
         RecycleOutputChanged},
        {"input changed",
         [](const std::wstring& f, CryptFileResult*) { TouchLater(f + L"a.txt.crypt"); },
         RecycleInputChanged},
        {"the first second name taken by a file of the user's",
         [](const std::wstring& f, CryptFileResult*) {
             WriteWhole(f + L"a.txt.crypt.recycling", "the user's");
         },
         RecycleMoved},
    };
    for (const Case& c : cases) {
        std::wstring folder = MakeScratchFolder(L"recycle");
        std::wstring input = folder + L"a.txt.crypt";
        ASSERT_TRUE(WriteWhole(input, Cipher));
        ASSERT_TRUE(WriteWhole(folder + L"a.txt", Plain));
        CryptFileResult result = CheckedResult(input, folder + L"a.txt");
        c.change(folder, &result);
        std::wstring before = ListFolder(folder);
        RecycleResult recycled = RecycleCheckedCryptFile(input.c_str(), result);
        EXPECT_EQ(recycled.outcome, c.expected) << c.name;
        EXPECT_TRUE(recycled.secondName.empty()) << c.name;
        if (c.expected == RecycleMoved) {
            EXPECT_FALSE(Exists(input)) << c.name;
            EXPECT_EQ(ListFolder(folder), Without(before, L"a.txt.crypt")) << c.name;
        } else {
            EXPECT_EQ(ListFolder(folder), before) << c.name;
            EXPECT_EQ(ReadWhole(input), Cipher) << c.name;
        }
        if (Exists(folder + L"a.txt.crypt.recycling")) {
            EXPECT_EQ(ReadWhole(folder + L"a.txt.crypt.recycling"), "the user's") << c.name;
        }
    }
}

// The shell's Recycle Bin takes paths shorter than MAX_PATH: a longer one stays where it is.
TEST(RecycleChecked, APathLongerThanTheShellTakesStays) {
    std::wstring folder = MakeScratchFolder(L"recycle") + std::wstring(240, L'f') + L"\\";
    ASSERT_TRUE(MakeFolder(folder));
    std::wstring input = folder + L"a.txt.crypt";
    ASSERT_TRUE(WriteWhole(input, Cipher));
    ASSERT_TRUE(WriteWhole(folder + L"a.txt", Plain));
    RecycleResult recycled =
        RecycleCheckedCryptFile(input.c_str(), CheckedResult(input, folder + L"a.txt"));
    EXPECT_EQ(recycled.outcome, RecyclePathTooLong);
    EXPECT_EQ(ListFolder(folder), L"a.txt|a.txt.crypt");
}

} // namespace
