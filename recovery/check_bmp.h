// The check of a Windows bitmap: the file header's size and pixel offset, the bitmap header's
// size, planes, bits per pixel and compression, and, for an uncompressed bitmap, its pixel array
// within the file.
#pragma once
#include <cstdint>

#include "recovery/check_bytes.h"

struct BmpCheck {
    uint32_t have;
    uint32_t want;
    uint8_t field[64];
};

void StartBmpCheck(BmpCheck* bmp);
void FeedBmpCheck(BmpCheck* bmp, CheckInput* input, CheckTally* tally);
void FinishBmpCheck(BmpCheck* bmp, uint64_t size, CheckTally* tally);
