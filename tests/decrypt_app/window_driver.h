// The decrypt window of the real program, worked from this process as a person would: its
// buttons, its key controls, its list, its file dialogs and drops, all through window messages.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/program_driver.h"

extern const wchar_t EnglishCaption[];
extern const wchar_t RussianCaption[];

// The cells of one row of the list: name, folder, size, key, result, check.
struct ListRow {
    std::wstring name;
    std::wstring folder;
    std::wstring size;
    std::wstring key;
    std::wstring result;
    std::wstring check;
};

HWND Control(const ProgramRun& run, int id);
std::wstring StatusText(const ProgramRun& run);
std::vector<ListRow> ListRows(const ProgramRun& run);
// The row whose name is name; a row of empty cells when there is none.
ListRow RowNamed(const ProgramRun& run, const std::wstring& name);

// Presses a button without waiting for what it does: a button that opens a modal dialog returns
// only when that dialog closes.
void ClickLater(HWND button);
// Clicks the header of the list's column (from 0) as the mouse does, and waits for the window.
void ClickColumnHeader(const ProgramRun& run, int column);
// Waits until condition holds, up to limitMs; returns whether it held.
bool WaitFor(const std::function<bool()>& condition, DWORD limitMs);
// Waits until every message posted to the window's thread before this call has been handled.
void Settle(const ProgramRun& run);

// A dialog of the program (a file dialog, a message box) owned by its window, waited for.
HWND WaitForOwnedDialog(const ProgramRun& run, DWORD limitMs);
// The same for a dialog owned by another of the program's dialogs.
HWND WaitForDialogOwnedBy(const ProgramRun& run, HWND owner, DWORD limitMs);
// Types text into a file dialog's name box and presses its OK button. Returns false when the
// dialog has no name box.
bool TypeIntoFileDialog(HWND dialog, const std::wstring& text);
// Chooses in the next file dialog: each text typed and accepted in turn (a folder's path first
// opens that folder). Returns false when no dialog came or it did not close.
bool AnswerFileDialog(const ProgramRun& run, const std::vector<std::wstring>& typed);
// The text of a message box, and its button (OK, Yes, No...) pressed.
std::wstring AnswerMessageBox(HWND box, int button = IDOK);

// Waits until no job of the window goes (Stop disabled, Decrypt or Add files enabled).
bool WaitUntilIdle(const ProgramRun& run, DWORD limitMs);
// Adds files or folders by dropping them onto the window, and waits for the gathering.
bool DropAndWait(const ProgramRun& run, const std::vector<std::wstring>& paths);
// Presses Decrypt and waits for the run to end.
bool DecryptAndWait(const ProgramRun& run, DWORD limitMs);
