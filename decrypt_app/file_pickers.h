// The system's file dialogs as the decrypt window uses them, owned by the window and titled in
// its language. Each returns 1 with the chosen paths, as the dialog gave them, or 0 when the
// user cancelled.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "decrypt_app/window_texts.h"

// Several files at once (the open-file dialog, .crypt files shown first).
int PickCryptFiles(HWND owner, std::vector<std::wstring>* paths);
// One folder (the system's folder picker).
int PickFolder(HWND owner, std::wstring* path);
// One existing file of any type; title names which of the pair it is.
int PickOneFile(HWND owner, TextId title, std::wstring* path);
// Where to save the report; the dialog asks before it lets an existing file be replaced.
int PickReportFile(HWND owner, std::wstring* path);
