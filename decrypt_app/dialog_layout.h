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
// The list's columns, in dialog units turned into pixels; the last one takes what the window
// gains in width.
void SetUpListColumns(HWND dialog, HWND list);
