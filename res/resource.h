// Resource ids, by kind. Shared by the resource script and the C++ sources.
#pragma once

// Dialogs
#define IDD_MAIN 103

// Controls of the main dialog
#define IDC_CONTINUE 1000
#define IDC_EXIT 1001
#define IDC_TEXT 1006

// Bitmaps
#define IDB_BANNER 130

// Icons
#define IDI_MAIN 131

// Manifest (resource type 24)
#define IDR_MANIFEST 1

// Version information
#define IDV_VERSION 1
