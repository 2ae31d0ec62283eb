// The unlock run: start, worker, directory walk, name restoration and the control wrappers.
#pragma once
#include <windows.h>
#include <cstdint>

// "* *-* ": the last character is a space.
extern const wchar_t SuffixPattern[];

int32_t StartUnlockRun();
DWORD WINAPI UnlockWorker(LPVOID unused);
void DirectoryWalker(const wchar_t* directory, const wchar_t* pattern);
void RestoreName(const wchar_t* path);

void SetProgressRange(int minimum, int maximum);
void SetProgressStep(int step);
void SetProgressPos(int position);
void SetProgressBarColor();
void SetStatusText(const wchar_t* text);
