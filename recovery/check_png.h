// The check of a PNG image (ISO/IEC 15948:2004) as it streams by: the signature, IHDR first and
// well formed, every chunk's length, type and CRC-32, and IEND last.
#pragma once
#include <cstdint>

#include "recovery/check_bytes.h"

enum PngStep : uint8_t {
    PngSignature,
    PngChunkHead,  // length and type
    PngHeaderData, // the 13 bytes of IHDR
    PngChunkData,
    PngChunkCrc,
    PngDone,
};

struct PngCheck {
    PngStep step;
    uint32_t have;
    uint8_t field[16];
    uint64_t chunkAt;
    uint32_t length;
    uint32_t type;
    uint32_t crc;
    uint64_t remaining;
};

void StartPngCheck(PngCheck* png);
void FeedPngCheck(PngCheck* png, CheckInput* input, CheckTally* tally);
void FinishPngCheck(PngCheck* png, uint64_t size, CheckTally* tally);
