// The RAR check: see recovery/check_rar.h. The files' data is not looked at (it is compressed by
// RAR's own methods); archives whose headers are encrypted by the archive's password are
// checked up to the header that says so. Bytes after the end-of-archive header are let be, as
// readers stop there.
#include "recovery/check_rar.h"

#include <cstring>

namespace {

// technote.txt, MARK_HEAD: "Rar!", 0x1A, 0x07, 0x00; RAR 5.0, General archive structure: the
// signature "Rar!", 0x1A, 0x07, 0x01, 0x00.
const uint8_t Signature[6] = {'R', 'a', 'r', '!', 0x1a, 0x07};
// technote.txt: HEAD_CRC, HEAD_TYPE, HEAD_FLAGS, HEAD_SIZE open every block.
const uint32_t Rar4HeadSize = 7;
const uint32_t Rar4MainType = 0x73;
const uint32_t Rar4FileType = 0x74;
const uint32_t Rar4NewSubType = 0x7a;
const uint32_t Rar4EndType = 0x7b;
const uint64_t Rar4LongBlock = 0x8000; // ADD_SIZE follows HEAD_SIZE
const uint64_t Rar4Large = 0x0100;     // LHD_LARGE: HIGH_PACK_SIZE and HIGH_UNP_SIZE follow
const uint64_t Rar4Password = 0x0080;  // MHD_PASSWORD: the block headers are encrypted
// MAIN_HEAD: HEAD_CRC covers HEAD_TYPE to RESERVED2; FILE_HEAD: HEAD_TYPE to FILEATTR and the
// name, which start at 32 (40 with LHD_LARGE).
const uint32_t Rar4MainFieldsEnd = 13;
const uint32_t Rar4FileFieldsEnd = 32;
// RAR 5.0: the header size takes at most 3 bytes, so a header is at most 2 MB.
const uint32_t Rar5LongestSizeField = 3;
const uint32_t Rar5MainType = 1;
const uint32_t Rar5EncryptionType = 4;
const uint32_t Rar5EndType = 5;
const uint64_t Rar5HasExtra = 0x0001;
const uint64_t Rar5HasData = 0x0002;
// Enough of a RAR 5.0 header for its type, flags, extra area size and data size, each a vint.
const uint32_t Rar5FieldsRead = 40;

void FailHeader(RarCheck* rar, CheckTally* tally, CheckFailure failure) {
    FailCheck(tally, failure, rar->headerAt, tally->items);
}

void NextHeader(RarCheck* rar) {
    rar->have = 0;
    rar->step = RarHead;
}

void EndHeader(RarCheck* rar, CheckTally* tally) {
    // technote.txt: HEAD_CRC is the low 16 bits of the CRC-32; the fields it names are all RAR
    // 1.5 to 2.x covers in some blocks, and later versions cover the whole header.
    bool crcFits = rar->five
                       ? rar->crc == rar->storedCrc
                       : (rar->crc & 0xffff) == rar->storedCrc ||
                             (rar->partialAt != 0 && (rar->partialCrc & 0xffff) == rar->storedCrc);
    if (!crcFits) {
        FailHeader(rar, tally, CheckFailureCrc);
        return;
    }
    bool encrypted = rar->five ? rar->type == Rar5EncryptionType
                               : rar->type == Rar4MainType && (rar->flags & Rar4Password) != 0;
    bool end = rar->type == (rar->five ? Rar5EndType : Rar4EndType);
    if (encrypted) {
        tally->uncheckedItems = 1;
        rar->step = RarDone;
    } else if (end) {
        rar->step = RarDone;
    } else if (rar->dataSize > 0) {
        rar->step = RarData;
    } else {
        NextHeader(rar);
    }
}

// The CRC-32 over header bytes read, with its value where the older fields end kept apart.
void AddToCrc(RarCheck* rar, const uint8_t* bytes, uint32_t count) {
    if (rar->partialAt > rar->headerRead && rar->partialAt <= rar->headerRead + count) {
        uint32_t before = static_cast<uint32_t>(rar->partialAt - rar->headerRead);
        rar->partialCrc = Crc32Over(rar->crc, bytes, before);
    }
    rar->crc = Crc32Over(rar->crc, bytes, count);
    rar->headerRead += count;
}

void BeginHeadRest(RarCheck* rar, CheckTally* tally) {
    rar->step = RarHeadRest;
    if (rar->headerRead == rar->headerSize) {
        EndHeader(rar, tally);
    }
}

void ReadHeadRest(RarCheck* rar, CheckInput* input, CheckTally* tally) {
    uint64_t remaining = rar->headerSize - rar->headerRead;
    uint32_t count = CountInInput(input, remaining);
    AddToCrc(rar, input->bytes, count);
    SkipInput(input, count);
    if (rar->headerRead == rar->headerSize) {
        EndHeader(rar, tally);
    }
}

// RAR 4: the first up to 40 bytes of a block.
void ReadRar4Fixed(RarCheck* rar, CheckTally* tally) {
    const uint8_t* head = rar->field;
    uint64_t size = rar->headerSize;
    bool first = tally->items == 1;
    bool known = rar->type >= Rar4MainType && rar->type <= Rar4EndType;
    bool fileLike = rar->type == Rar4FileType || rar->type == Rar4NewSubType;
    bool large = fileLike && (rar->flags & Rar4Large) != 0;
    if (!known || first != (rar->type == Rar4MainType) ||
        ((rar->flags & Rar4LongBlock) != 0 && size < 11) ||
        (fileLike && size < Rar4FileFieldsEnd + (large ? 8u : 0u)) ||
        (rar->type == Rar4MainType && size < Rar4MainFieldsEnd)) {
        FailHeader(rar, tally, CheckFailureStructure);
        return;
    }
    rar->dataSize = (rar->flags & Rar4LongBlock) != 0 ? LoadLe32(head + 7) : 0;
    rar->partialAt = 0;
    if (fileLike) {
        // PACK_SIZE is ADD_SIZE for files; HIGH_PACK_SIZE holds its upper half.
        rar->dataSize =
            LoadLe32(head + 7) | (large ? static_cast<uint64_t>(LoadLe32(head + 32)) << 32 : 0);
        uint64_t nameEnd = Rar4FileFieldsEnd + (large ? 8u : 0u) + LoadLe16(head + 26);
        if (nameEnd > size) {
            FailHeader(rar, tally, CheckFailureStructure);
            return;
        }
        rar->partialAt = nameEnd;
    } else if (rar->type == Rar4MainType) {
        rar->partialAt = Rar4MainFieldsEnd;
    }
    // The CRC covers the block from HEAD_TYPE on.
    rar->headerRead = 2;
    rar->crc = 0;
    AddToCrc(rar, head + 2, rar->want - 2);
    BeginHeadRest(rar, tally);
}

// RAR 5.0, "vint": 7 bits a byte, lowest first, the high bit set on all but the last; at most
// 10 bytes for 64 bits.
bool ReadVint(const uint8_t* bytes, uint32_t count, uint32_t* at, uint64_t* value) {
    *value = 0;
    for (uint32_t shift = 0; shift < 70 && *at < count; shift += 7) {
        uint8_t byte = bytes[(*at)++];
        if (shift == 63 && byte > 1) {
            return false;
        }
        *value |= static_cast<uint64_t>(byte & 0x7f) << shift;
        if ((byte & 0x80) == 0) {
            return true;
        }
    }
    return false;
}

// RAR 5.0: the header's type, flags and the sizes they announce.
void ReadRar5Fixed(RarCheck* rar, CheckTally* tally) {
    uint32_t at = 0;
    uint64_t type = 0;
    uint64_t extraSize = 0;
    rar->dataSize = 0;
    bool read =
        ReadVint(rar->field, rar->want, &at, &type) &&
        ReadVint(rar->field, rar->want, &at, &rar->flags) &&
        ((rar->flags & Rar5HasExtra) == 0 || ReadVint(rar->field, rar->want, &at, &extraSize)) &&
        ((rar->flags & Rar5HasData) == 0 || ReadVint(rar->field, rar->want, &at, &rar->dataSize));
    // The encryption header, when there is one, comes before the main header.
    bool first = tally->items == 1;
    bool firstFits = !first || type == Rar5MainType || type == Rar5EncryptionType;
    if (!read || type == 0 || !firstFits || extraSize > rar->headerSize - at) {
        FailHeader(rar, tally, CheckFailureStructure);
        return;
    }
    rar->type = static_cast<uint32_t>(type);
    AddToCrc(rar, rar->field, rar->want);
    BeginHeadRest(rar, tally);
}

void ReadRar4Head(RarCheck* rar, CheckInput* input, CheckTally* tally) {
    if (rar->have == 0) {
        rar->headerAt = input->offset;
    }
    if (!GatherField(rar->field, &rar->have, Rar4HeadSize, input)) {
        return;
    }
    ++tally->items;
    rar->storedCrc = LoadLe16(rar->field);
    rar->type = rar->field[2];
    rar->flags = LoadLe16(rar->field + 3);
    rar->headerSize = LoadLe16(rar->field + 5);
    if (rar->headerSize < Rar4HeadSize) {
        FailHeader(rar, tally, CheckFailureStructure);
        return;
    }
    rar->want = rar->headerSize < sizeof rar->field ? static_cast<uint32_t>(rar->headerSize)
                                                    : static_cast<uint32_t>(sizeof rar->field);
    rar->step = RarHeadFixed;
    // A block of its head alone, such as the end of the archive, is complete already.
    if (rar->want == Rar4HeadSize) {
        ReadRar4Fixed(rar, tally);
    }
}

void ReadRar5Head(RarCheck* rar, CheckInput* input, CheckTally* tally) {
    if (rar->have == 0) {
        rar->headerAt = input->offset;
    }
    // The CRC-32, then the size's bytes one by one until one without the high bit.
    while (input->count > 0 && (rar->have < 5 || (rar->field[rar->have - 1] & 0x80) != 0)) {
        if (rar->have == 4 + Rar5LongestSizeField) {
            FailCheck(tally, CheckFailureStructure, rar->headerAt, tally->items + 1);
            return;
        }
        GatherField(rar->field, &rar->have, rar->have + 1, input);
    }
    if (rar->have < 5 || (rar->field[rar->have - 1] & 0x80) != 0) {
        return;
    }
    ++tally->items;
    uint32_t at = 4;
    ReadVint(rar->field, rar->have, &at, &rar->headerSize);
    rar->storedCrc = LoadLe32(rar->field);
    // The CRC covers the header size field and the header after it.
    rar->crc = Crc32Over(0, rar->field + 4, rar->have - 4);
    rar->headerRead = 0;
    rar->partialAt = 0;
    // At least the type and the flags.
    if (rar->headerSize < 2) {
        FailHeader(rar, tally, CheckFailureStructure);
        return;
    }
    rar->want =
        rar->headerSize < Rar5FieldsRead ? static_cast<uint32_t>(rar->headerSize) : Rar5FieldsRead;
    rar->have = 0;
    rar->step = RarHeadFixed;
}

void ReadSignature(RarCheck* rar, CheckInput* input, CheckTally* tally) {
    if (!GatherField(rar->field, &rar->have, rar->want, input)) {
        return;
    }
    if (std::memcmp(rar->field, Signature, sizeof Signature) != 0 || rar->field[6] > 1 ||
        (rar->want == 8 && rar->field[7] != 0)) {
        FailCheck(tally, CheckFailureSignature, 0, 0);
        return;
    }
    if (rar->field[6] == 1 && rar->want == 7) {
        rar->want = 8;
        return;
    }
    rar->five = rar->field[6] == 1;
    NextHeader(rar);
}

} // namespace

