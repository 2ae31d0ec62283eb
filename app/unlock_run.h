// The dialog's unlock run: start, worker, directory walk, name restoration and the control
// wrappers.
#pragma once
#include <windows.h>
#include <cstdint>
#include "unlock/walk_tree.h"

// Starts the one run of the process; a run already started makes it do nothing.
int32_t StartUnlockRun();
DWORD WINAPI UnlockWorker(LPVOID unused);
// One drive's walk as the dialog shows it: its status text and progress bar, and the renames.
void DirectoryWalker(const wchar_t* directory, const wchar_t* pattern);
void RestoreName(const wchar_t* path);

// Forgets what the dialog's controls show, so the next position and status are sent whatever
// they are: at the start of a run.
void ResetDialogReport();
// The bar to this position, unless it stands there already.
void ShowProgress(int position);

void SetProgressRange(int minimum, int maximum);
void SetProgressStep(int step);
void SetProgressPos(int position);
void SetProgressBarColor();
void SetStatusText(const wchar_t* text);
