// The gzip check: see recovery/check_gzip.h. Members follow one another (RFC 1952 2.2); after
// the last one only zero bytes are let be, the padding that tape and block devices add, which
// gzip itself passes over. Anything else there is no member and fails the check.
#include "recovery/check_gzip.h"

#include <cstring>

namespace {

// RFC 1952 2.3.1: ID1, ID2, CM (8: deflate), the flags, MTIME, XFL and OS.
const uint32_t HeaderSize = 10;
const uint8_t Id1 = 0x1f;
const uint8_t Id2 = 0x8b;
const uint8_t MethodDeflate = 8;
const uint8_t FlagHeaderCrc = 0x02;
const uint8_t FlagExtra = 0x04;
const uint8_t FlagName = 0x08;
const uint8_t FlagComment = 0x10;
const uint8_t FlagsReserved = 0xe0;
// 2.3.1: CRC32 and ISIZE close a member.
const uint32_t TrailerSize = 8;

void FailMember(GzipCheck* gzip, CheckTally* tally, CheckFailure failure) {
    FailCheck(tally, failure, gzip->memberAt, tally->items);
}

// The next part of the header, in the order of RFC 1952 2.3.1, or the data.
void NextHeaderPart(GzipCheck* gzip, CheckInflater* inflater, CheckTally* tally) {
    gzip->have = 0;
    if ((gzip->flags & FlagExtra) != 0) {
        gzip->step = GzipExtraLength;
    } else if ((gzip->flags & FlagName) != 0) {
        gzip->step = GzipName;
    } else if ((gzip->flags & FlagComment) != 0) {
        gzip->step = GzipComment;
    } else if ((gzip->flags & FlagHeaderCrc) != 0) {
        gzip->step = GzipHeaderCrc;
    } else if (RestartInflater(inflater)) {
        gzip->dataCrc = 0;
        gzip->dataSize = 0;
        gzip->step = GzipData;
    } else {
        FailMember(gzip, tally, CheckFailureInflate);
    }
}

void ReadHeader(GzipCheck* gzip, CheckInflater* inflater, CheckInput* input, CheckTally* tally) {
    if (gzip->have == 0) {
        gzip->memberAt = input->offset;
    }
    if (!GatherField(gzip->field, &gzip->have, HeaderSize, input)) {
        return;
    }
    ++tally->items;
    const uint8_t* header = gzip->field;
    if ((header[0] != Id1 || header[1] != Id2) && tally->items == 1) {
        FailCheck(tally, CheckFailureSignature, 0, 0);
        return;
    }
    if (header[0] != Id1 || header[1] != Id2) {
        FailMember(gzip, tally, CheckFailureStructure);
        return;
    }
    if (header[2] != MethodDeflate || (header[3] & FlagsReserved) != 0) {
        FailMember(gzip, tally, CheckFailureStructure);
        return;
    }
    gzip->flags = header[3];
    gzip->headerCrc = Crc32Over(0, header, HeaderSize);
    NextHeaderPart(gzip, inflater, tally);
}

// FNAME and FCOMMENT: text up to a zero byte, of any length.
void ReadZeroEnded(GzipCheck* gzip, CheckInflater* inflater, CheckInput* input, CheckTally* tally,
                   uint8_t flag) {
    const void* zero = std::memchr(input->bytes, 0, input->count);
    uint32_t count =
        zero == nullptr
            ? input->count
            : static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - input->bytes) + 1;
    gzip->headerCrc = Crc32Over(gzip->headerCrc, input->bytes, count);
    SkipInput(input, count);
    if (zero != nullptr) {
        gzip->flags &= static_cast<uint8_t>(~flag);
        NextHeaderPart(gzip, inflater, tally);
    }
}

void ReadData(GzipCheck* gzip, CheckInflater* inflater, CheckInput* input, CheckTally* tally) {
    uint32_t used = 0;
    InflateStep step = InflateBytes(inflater, input->bytes, input->count, UINT64_MAX, &used,
                                    &gzip->dataCrc, &gzip->dataSize);
    SkipInput(input, used);
    if (step == InflateBroken) {
        FailMember(gzip, tally, CheckFailureInflate);
    } else if (step == InflateEnded) {
        gzip->have = 0;
        gzip->step = GzipTrailer;
    }
}

