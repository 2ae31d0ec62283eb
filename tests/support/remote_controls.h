// Controls of another process read and worked as a person's input would reach them: a list
// view's rows and cells (its messages take pointers, so the records live in the other process's
// memory), a double click on a row, and files dropped onto a window. The test and the program are
// built by the same toolchain, so the records have the same layout on both sides.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// How long a message to another process's window may take before that process counts as hung.
const UINT MessageLimitMs = 5000;

int ListViewRowCount(HWND list);
// The cell's text as the list view gives it (a virtual list asks its owner).
std::wstring ListViewCell(HWND list, int row, int column);
// Every row's cells, columns 0 .. columns - 1.
std::vector<std::vector<std::wstring>> ListViewRows(HWND list, int columns);
// The first selected row, or -1.
int ListViewSelectedRow(HWND list);
// Selects exactly these rows, as clicks with Ctrl would.
void SelectListViewRows(HWND list, const std::vector<int>& rows);
// Double-clicks the middle of the row's first cell.
bool DoubleClickListViewRow(HWND list, int row);

// Sends WM_DROPFILES with a DROPFILES block naming the paths, as a drop from a file manager
// delivers it. The block lives in the target's memory: a memory handle of this process means
// nothing in another one (Wine passes the message's handle on as it is). Returns false when it
// could not be placed there or the window did not answer.
bool DropFilesOnto(HWND window, const std::vector<std::wstring>& paths);
