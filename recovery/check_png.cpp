// The PNG check: see recovery/check_png.h. Bytes after IEND are let be: a decoder stops at
// IEND (ISO/IEC 15948 5.6: IEND marks the end of the datastream), and some programs append data
// of their own there, so they say nothing of the image's soundness.
#include "recovery/check_png.h"

#include <cstring>

namespace {

// ISO/IEC 15948 5.2.
const uint8_t Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
const uint32_t TypeHeader = 0x49484452; // "IHDR"
const uint32_t TypeEnd = 0x49454e44;    // "IEND"
// 11.2.2: IHDR's data.
const uint32_t HeaderLength = 13;
// 5.3: a length, like the width and height, is at most 2^31 - 1.
const uint32_t LongestLength = 0x7fffffff;

bool IsLetter(uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// 5.4: a chunk type is four ASCII letters.
bool IsChunkType(const uint8_t* type) {
    return IsLetter(type[0]) && IsLetter(type[1]) && IsLetter(type[2]) && IsLetter(type[3]);
}

// 11.2.2 Table 11.1: the bit depths each colour type allows; compression and filter method 0;
// interlace method 0 or 1.
bool IsImageHeader(const uint8_t* data) {
    uint32_t width = LoadBe32(data);
    uint32_t height = LoadBe32(data + 4);
    uint8_t depth = data[8];
    uint8_t colour = data[9];
    bool depthFits = false;
    switch (colour) {
    case 0:
        depthFits = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        break;
    case 3:
        depthFits = depth == 1 || depth == 2 || depth == 4 || depth == 8;
        break;
    case 2:
    case 4:
    case 6:
        depthFits = depth == 8 || depth == 16;
        break;
    default:
        break;
    }
    return width != 0 && width <= LongestLength && height != 0 && height <= LongestLength &&
           depthFits && data[10] == 0 && data[11] == 0 && data[12] <= 1;
}

void FailChunk(PngCheck* png, CheckTally* tally, CheckFailure failure) {
    FailCheck(tally, failure, png->chunkAt, tally->items);
}

void ReadChunkHead(PngCheck* png, CheckInput* input, CheckTally* tally) {
    if (png->have == 0) {
        png->chunkAt = input->offset;
    }
    if (!GatherField(png->field, &png->have, 8, input)) {
        return;
    }
    ++tally->items;
    png->length = LoadBe32(png->field);
    png->type = LoadBe32(png->field + 4);
    bool first = tally->items == 1;
    // 5.6: IHDR first, and only there; IEND empty.
    if (png->length > LongestLength || !IsChunkType(png->field + 4) ||
        first != (png->type == TypeHeader) || (first && png->length != HeaderLength) ||
        (png->type == TypeEnd && png->length != 0)) {
        FailChunk(png, tally, CheckFailureStructure);
        return;
    }
    png->crc = Crc32Over(0, png->field + 4, 4);
    png->remaining = png->length;
    png->have = 0;
    png->step = first ? PngHeaderData : png->length == 0 ? PngChunkCrc : PngChunkData;
}

} // namespace

void StartPngCheck(PngCheck* png) {
    std::memset(png, 0, sizeof *png);
    png->step = PngSignature;
}

void FeedPngCheck(PngCheck* png, CheckInput* input, CheckTally* tally) {
    while (input->count > 0 && !CheckFailedAlready(tally)) {
        switch (png->step) {
        case PngSignature:
            if (GatherField(png->field, &png->have, sizeof Signature, input)) {
                if (std::memcmp(png->field, Signature, sizeof Signature) != 0) {
                    FailCheck(tally, CheckFailureSignature, 0, 0);
                    return;
                }
                png->have = 0;
                png->step = PngChunkHead;
            }
            break;
        case PngChunkHead:
            ReadChunkHead(png, input, tally);
            break;
        case PngHeaderData:
            if (GatherField(png->field, &png->have, HeaderLength, input)) {
                if (!IsImageHeader(png->field)) {
                    FailChunk(png, tally, CheckFailureStructure);
                    return;
                }
                png->crc = Crc32Over(png->crc, png->field, HeaderLength);
                png->have = 0;
                png->step = PngChunkCrc;
            }
            break;
        case PngChunkData: {
            uint32_t count = CountInInput(input, png->remaining);
            png->crc = Crc32Over(png->crc, input->bytes, count);
            SkipInput(input, count);
            png->remaining -= count;
            if (png->remaining == 0) {
                png->step = PngChunkCrc;
            }
            break;
        }
        case PngChunkCrc:
            if (GatherField(png->field, &png->have, 4, input)) {
                // 5.3: the CRC covers the type and the data, not the length.
                if (LoadBe32(png->field) != png->crc) {
                    FailChunk(png, tally, CheckFailureCrc);
                    return;
                }
                png->have = 0;
                png->step = png->type == TypeEnd ? PngDone : PngChunkHead;
            }
            break;
        case PngDone:
            SkipInput(input, input->count);
            break;
        }
    }
}

void FinishPngCheck(PngCheck* png, uint64_t size, CheckTally* tally) {
    if (png->step == PngChunkHead && png->have == 0) {
        FailCheck(tally, CheckFailureEnd, size, 0);
    } else if (png->step != PngDone) {
        // A chunk whose head is cut short is not counted yet.
        uint64_t chunk = png->step == PngChunkHead ? tally->items + 1 : tally->items;
        FailCheck(tally, CheckFailureTruncated, size, png->step == PngSignature ? 0 : chunk);
    }
}
