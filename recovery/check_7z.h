// The check of a 7z archive (the 7z format description, 7zFormat.txt): the signature header with
// the start header's CRC, and the next header, which streams by later, to the CRC that the start
// header gives it.
#pragma once
#include <cstdint>

#include "recovery/check_bytes.h"

enum SevenZipStep : uint8_t {
    SevenZipSignatureHeader,
    SevenZipPacked, // the packed streams, up to the next header
    SevenZipNextHeader,
    SevenZipDone,
};

struct SevenZipCheck {
    SevenZipStep step;
    uint32_t have;
    uint8_t field[32];
    uint64_t nextHeaderAt;
    uint64_t remaining;
    uint32_t nextHeaderCrc;
    uint32_t crc;
};

void StartSevenZipCheck(SevenZipCheck* sevenZip);
void FeedSevenZipCheck(SevenZipCheck* sevenZip, CheckInput* input, CheckTally* tally);
void FinishSevenZipCheck(SevenZipCheck* sevenZip, uint64_t size, CheckTally* tally);
