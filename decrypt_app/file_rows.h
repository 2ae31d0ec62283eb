// The files of the window's list, each once, and what each cell of the list shows. The list view
// holds no text of its own (it is a virtual list): it asks for each cell as it draws it. Dialog
// thread only.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "recovery/decrypt_run.h"

enum RowState : int32_t {
    RowWaiting = 0,    // found, not decrypted in any run yet
    RowDecrypting = 1, // the file of the run in progress
    RowDone = 2,       // result holds what became of it in the last run that took it
    RowStopped = 3,    // a run stopped before it came to this file
};

struct FileRow {
    std::wstring path; // long form
    int64_t size;
    CryptOutcome foundOutcome; // CryptPending, or settled by the gathering already
    CryptReason foundReason;
    RowState state;
    CryptFileResult result; // RowDone only
};

enum ListColumn : int32_t {
    ColumnName = 0,
    ColumnFolder = 1,
    ColumnSize = 2,
    ColumnKey = 3,
    ColumnResult = 4,
    ColumnCount = 5,
};

struct FileRowsRecord {
    std::vector<FileRow> rows;
    std::unordered_set<std::wstring> keys; // the case key of every row's path
};
extern FileRowsRecord FileRows;

// Appends the file unless a row has its path already (names compared as the file system compares
// them). Returns 1 when it was added.
int AddFileRow(const CryptFileFound& found);
// Removes the rows at these indexes (any order) and forgets their paths.
void RemoveFileRows(std::vector<int> indexes);
// 1 when the row's last result is a whole output: a new run leaves it alone.
int IsDecryptedRow(const FileRow& row);

// What the cell shows, in the window's language.
std::wstring CellText(const FileRow& row, ListColumn column);
// "12.3 MB", "512 B".
std::wstring SizeText(int64_t bytes);
// One decimal in the language's own way: 12.3 or 12,3.
std::wstring DecimalText(double value);
// "key 3", "password"; empty for none.
std::wstring KeyText(int32_t selector);
// Why a file was not decrypted, from its result.
std::wstring ReasonText(const CryptFileResult& result);
// The path as people write it.
std::wstring ShownLongPath(const std::wstring& longPath);
