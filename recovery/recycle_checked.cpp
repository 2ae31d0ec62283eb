// See recovery/recycle_checked.h.
#include "recovery/recycle_checked.h"

#include <windows.h>
#include <shellapi.h>

#include "recovery/decrypt_file.h"
#include "recovery/file_stamp.h"

namespace {

const int SecondNameTries = 100;

// The path as the shell takes it: without the long form's prefix; empty when it is too long.
std::wstring ShellFormOf(const wchar_t* path) {
    std::wstring shell = path;
    if (shell.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
        shell = L"\\\\" + shell.substr(8);
    } else if (shell.compare(0, 4, L"\\\\?\\") == 0) {
        shell = shell.substr(4);
    }
    return shell.size() < MAX_PATH ? shell : std::wstring();
}

uint32_t LinkCount(const wchar_t* path) {
    HANDLE file = CreateFileW(path, FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    BY_HANDLE_FILE_INFORMATION information;
    uint32_t links =
        GetFileInformationByHandle(file, &information) ? information.nNumberOfLinks : 0;
    CloseHandle(file);
    return links;
}

// A new hard link to path beside it, "name.crypt.recycling" or "name.crypt.recycling(N)"; no
// entry is replaced. Returns 0 with the system's error when none could be made.
int MakeSecondName(const wchar_t* path, std::wstring* secondName, uint32_t* error) {
    for (int counter = -1; counter < SecondNameTries; ++counter) {
        *secondName = std::wstring(path) + L".recycling" +
                      (counter < 0 ? std::wstring() : L"(" + std::to_wstring(counter) + L")");
        if (CreateHardLinkW(secondName->c_str(), path, nullptr)) {
            return 1;
        }
        *error = GetLastError();
        if (*error != ERROR_ALREADY_EXISTS && *error != ERROR_FILE_EXISTS) {
            break;
        }
    }
    secondName->clear();
    return 0;
}

} // namespace

int RecycleOffered(const CryptFileResult& result) {
    return result.outcome == CryptDecrypted && result.check.verdict == CheckPassed &&
           result.inputStamp.taken && result.outputStamp.taken;
}

RecycleResult RecycleCheckedCryptFile(const wchar_t* path, const CryptFileResult& result) {
    RecycleResult recycled = {RecycleNotOffered, 0, L""};
    std::wstring output = DecryptOutputPathOf(path, result);
    if (!RecycleOffered(result) || output.empty()) {
        return recycled;
    }
    if (!SameFileStamp(StampFile(output.c_str()), result.outputStamp)) {
        recycled.outcome = RecycleOutputChanged;
        return recycled;
    }
    if (!SameFileStamp(StampFile(path), result.inputStamp)) {
        recycled.outcome = RecycleInputChanged;
        return recycled;
    }
    std::wstring shellPath = ShellFormOf(path);
    if (shellPath.empty()) {
        recycled.outcome = RecyclePathTooLong;
        return recycled;
    }
    std::wstring secondName;
    if (!MakeSecondName(path, &secondName, &recycled.systemError)) {
        recycled.outcome = RecycleNoSecondName;
        return recycled;
    }
    uint32_t linksBefore = LinkCount(secondName.c_str());

    shellPath.push_back(L'\0'); // the shell's list of names ends in an empty one
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = shellPath.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NO_UI;
    int shellError = SHFileOperationW(&operation);

    int stillThere = GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
    uint32_t linksAfter = LinkCount(secondName.c_str());
    if (stillThere) {
        // Not moved: the second name is one too many.
        recycled.outcome = RecycleRefused;
        recycled.systemError = shellError != 0 ? static_cast<uint32_t>(shellError)
                                               : static_cast<uint32_t>(ERROR_CANCELLED);
        if (!DeleteFileW(secondName.c_str())) {
            recycled.secondName = secondName;
        }
    } else if (linksBefore > 0 && linksAfter >= linksBefore) {
        // The name the shell took away lives on in the bin.
        recycled.outcome = RecycleMoved;
        if (!DeleteFileW(secondName.c_str())) {
            recycled.secondName = secondName;
        }
    } else {
        // Deleted, not recycled: the second name holds the file still.
        recycled.outcome = RecycleNotKept;
        recycled.systemError = static_cast<uint32_t>(shellError);
        if (!MoveFileExW(secondName.c_str(), path, 0)) {
            recycled.secondName = secondName;
        }
    }
    return recycled;
}
