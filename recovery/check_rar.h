// The check of a RAR archive as it streams by, in both its forms: RAR 1.5 to 4.x (the RAR
// technical note, technote.txt) and RAR 5.0 (the RAR 5.0 archive format description). Every
// block or header is walked to the end-of-archive header, each header's CRC compared, and the
// data areas skipped by their sizes.
#pragma once
#include <cstdint>

#include "recovery/check_bytes.h"

enum RarStep : uint8_t {
    RarSignature,
    RarHead,      // RAR 4: HEAD_CRC to HEAD_SIZE; RAR 5: the CRC and the header size
    RarHeadFixed, // the header's first fields, which give its kind and sizes
    RarHeadRest,  // the rest of the header, to its CRC
    RarData,
    RarDone,
};

struct RarCheck {
    RarStep step;
    bool five; // RAR 5.0
    uint32_t have;
    uint32_t want;
    uint8_t field[48];
    uint64_t headerAt;
    uint64_t headerSize; // RAR 4: HEAD_SIZE; RAR 5: the header size field's value
    uint64_t headerRead; // of the bytes the CRC covers
    uint64_t partialAt;  // RAR 4: where the fields the note names for the CRC end, or 0
    uint32_t partialCrc;
    uint32_t crc;
    uint32_t storedCrc;
    uint32_t type;
    uint64_t flags;
    uint64_t dataSize;
};

void StartRarCheck(RarCheck* rar);
void FeedRarCheck(RarCheck* rar, CheckInput* input, CheckTally* tally);
void FinishRarCheck(RarCheck* rar, uint64_t size, CheckTally* tally);
