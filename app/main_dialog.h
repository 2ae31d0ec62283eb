// The program's one window: the modal main dialog (template 103) and its banner painting.
#pragma once
#include <windows.h>

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Draws bitmap with its top left corner at (x, y) of dc and records its pixel size in
// RunState.BannerWidth and RunState.BannerHeight.
void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y);
