// The one process-wide record shared by the dialog, the unlock run, the recovery engine and the
// console program.
// Zero at process start; no lock guards it (see the comments at each writer).
#pragma once
#include <windows.h>
#include <cstdint>
#include "common/key_selector.h"

struct RunStateRecord {
    // Written by the dialog during set-up, before a run can start.
    HINSTANCE Instance;
    HWND DialogWindow;
    HWND ProgressBar;
    HWND StatusBar;
    int32_t RussianUi;
    int32_t BannerWidth;
    int32_t BannerHeight;
    // The unlock run.
    HANDLE WorkerThread;
    volatile int32_t StopFlag;
    int64_t UsedBytes;
    int64_t WalkedBytes;
    wchar_t ResultText[4096];
    // Shared by the unlock run and the recovery engine.
    int32_t UnlockedCount;
    int32_t KeySelector;
};

extern RunStateRecord RunState;
