// The files of the window's list, each once by the decrypt run's own rule, and what each cell of
// the list shows. The list view holds no text of its own (it is a virtual list): it asks for each
// cell as it draws it. Dialog thread only.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "recovery/decrypt_run.h"
#include "recovery/recycle_checked.h"
#include "report/decrypt_words.h"

enum RowState : int32_t {
    RowWaiting = 0,    // found, not decrypted in any run yet
    RowDecrypting = 1, // the file of the run in progress
    RowDone = 2,       // result holds what became of it in the last run that took it
    RowStopped = 3,    // a run stopped before it came to this file
};

// What the window knows of a row beyond its file.
struct RowView {
    RowState state;
    CryptFileResult result; // RowDone only
    // What the clean-up did with the row's .crypt file, once it has been asked.
    int32_t recycleAsked;
    RecycleResult recycle;
};

enum ListColumn : int32_t {
    ColumnName = 0,
    ColumnFolder = 1,
    ColumnSize = 2,
    ColumnKey = 3,
    ColumnResult = 4,
    ColumnCheck = 5,
    ColumnCount = 6,
};

// The list's files (list.files[i] is row i) and their views (views[i]).
struct FileRowsRecord {
    CryptFileList list;
    std::vector<RowView> views;
};
extern FileRowsRecord FileRows;

size_t RowCount();
// Appends the file unless the list holds it already. Returns 1 when it was added.
int AddFileRow(const CryptFile& file);
// Removes the rows at these indexes (any order) and forgets their paths.
void RemoveFileRows(const std::vector<int>& indexes);
// 1 when the row's last result is a whole output: a new run leaves it alone.
int IsDecryptedRow(size_t row);
// 1 when the row's .crypt file may be offered for the Recycle Bin: its output checked, and the
// clean-up has not been asked about it yet.
int IsRecycleOfferedRow(size_t row);

// Puts the rows in the order of the column's texts (sizes by their bytes), letters compared
// without regard to case; rows that tie keep their order, so that sorting by one column and then
// another orders by both. Only while no job goes: the jobs refer to rows by their places.
void SortRows(ListColumn column, int descending);

// The language of the words the window takes from the decrypt run's words.
WordsLanguage WindowWords();
// What the cell shows, in the window's language.
std::wstring CellText(size_t row, ListColumn column);
// "12.3 MB", "512 B".
std::wstring SizeText(int64_t bytes);
// One decimal in the language's own way: 12.3 or 12,3.
std::wstring DecimalText(double value);
// What the check of a decrypted row's output found, in a sentence; empty for another row.
std::wstring CheckText(size_t row);
// Why a file was not decrypted, from its result.
std::wstring ReasonText(const wchar_t* path, const CryptFileResult& result);
// The path as people write it.
std::wstring ShownLongPath(const std::wstring& longPath);
