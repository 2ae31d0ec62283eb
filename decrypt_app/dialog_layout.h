// Where the decrypt dialog's controls go when the window changes size. The template sets the
// smallest layout, in dialog units (so it follows the font and the screen's DPI); each control
// keeps its distance to the edges it is anchored to, and the list takes the space that is left.
#pragma once
#include <windows.h>

// Once, when the dialog is set up and before it is first sized: the template's layout.
void RecordLayout(HWND dialog);
// WM_SIZE: the controls placed for the new client size.
void ApplyLayout(HWND dialog, int clientWidth, int clientHeight);
// WM_GETMINMAXINFO: the window never becomes smaller than the template made it.
void LimitWindowSize(MINMAXINFO* limits);
// The list's columns: the name, the folder and the result share the list's width.
void SetUpListColumns(HWND dialog, HWND list);
// Once, at the start: the window made large enough for a dozen rows and a third wider than the
// template, as far as the screen's work area allows, and centred on it. Nothing of its size is
// kept for the next start.
void OpenLargeEnough(HWND dialog, HWND list);
