// The check of an SQLite database file (the SQLite database file format, 1.3 The Database
// Header): the header string, the page size and the fields that must have fixed values, a file
// of whole pages, and the page count in the header when the header says it is valid.
#pragma once
#include <cstdint>

#include "recovery/check_bytes.h"

struct SqliteCheck {
    uint32_t have;
    uint8_t header[100];
};

void StartSqliteCheck(SqliteCheck* sqlite);
void FeedSqliteCheck(SqliteCheck* sqlite, CheckInput* input, CheckTally* tally);
void FinishSqliteCheck(SqliteCheck* sqlite, uint64_t size, CheckTally* tally);
