// What the checks of every format share: the bytes of one feed with their place in the file, a
// header gathered across feeds, the tally of a check as it goes, and the byte-order loads.
#pragma once
#include <cstdint>

#include "recovery/output_check.h"

// The bytes of one feed not yet looked at.
struct CheckInput {
    const uint8_t* bytes;
    uint32_t count;
    uint64_t offset; // where bytes[0] lies in the file
};

// How a check stands while the bytes go by: the first failure found (none yet), where it lies,
// and what was counted.
struct CheckTally {
    CheckFailure failure;
    uint64_t failedAt;
    uint64_t items;
    uint64_t uncheckedItems;
};

// Records a failure in item `item` (0: outside every item); the first one found stands.
void FailCheck(CheckTally* tally, CheckFailure failure, uint64_t at, uint64_t item);
bool CheckFailedAlready(const CheckTally* tally);

void SkipInput(CheckInput* input, uint32_t count);
// Skips up to *remaining bytes of the input and lowers *remaining by what was skipped.
void SkipCounted(CheckInput* input, uint64_t* remaining);
// The part of *remaining that lies in the input now.
uint32_t CountInInput(const CheckInput* input, uint64_t remaining);

// Copies the input's next bytes into field[*have..want); true once all `want` are there (a field
// read in two steps may hold more already).
bool GatherField(uint8_t* field, uint32_t* have, uint32_t want, CheckInput* input);

// CRC-32 (ISO 3309, as zlib computes it) over any number of bytes.
uint32_t Crc32Over(uint32_t crc, const uint8_t* bytes, uint64_t count);

uint16_t LoadLe16(const uint8_t* bytes);
uint32_t LoadLe32(const uint8_t* bytes);
uint64_t LoadLe64(const uint8_t* bytes);
uint16_t LoadBe16(const uint8_t* bytes);
uint32_t LoadBe32(const uint8_t* bytes);
