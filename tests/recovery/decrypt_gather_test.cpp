// The gathering of a decrypt run on real folders of a mapped drive: a folder whose listing the
// system refuses is counted and told with the system's error, and the rest is still searched.
#include "recovery/decrypt_run.h"
#include "tests/support/import_hook.h"
#include "tests/support/scratch_tree.h"
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using FindFirstFunction = HANDLE(WINAPI*)(LPCWSTR, FINDEX_INFO_LEVELS, LPVOID, FINDEX_SEARCH_OPS,
                                          LPVOID, DWORD);
FindFirstFunction OriginalFindFirst = nullptr;

// Access to any folder named "denied" is refused, as the system refuses a folder of another user.
HANDLE WINAPI DeniedFolderRefused(LPCWSTR path, FINDEX_INFO_LEVELS level, LPVOID data,
                                  FINDEX_SEARCH_OPS search, LPVOID filter, DWORD flags) {
    if (std::wstring(path).find(L"\\denied\\") != std::wstring::npos) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return OriginalFindFirst(path, level, data, search, filter, flags);
}

std::vector<std::pair<std::wstring, uint32_t>> NotSearched;

void RecordNotSearched(const wchar_t* folder, uint32_t error) {
    NotSearched.push_back({folder, error});
}

TEST(DecryptGather, AFolderTheSystemWillNotListIsCountedAndTold) {
    std::wstring root = MakeScratchFolder(L"gather");
    ASSERT_TRUE(MakeFolder(root + L"denied"));
    ASSERT_TRUE(MakeFolder(root + L"open"));
    ASSERT_TRUE(WriteWhole(root + L"denied\\hidden.txt.crypt", "12345678"));
    ASSERT_TRUE(WriteWhole(root + L"open\\found.txt.crypt", "12345678"));
    OriginalFindFirst = reinterpret_cast<FindFirstFunction>(ReplaceImport(
        "kernel32.dll", "FindFirstFileExW", reinterpret_cast<void*>(DeniedFolderRefused)));
    ASSERT_NE(OriginalFindFirst, nullptr);

    NotSearched.clear();
    DecryptReport report = {};
    report.folderNotSearched = RecordNotSearched;
    BeginDecryptRun();
    std::vector<CryptSearch> searches = {{L"\\\\?\\D:\\gather", 1, 0, 0, 0, 0, 0}};
    CryptFileList list;
    GatherCryptFiles(&searches, &list, &report);
    ReplaceImport("kernel32.dll", "FindFirstFileExW", reinterpret_cast<void*>(OriginalFindFirst));

    ASSERT_EQ(list.files.size(), 1u);
    EXPECT_EQ(list.files[0].path, L"\\\\?\\D:\\gather\\open\\found.txt.crypt");
    ASSERT_EQ(NotSearched.size(), 1u);
    EXPECT_EQ(NotSearched[0].first, L"\\\\?\\D:\\gather\\denied");
    EXPECT_EQ(NotSearched[0].second, static_cast<uint32_t>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(searches[0].foldersNotSearched, 1);
    EXPECT_EQ(DecryptTotals.foldersNotSearched, 1);
    EXPECT_FALSE(DecryptRunComplete());
}

} // namespace
