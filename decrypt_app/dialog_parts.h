// The parts of the decrypt dialog that its procedure calls: adding and removing files, the run,
// and the state of the controls. Dialog thread only.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "decrypt_app/window_texts.h"
#include "recovery/decrypt_plan.h"

// The header's arrow on the column the rows are sorted by (DecryptWindow.sortColumn), none on
// the others.
void ShowSortedColumn();
// Enables each control for what can be done now: nothing but Stop and Exit while a job goes.
void UpdateControls();
void SetStatus(const std::wstring& text);
// A message box owned by the window, with its caption.
void ShowMessage(const std::wstring& text);
// Moves the focus to control unless the focus is on an enabled control already.
void KeepFocusOn(HWND control);

// Paths as a picker or a drop gives them: their files are found on the worker and listed.
void AddPaths(const std::vector<std::wstring>& typed);
// WM_DROPFILES.
void AddDroppedFiles(HDROP drop);
// Search all drives: the drives the dialog program searches, as if each were added.
void SearchAllDrives();
// Not searched…: the folders the gatherings could not search, and why.
void ShowFoldersNotSearched();
// The list's selected rows leave the list (the files themselves stay as they are).
void RemoveSelectedRows();
// WM_GATHER_NEWS, and the end of a gathering.
void ShowGatherNews();
void EndGathering();

// The plan of the key controls, the password's key made; false (having told the user why) when
// it cannot be made. A password typed beside the automatic way or a pair is one more key to try.
bool PlanFromControls(DecryptPlan* plan);
// Decrypt: the plan from the key controls, then the run on the worker.
void StartDecrypt();
// WM_RUN_NEWS, and the end of a run.
void ShowRunNews();
void EndRun();
// Move to Recycle Bin: the .crypt files whose outputs checked, once the user confirms, on the
// worker; WM_RUN_NEWS while it goes, and its end. How many rows would be offered now.
void StartRecycle();
void ShowRecycleNews();
void EndRecycle();
size_t RecycleOfferedCount();
// The pair's two file pickers.
void ChoosePairFile(int button);
