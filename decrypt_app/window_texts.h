// Every text the decrypt window shows, in English and in Russian. A text with values holds
// numbered places, {1} {2}..., which Format fills: the two languages may order them differently.
// Windows-free.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>

enum TextId : int32_t {
    // The window's own captions
    TextCaption,
    TextWarning,
    TextFilesLabel,
    TextAddFiles,
    TextAddFolder,
    TextSearchDrives,
    TextRemove,
    TextNotSearched,
    TextKeyGroup,
    TextKeyAuto,
    TextKeyBuiltIn,
    TextKeyPair,
    TextPairOriginal,
    TextPairEncrypted,
    TextChoose,
    TextKeyPassword,
    TextPasswordHint,
    TextDecrypt,
    TextStop,
    TextSaveReport,
    TextRecycle,
    TextExit,
    // The list's columns
    TextColumnName,
    TextColumnFolder,
    TextColumnSize,
    TextColumnKey,
    TextColumnResult,
    TextColumnCheck,
    // Sizes
    TextSizeBytes,
    TextSizeKilobytes,
    TextSizeMegabytes,
    TextSizeGigabytes,
    // The result column, beside the decrypt run's own words
    TextResultStopped,
    TextResultDecrypting,
    // The status line
    TextStatusStart,
    TextStatusSearching,
    TextStatusAdded,
    TextStatusNothingAdded,
    TextStatusNoCryptFile,
    TextStatusNotCryptFile,
    TextStatusPathRefused,
    TextStatusPathMissing,
    TextStatusFoldersNotSearched,
    TextNotSearchedTitle,
    TextNotSearchedTooLong,
    TextNotSearchedMore,
    TextStatusBusy,
    TextStatusRemoved,
    TextStatusFindingPairKey,
    TextStatusDecrypting,
    TextStatusStopping,
    TextStatusDone,
    TextStatusDoneWithLeft,
    TextStatusStopped,
    TextStatusAllDecryptedAlready,
    TextStatusReportSaved,
    TextStatusNoPairKey,
    TextStatusRecycling,
    TextStatusRecycled,
    TextResultRecycled,
    // Message boxes
    TextPairMissing,
    TextPairNoKey,
    TextPasswordEmpty,
    TextPasswordTooLong,
    TextPasswordNotConvertible,
    TextPasswordNotHeld,
    TextPasswordHoldsNul,
    TextReportNotWritten,
    TextRecycleConfirm,
    TextRecycleKept,
    // The file dialogs
    TextAddFilesTitle,
    TextAddFolderTitle,
    TextOriginalTitle,
    TextEncryptedTitle,
    TextSaveReportTitle,
    TextFilterCrypt,
    TextFilterAll,
    TextFilterReport,
    TextReportFileName,
    TextCount
};

struct WindowTextRow {
    TextId id; // the row's own index, so that a row out of place is found by the tests
    const wchar_t* english;
    const wchar_t* russian;
};
extern const WindowTextRow WindowTexts[TextCount];

// The text in the language the window speaks (WindowLanguage.russian).
const wchar_t* Text(TextId id);
// The text with its places {1}, {2}... filled by values, in order (FillPlaces).
std::wstring Format(TextId id, std::initializer_list<std::wstring> values);

struct WindowLanguageRecord {
    int32_t russian; // 1: the Russian texts; set once, when the dialog is set up
};
extern WindowLanguageRecord WindowLanguage;
