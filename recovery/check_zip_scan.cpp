// The end of a ZIP entry that its local header leaves open (general purpose bit 3) and that no
// inflater can find: stored data, or data encrypted or compressed by another method. It ends
// where a data descriptor (APPNOTE 4.3.9) stands whose compressed size is the length of the bytes
// before it, and, for stored data, whose CRC-32 and size are theirs, with the signature of the
// next record (a local header or the central directory) straight after it. The data goes by
// once: its CRC-32 is kept up to a few bytes back, and those bytes are carried over to the next
// feed, so that a descriptor can be read whatever the split.
#include "recovery/check_zip.h"

#include <cstring>

namespace {

// The longest descriptor (signature, CRC-32, two 8-byte sizes) and a signature's first 3 bytes.
const uint32_t LongestDescriptor = 24;
const uint32_t CarriedBytes = LongestDescriptor + 3;
static_assert(CarriedBytes <= sizeof(ZipScan::carry), "the carry holds a descriptor");

uint64_t Smaller(uint64_t a, uint64_t b) {
    return a < b ? a : b;
}

// The scanned bytes at [at, at + count): the carry, then the input, which follows it.
void CopyScanned(const ZipScan* scan, const CheckInput* input, uint64_t at, uint32_t count,
                 uint8_t* out) {
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t offset = at + i;
        out[i] = offset >= input->offset ? input->bytes[offset - input->offset]
                                         : scan->carry[offset - scan->carryStart];
    }
}

uint32_t CrcOfScanned(const ZipScan* scan, const CheckInput* input, uint32_t crc, uint64_t from,
                      uint64_t to) {
    if (from < input->offset) {
        uint64_t end = Smaller(to, input->offset);
        crc = Crc32Over(crc, scan->carry + (from - scan->carryStart), end - from);
        from = end;
    }
    if (from < to) {
        crc = Crc32Over(crc, input->bytes + (from - input->offset), to - from);
    }
    return crc;
}

bool RecordSignatureAt(const ZipScan* scan, const CheckInput* input, uint64_t at) {
    uint8_t bytes[4];
    CopyScanned(scan, input, at, 4, bytes);
    uint32_t signature = LoadLe32(bytes);
    return signature == ZipLocalSignature || signature == ZipCentralSignature;
}

// Whether a descriptor ends at `next`, where a record signature begins; on a find the entry's
// facts are the descriptor's.
bool DescriptorEndsAt(ZipCheck* zip, const CheckInput* input, uint64_t next) {
    ZipEntry* entry = &zip->entry;
    ZipScan* scan = &zip->scan;
    // The four forms, the data's end (next - length) rising: with a signature or without it,
    // with 8-byte or 4-byte sizes.
    const uint32_t lengths[] = {24, 20, 16, 12};
    for (uint32_t length : lengths) {
        if (next - entry->dataStart < length) {
            continue;
        }
        uint64_t dataEnd = next - length;
        uint8_t descriptor[LongestDescriptor];
        CopyScanned(scan, input, dataEnd, length, descriptor);
        bool signature = length == 24 || length == 16;
        bool wide = length >= 20;
        if (signature && LoadLe32(descriptor) != ZipDescriptorSignature) {
            continue;
        }
        const uint8_t* fields = descriptor + (signature ? 4 : 0);
        uint64_t compressedSize = wide ? LoadLe64(fields + 4) : LoadLe32(fields + 4);
        uint64_t size = wide ? LoadLe64(fields + 12) : LoadLe32(fields + 8);
        uint32_t crc = LoadLe32(fields);
        if (compressedSize != dataEnd - entry->dataStart) {
            continue;
        }
        if (entry->checked) {
            if (size != compressedSize) {
                continue;
            }
            // The CRC-32 is brought up to the earliest end this signature allows, once.
            uint64_t earliest = next - Smaller(next - entry->dataStart, LongestDescriptor);
            if (earliest > scan->crcEnd) {
                entry->dataCrc = CrcOfScanned(scan, input, entry->dataCrc, scan->crcEnd, earliest);
                scan->crcEnd = earliest;
            }
            if (CrcOfScanned(scan, input, entry->dataCrc, scan->crcEnd, dataEnd) != crc) {
                continue;
            }
        }
        entry->dataCrc = crc;
        entry->dataCompressedSize = compressedSize;
        entry->dataSize = size;
        return true;
    }
    return false;
}

// The next record begins at `next`, its signature read already: its bytes before the input (when
// it began in the carry) become the first bytes gathered of it.
void EndAt(ZipCheck* zip, CheckInput* input, uint64_t next) {
    uint8_t carried[4];
    uint32_t carriedCount = 0;
    if (next < input->offset) {
        carriedCount = static_cast<uint32_t>(input->offset - next);
        CopyScanned(&zip->scan, input, next, carriedCount, carried);
    } else {
        SkipInput(input, static_cast<uint32_t>(next - input->offset));
    }
    EndZipEntry(zip);
    std::memcpy(zip->field, carried, carriedCount);
    zip->have = carriedCount;
    zip->recordAt = next;
}

} // namespace

void BeginZipScan(ZipCheck* zip) {
    ZipScan* scan = &zip->scan;
    scan->nextSignature = zip->entry.dataStart;
    scan->crcEnd = zip->entry.dataStart;
    scan->carryStart = zip->entry.dataStart;
    scan->carryCount = 0;
}

void FeedZipScan(ZipCheck* zip, CheckInput* input, CheckTally*) {
    ZipScan* scan = &zip->scan;
    uint64_t inputEnd = input->offset + input->count;
    uint64_t at = scan->nextSignature;
    while (at + 4 <= inputEnd) {
        if (at >= input->offset) {
            // Every signature begins with "PK".
            const uint8_t* from = input->bytes + (at - input->offset);
            const void* found = std::memchr(from, 'P', static_cast<size_t>(inputEnd - 3 - at));
            if (found == nullptr) {
                at = inputEnd - 3;
                break;
            }
            at += static_cast<const uint8_t*>(found) - from;
        }
        if (RecordSignatureAt(scan, input, at) && DescriptorEndsAt(zip, input, at)) {
            EndAt(zip, input, at);
            return;
        }
        ++at;
    }
    scan->nextSignature = at;
    // Keep the last bytes for a descriptor that the next feed's signature may end, and the
    // CRC-32 up to them.
    uint64_t keepFrom = inputEnd - Smaller(inputEnd - zip->entry.dataStart, CarriedBytes);
    if (keepFrom > scan->crcEnd) {
        zip->entry.dataCrc = CrcOfScanned(scan, input, zip->entry.dataCrc, scan->crcEnd, keepFrom);
        scan->crcEnd = keepFrom;
    }
    uint8_t kept[CarriedBytes];
    uint32_t keptCount = static_cast<uint32_t>(inputEnd - keepFrom);
    CopyScanned(scan, input, keepFrom, keptCount, kept);
    std::memcpy(scan->carry, kept, keptCount);
    scan->carryStart = keepFrom;
    scan->carryCount = keptCount;
    SkipInput(input, input->count);
}