void StartRarCheck(RarCheck* rar) {
    std::memset(rar, 0, sizeof *rar);
    rar->step = RarSignature;
    rar->want = 7;
}

void FeedRarCheck(RarCheck* rar, CheckInput* input, CheckTally* tally) {
    while (input->count > 0 && !CheckFailedAlready(tally)) {
        switch (rar->step) {
        case RarSignature:
            ReadSignature(rar, input, tally);
            break;
        case RarHead:
            if (rar->five) {
                ReadRar5Head(rar, input, tally);
            } else {
                ReadRar4Head(rar, input, tally);
            }
            break;
        case RarHeadFixed:
            // RAR 4's first bytes were gathered with its head; RAR 5's come after the size.
            if (GatherField(rar->field, &rar->have, rar->want, input)) {
                if (rar->five) {
                    ReadRar5Fixed(rar, tally);
                } else {
                    ReadRar4Fixed(rar, tally);
                }
            }
            break;
        case RarHeadRest:
            ReadHeadRest(rar, input, tally);
            break;
        case RarData:
            SkipCounted(input, &rar->dataSize);
            if (rar->dataSize == 0) {
                NextHeader(rar);
            }
            break;
        case RarDone:
            SkipInput(input, input->count);
            break;
        }
    }
}

void FinishRarCheck(RarCheck* rar, uint64_t size, CheckTally* tally) {
    if (rar->step == RarDone) {
        return;
    }
    if (rar->step == RarHead && rar->have == 0) {
        FailCheck(tally, CheckFailureEnd, size, 0);
        return;
    }
    uint64_t header = rar->step == RarHead ? tally->items + 1 : tally->items;
    FailCheck(tally, CheckFailureTruncated, size, rar->step == RarSignature ? 0 : header);
}
