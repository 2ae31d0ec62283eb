// Drives the real program from another process, the way a person would: start it, find its
// dialog, read its controls and press its buttons and keys, all through window messages.
#pragma once
#include <windows.h>
#include <string>

// Set by main from the command line: the program under test.
extern std::wstring ProgramPath;

struct ProgramRun {
    PROCESS_INFORMATION process;
    HWND dialog;
};

// Starts the program and waits until its dialog is up. False when either fails.
bool StartProgram(ProgramRun* run);
// The same for a program whose dialog has this caption, started with these arguments (the text
// after the program's quoted path on its command line).
bool StartProgramCaptioned(ProgramRun* run, const wchar_t* caption,
                           const std::wstring& arguments = L"");
// Ends the program if it is still running and closes its handles.
void StopProgram(ProgramRun* run);
// Waits for the program to end: its exit code, or -1 when it is still running after limitMs.
long WaitForExit(ProgramRun* run, DWORD limitMs);
// True while the program is running.
bool IsRunning(ProgramRun* run);

// A window's text through WM_GETTEXT, which crosses process boundaries.
std::wstring ReadText(HWND window);
std::wstring ReadClassName(HWND window);
// The first child of parent of the given class (the bars have no control id).
HWND FindChildOfClass(HWND parent, const wchar_t* className);
// Presses a button as a click would.
void Click(HWND button);
// A key press sent to the control that holds the program's keyboard focus.
void PressKey(ProgramRun* run, WPARAM key);
HWND FocusedWindow(ProgramRun* run);

// A top-level dialog of the program with this caption, waited for up to limitMs; null if none.
HWND WaitForBox(ProgramRun* run, const wchar_t* caption, DWORD limitMs);
// Same without waiting.
HWND FindBox(ProgramRun* run, const wchar_t* caption);
