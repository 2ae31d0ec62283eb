// The check of a gzip file (RFC 1952) as it streams by: every member's header (its header CRC
// too, when it has one), its deflate stream inflated, and its CRC-32 and ISIZE.
#pragma once
#include <cstdint>

#include "recovery/check_bytes.h"
#include "recovery/check_inflate.h"

enum GzipStep : uint8_t {
    GzipHeader,
    GzipExtraLength,
    GzipExtra,
    GzipName,
    GzipComment,
    GzipHeaderCrc,
    GzipData,
    GzipTrailer,
    GzipBetween, // after a member: another member, zero padding, or the end
    GzipPadding,
};

struct GzipCheck {
    GzipStep step;
    uint8_t flags; // the header parts still to read
    uint32_t have;
    uint8_t field[16];
    uint64_t memberAt;
    uint32_t headerCrc;
    uint64_t remaining;
    uint32_t dataCrc;
    uint64_t dataSize;
};

void StartGzipCheck(GzipCheck* gzip);
void FeedGzipCheck(GzipCheck* gzip, CheckInflater* inflater, CheckInput* input, CheckTally* tally);
void FinishGzipCheck(GzipCheck* gzip, uint64_t size, CheckTally* tally);
