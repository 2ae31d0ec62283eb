// The 7z check: see recovery/check_7z.h. The next header closes the archive as archivers write
// it; bytes after it are let be, as readers find everything through the start header.
#include "recovery/check_7z.h"

#include <cstring>

namespace {

// SignatureHeader: kSignature, ArchiveVersion (major 0), StartHeaderCRC, then StartHeader:
// NextHeaderOffset, NextHeaderSize, NextHeaderCRC.
const uint32_t SignatureHeaderSize = 32;
const uint8_t Signature[6] = {'7', 'z', 0xbc, 0xaf, 0x27, 0x1c};
// The next header's first property ID: kHeader, or kEncodedHeader for a packed header.
const uint8_t PropertyHeader = 0x01;
const uint8_t PropertyEncodedHeader = 0x17;

void ReadSignatureHeader(SevenZipCheck* sevenZip, CheckInput* input, CheckTally* tally) {
    if (!GatherField(sevenZip->field, &sevenZip->have, SignatureHeaderSize, input)) {
        return;
    }
    const uint8_t* header = sevenZip->field;
    ++tally->items;
    if (std::memcmp(header, Signature, sizeof Signature) != 0) {
        FailCheck(tally, CheckFailureSignature, 0, 0);
        return;
    }
    if (header[6] != 0) {
        FailCheck(tally, CheckFailureStructure, 0, 1);
        return;
    }
    if (LoadLe32(header + 8) != Crc32Over(0, header + 12, 20)) {
        FailCheck(tally, CheckFailureCrc, 0, 1);
        return;
    }
    uint64_t offset = LoadLe64(header + 12);
    uint64_t size = LoadLe64(header + 20);
    if (size > UINT64_MAX - SignatureHeaderSize ||
        offset > UINT64_MAX - SignatureHeaderSize - size) {
        FailCheck(tally, CheckFailureStructure, 0, 1);
        return;
    }
    sevenZip->nextHeaderAt = SignatureHeaderSize + offset;
    sevenZip->nextHeaderCrc = LoadLe32(header + 28);
    sevenZip->remaining = offset;
    sevenZip->step = SevenZipPacked;
    // An empty archive is its signature header alone.
    if (size == 0) {
        sevenZip->step = SevenZipDone;
        return;
    }
    ++tally->items;
    if (offset == 0) {
        sevenZip->remaining = size;
        sevenZip->step = SevenZipNextHeader;
    }
}

void ReadNextHeader(SevenZipCheck* sevenZip, CheckInput* input, CheckTally* tally) {
    if (input->offset == sevenZip->nextHeaderAt && input->bytes[0] != PropertyHeader &&
        input->bytes[0] != PropertyEncodedHeader) {
        FailCheck(tally, CheckFailureStructure, sevenZip->nextHeaderAt, 2);
        return;
    }
    uint32_t count = CountInInput(input, sevenZip->remaining);
    sevenZip->crc = Crc32Over(sevenZip->crc, input->bytes, count);
    SkipInput(input, count);
    sevenZip->remaining -= count;
    if (sevenZip->remaining > 0) {
        return;
    }
    if (sevenZip->crc != sevenZip->nextHeaderCrc) {
        FailCheck(tally, CheckFailureCrc, sevenZip->nextHeaderAt, 2);
        return;
    }
    sevenZip->step = SevenZipDone;
}

} // namespace

void StartSevenZipCheck(SevenZipCheck* sevenZip) {
    std::memset(sevenZip, 0, sizeof *sevenZip);
    sevenZip->step = SevenZipSignatureHeader;
}

void FeedSevenZipCheck(SevenZipCheck* sevenZip, CheckInput* input, CheckTally* tally) {
    while (input->count > 0 && !CheckFailedAlready(tally)) {
        switch (sevenZip->step) {
        case SevenZipSignatureHeader:
            ReadSignatureHeader(sevenZip, input, tally);
            break;
        case SevenZipPacked:
            SkipCounted(input, &sevenZip->remaining);
            if (sevenZip->remaining == 0) {
                sevenZip->remaining = LoadLe64(sevenZip->field + 20);
                sevenZip->step = SevenZipNextHeader;
            }
            break;
        case SevenZipNextHeader:
            ReadNextHeader(sevenZip, input, tally);
            break;
        case SevenZipDone:
            SkipInput(input, input->count);
            break;
        }
    }
}

void FinishSevenZipCheck(SevenZipCheck* sevenZip, uint64_t size, CheckTally* tally) {
    if (sevenZip->step != SevenZipDone) {
        FailCheck(tally, CheckFailureTruncated, size,
                  sevenZip->step == SevenZipSignatureHeader ? 1 : 2);
    }
}
