// The open-file and save-file dialogs, owned by the main dialog.
#include <windows.h>
#include <commdlg.h>
#include <cstring>

#include "recovery/file_utilities.h"
#include "common/run_state.h"

// Used when the caller gives no filter list: one pair, ended by two NULs.
static const wchar_t DefaultFilter[] = L"All Files\0*.*\0";
constexpr uint32_t DefaultFileNameCapacity = 260;

// Only the classic part of the record is filled and declared, so the dialogs take the form
// without the trailing reserved fields on every Windows version.
void FillOpenFileName(OPENFILENAMEW* record, const wchar_t* initialDirectory, const wchar_t* filter,
                      uint32_t capacity, wchar_t* fileName) {
    std::memset(record, 0, OPENFILENAME_SIZE_VERSION_400W);
    record->lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    record->hwndOwner = RunState.DialogWindow;
    record->lpstrFile = fileName;
    fileName[0] = L'\0';
    record->nMaxFile = capacity != 0 ? capacity : DefaultFileNameCapacity;
    record->lpstrFilter = filter != nullptr ? filter : DefaultFilter;
    record->lpstrFileTitle = nullptr;
    record->nMaxFileTitle = 0;
    record->nFilterIndex = 1;
    record->lpstrInitialDir = initialDirectory;
}

int32_t ChooseOpenFile(const wchar_t* initialDirectory, const wchar_t* filter, uint32_t capacity,
                       wchar_t* fileName) {
    if (fileName == nullptr) {
        return 0;
    }
    OPENFILENAMEW record;
    FillOpenFileName(&record, initialDirectory, filter, capacity, fileName);
    record.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    return GetOpenFileNameW(&record) == 1 ? 1 : 0;
}

int32_t ChooseSaveFile(const wchar_t* initialDirectory, const wchar_t* filter, uint32_t capacity,
                       wchar_t* fileName) {
    if (fileName == nullptr) {
        return 0;
    }
    OPENFILENAMEW record;
    FillOpenFileName(&record, initialDirectory, filter, capacity, fileName);
    record.Flags = OFN_OVERWRITEPROMPT;
    return GetSaveFileNameW(&record) == 1 ? 1 : 0;
}
