// The shared parts of the format checks: see recovery/check_bytes.h.
#include "recovery/check_bytes.h"

#include <zlib.h>

#include <cstring>

void FailCheck(CheckTally* tally, CheckFailure failure, uint64_t at, uint64_t item) {
    if (tally->failure != CheckFailureNone) {
        return;
    }
    tally->failure = failure;
    tally->failedAt = at;
    tally->items = item;
}

bool CheckFailedAlready(const CheckTally* tally) {
    return tally->failure != CheckFailureNone;
}

void SkipInput(CheckInput* input, uint32_t count) {
    input->bytes += count;
    input->count -= count;
    input->offset += count;
}

uint32_t CountInInput(const CheckInput* input, uint64_t remaining) {
    return remaining < input->count ? static_cast<uint32_t>(remaining) : input->count;
}

void SkipCounted(CheckInput* input, uint64_t* remaining) {
    uint32_t count = CountInInput(input, *remaining);
    SkipInput(input, count);
    *remaining -= count;
}

bool GatherField(uint8_t* field, uint32_t* have, uint32_t want, CheckInput* input) {
    if (*have < want) {
        uint32_t count = CountInInput(input, want - *have);
        std::memcpy(field + *have, input->bytes, count);
        *have += count;
        SkipInput(input, count);
    }
    return *have >= want;
}

uint32_t Crc32Over(uint32_t crc, const uint8_t* bytes, uint64_t count) {
    // zlib takes a length of its own unsigned type, 32 bits on every target.
    while (count > 0) {
        uInt piece = count > 0x40000000u ? 0x40000000u : static_cast<uInt>(count);
        crc = static_cast<uint32_t>(crc32(crc, bytes, piece));
        bytes += piece;
        count -= piece;
    }
    return crc;
}

uint16_t LoadLe16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

uint32_t LoadLe32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

uint64_t LoadLe64(const uint8_t* bytes) {
    return static_cast<uint64_t>(LoadLe32(bytes)) | static_cast<uint64_t>(LoadLe32(bytes + 4))
                                                        << 32;
}

uint16_t LoadBe16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

uint32_t LoadBe32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | static_cast<uint32_t>(bytes[3]);
}