void ReadTrailer(GzipCheck* gzip, CheckInput* input, CheckTally* tally) {
    if (!GatherField(gzip->field, &gzip->have, TrailerSize, input)) {
        return;
    }
    // 2.3.1: ISIZE is the size modulo 2^32.
    if (LoadLe32(gzip->field) != gzip->dataCrc) {
        FailMember(gzip, tally, CheckFailureCrc);
    } else if (LoadLe32(gzip->field + 4) != static_cast<uint32_t>(gzip->dataSize)) {
        FailMember(gzip, tally, CheckFailureSize);
    } else {
        gzip->step = GzipBetween;
    }
}

} // namespace

void StartGzipCheck(GzipCheck* gzip) {
    std::memset(gzip, 0, sizeof *gzip);
    gzip->step = GzipHeader;
}

void FeedGzipCheck(GzipCheck* gzip, CheckInflater* inflater, CheckInput* input, CheckTally* tally) {
    while (input->count > 0 && !CheckFailedAlready(tally)) {
        switch (gzip->step) {
        case GzipHeader:
            ReadHeader(gzip, inflater, input, tally);
            break;
        case GzipExtraLength:
            if (GatherField(gzip->field, &gzip->have, 2, input)) {
                gzip->headerCrc = Crc32Over(gzip->headerCrc, gzip->field, 2);
                gzip->remaining = LoadLe16(gzip->field);
                gzip->step = GzipExtra;
            }
            break;
        case GzipExtra: {
            uint32_t count = CountInInput(input, gzip->remaining);
            gzip->headerCrc = Crc32Over(gzip->headerCrc, input->bytes, count);
            SkipInput(input, count);
            gzip->remaining -= count;
            if (gzip->remaining == 0) {
                gzip->flags &= static_cast<uint8_t>(~FlagExtra);
                NextHeaderPart(gzip, inflater, tally);
            }
            break;
        }
        case GzipName:
            ReadZeroEnded(gzip, inflater, input, tally, FlagName);
            break;
        case GzipComment:
            ReadZeroEnded(gzip, inflater, input, tally, FlagComment);
            break;
        case GzipHeaderCrc:
            if (GatherField(gzip->field, &gzip->have, 2, input)) {
                // 2.3.1: CRC16, the two low bytes of the CRC-32 of the header before it.
                if (LoadLe16(gzip->field) != (gzip->headerCrc & 0xffff)) {
                    FailMember(gzip, tally, CheckFailureCrc);
                    return;
                }
                gzip->flags &= static_cast<uint8_t>(~FlagHeaderCrc);
                NextHeaderPart(gzip, inflater, tally);
            }
            break;
        case GzipData:
            ReadData(gzip, inflater, input, tally);
            break;
        case GzipTrailer:
            ReadTrailer(gzip, input, tally);
            break;
        case GzipBetween:
            if (input->bytes[0] == Id1) {
                gzip->have = 0;
                gzip->step = GzipHeader;
            } else if (input->bytes[0] == 0) {
                gzip->step = GzipPadding;
            } else {
                FailCheck(tally, CheckFailureStructure, input->offset, 0);
            }
            break;
        case GzipPadding: {
            uint32_t zeros = 0;
            while (zeros < input->count && input->bytes[zeros] == 0) {
                ++zeros;
            }
            if (zeros < input->count) {
                FailCheck(tally, CheckFailureStructure, input->offset + zeros, 0);
                return;
            }
            SkipInput(input, zeros);
            break;
        }
        }
    }
}

void FinishGzipCheck(GzipCheck* gzip, uint64_t size, CheckTally* tally) {
    if (gzip->step == GzipBetween || gzip->step == GzipPadding) {
        return;
    }
    // A member whose header is cut short is not counted yet.
    uint64_t member = gzip->step == GzipHeader ? tally->items + 1 : tally->items;
    FailCheck(tally, CheckFailureTruncated, size, member);
}
