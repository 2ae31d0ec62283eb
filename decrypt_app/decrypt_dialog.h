// The decrypt window: one resizable modal dialog (template IDD_DECRYPT) over the list of files.
// Everything here runs on the dialog thread, which never waits for the worker while a job goes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "decrypt_app/decrypt_worker.h"

struct DecryptWindowRecord {
    HINSTANCE instance;
    HWND dialog;
    HWND list;
    HFONT warningFont;
    // The paths on the command line, listed once the window is up.
    std::vector<std::wstring> startPaths;
    int32_t stopping;       // Stop was pressed during the job going
    int32_t closeWhenEnded; // Exit or the close box during a job: close once the worker ended
    // The paths the user added, each once (long forms): the report's "paths".
    std::vector<std::wstring> namedPaths;
    std::unordered_set<std::wstring> namedKeys;
    // What the gatherings of the listed files searched, and the folders they could not.
    int64_t foldersSearched;
    int64_t foldersNotSearched;
    std::vector<FolderNotSearched> notSearched;
    // The known pair, long forms; empty until chosen.
    std::wstring pairOriginal;
    std::wstring pairEncrypted;
    // The gathering going: rows it added, and what the paths refused before it said.
    int64_t rowsAdded;
    std::wstring addNotes;
    // The run going.
    uint64_t runStartedMs;
    int64_t runBytes;    // the sizes of all its files
    int64_t bytesBefore; // of the files whose results are in
    int64_t filesShown;  // results already put into their rows
    // The column the list was last sorted by (-1: none, the order found) and its direction.
    int32_t sortColumn;
    int32_t sortDescending;
};
extern DecryptWindowRecord DecryptWindow;

INT_PTR CALLBACK DecryptDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
