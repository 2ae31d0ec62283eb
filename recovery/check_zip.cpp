// The ZIP check's walk through the local file headers and the entries' data: see
// recovery/check_zip.h. The central directory is read in check_zip_directory.cpp, and an entry
// whose end only its data descriptor tells is found in check_zip_scan.cpp.
#include "recovery/check_zip.h"

#include <cstring>

namespace {

// APPNOTE 4.3.7: the local file header's fixed part.
const uint32_t LocalHeaderSize = 30;
// APPNOTE 4.4.4: general purpose bits 0 (encrypted), 3 (data descriptor), 6 (strong encryption).
const uint16_t FlagEncrypted = 0x0001;
const uint16_t FlagDescriptor = 0x0008;
const uint16_t FlagStrongEncryption = 0x0040;
// APPNOTE 4.4.5: compression methods 0 (stored) and 8 (deflated).
const uint16_t MethodStored = 0;
const uint16_t MethodDeflated = 8;
// APK Signature Scheme v2 (Android), APK Signing Block: its size fields and closing magic.
const char SigningBlockMagic[] = "APK Sig Block 42";
const uint32_t SigningBlockTailSize = 8 + 16;

uint64_t Mix(uint64_t x) {
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9u;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebu;
    return x ^ (x >> 31);
}

bool InEntry(ZipStep step) {
    return step >= ZipLocalHeader && step <= ZipScannedData;
}

void FailEntry(ZipCheck* zip, CheckTally* tally, CheckFailure failure) {
    FailCheck(tally, failure, zip->entry.offset, tally->items);
}

void ReadRecordSignature(ZipCheck* zip, CheckInput* input, CheckTally* tally) {
    if (zip->have == 0) {
        zip->recordAt = input->offset;
    }
    if (!GatherField(zip->field, &zip->have, 4, input)) {
        return;
    }
    uint32_t signature = LoadLe32(zip->field);
    // APPNOTE 4.3.6: an archive opens with its first entry, or is its end record alone (4.3.16).
    if (zip->recordAt == 0 && signature != ZipLocalSignature && signature != ZipEndSignature) {
        FailCheck(tally, CheckFailureSignature, 0, 0);
    } else if (signature == ZipLocalSignature && zip->part == ZipPartEntries) {
        ++tally->items;
        zip->entry.offset = zip->recordAt;
        zip->step = ZipLocalHeader;
    } else if (signature == ZipCentralSignature || signature == ZipDigitalSignatureSignature ||
               signature == ZipEnd64Signature || signature == ZipEnd64LocatorSignature ||
               signature == ZipEndSignature) {
        BeginZipDirectoryRecord(zip, signature, tally);
    } else if (zip->part == ZipPartEntries && tally->items > 0) {
        // No signature after the entries: an APK Signing Block, before the central directory.
        zip->step = ZipSigningBlockSize;
    } else {
        FailCheck(tally, CheckFailureStructure, zip->recordAt, 0);
    }
}

void BeginEntryData(ZipCheck* zip, CheckInflater* inflater, uint64_t at, CheckTally* tally) {
    ZipEntry* entry = &zip->entry;
    entry->dataStart = at;
    entry->dataCrc = 0;
    entry->dataCompressedSize = 0;
    entry->dataSize = 0;
    bool encrypted = (entry->flags & (FlagEncrypted | FlagStrongEncryption)) != 0;
    bool descriptor = (entry->flags & FlagDescriptor) != 0;
    entry->checked = !encrypted && (entry->method == MethodStored ||
                                    (entry->method == MethodDeflated && RestartInflater(inflater)));
    if (!entry->checked) {
        ++tally->uncheckedItems;
    }
    if (entry->checked && entry->method == MethodDeflated) {
        // A deflate stream is never empty (RFC 1951 3.2.3: at least one block).
        if (!descriptor && entry->compressedSize == 0) {
            FailEntry(zip, tally, CheckFailureSize);
            return;
        }
        zip->remaining = entry->compressedSize;
        zip->step = ZipInflatedData;
    } else if (descriptor) {
        BeginZipScan(zip);
        zip->step = ZipScannedData;
    } else if (entry->checked) {
        // APPNOTE 4.4.8-9: stored data is as long compressed as it is plain.
        if (entry->compressedSize != entry->size) {
            FailEntry(zip, tally, CheckFailureSize);
            return;
        }
        zip->remaining = entry->compressedSize;
        zip->step = ZipStoredData;
    } else {
        entry->dataCrc = entry->crc;
        entry->dataCompressedSize = entry->compressedSize;
        entry->dataSize = entry->size;
        zip->remaining = entry->compressedSize;
        zip->step = ZipSkippedData;
    }
    if (zip->remaining == 0 && (zip->step == ZipStoredData || zip->step == ZipSkippedData)) {
        EndZipEntry(zip);
    }
}

void ReadLocalHeader(ZipCheck* zip, CheckInput* input) {
    if (!GatherField(zip->field, &zip->have, LocalHeaderSize, input)) {
        return;
    }
    ZipEntry* entry = &zip->entry;
    const uint8_t* header = zip->field;
    entry->flags = LoadLe16(header + 6);
    entry->method = LoadLe16(header + 8);
    entry->crc = LoadLe32(header + 14);
    entry->compressedSize = LoadLe32(header + 18);
    entry->size = LoadLe32(header + 22);
    entry->nameLength = LoadLe16(header + 26);
    entry->extraLength = LoadLe16(header + 28);
    zip->have = 0;
    zip->step = ZipLocalName;
}

void ReadLocalName(ZipCheck* zip, CheckInput* input) {
    if (GatherField(zip->field, &zip->have, zip->entry.nameLength, input)) {
        zip->entry.nameHash = ZipNameHash(zip->field, zip->entry.nameLength);
        zip->have = 0;
        zip->step = ZipLocalExtra;
    }
}

void ReadLocalExtra(ZipCheck* zip, CheckInflater* inflater, CheckInput* input, CheckTally* tally) {
    ZipEntry* entry = &zip->entry;
    if (!GatherField(zip->field, &zip->have, entry->extraLength, input)) {
        return;
    }
    // APPNOTE 4.5.3: in a local header the ZIP64 field holds both sizes when either is escaped.
    Zip64Fields zip64 = {};
    zip64.wanted[0] = entry->size == 0xFFFFFFFFu;
    zip64.wanted[1] = entry->compressedSize == 0xFFFFFFFFu;
    if (!ReadZip64Extra(zip->field, entry->extraLength, &zip64)) {
        FailEntry(zip, tally, CheckFailureStructure);
        return;
    }
    entry->zip64 = zip64.present;
    entry->size = zip64.wanted[0] ? zip64.value[0] : entry->size;
    entry->compressedSize = zip64.wanted[1] ? zip64.value[1] : entry->compressedSize;
    BeginEntryData(zip, inflater, input->offset, tally);
}

void ReadStoredData(ZipCheck* zip, CheckInput* input, CheckTally* tally) {
    ZipEntry* entry = &zip->entry;
    uint32_t count = CountInInput(input, zip->remaining);
    entry->dataCrc = Crc32Over(entry->dataCrc, input->bytes, count);
    SkipInput(input, count);
    zip->remaining -= count;
    if (zip->remaining > 0) {
        return;
    }
    entry->dataCompressedSize = entry->compressedSize;
    entry->dataSize = entry->size;
    if (entry->dataCrc != entry->crc) {
        FailEntry(zip, tally, CheckFailureCrc);
        return;
    }
    EndZipEntry(zip);
}

void ReadSkippedData(ZipCheck* zip, CheckInput* input) {
    SkipCounted(input, &zip->remaining);
    if (zip->remaining == 0) {
        EndZipEntry(zip);
    }
}

void ReadInflatedData(ZipCheck* zip, CheckInflater* inflater, CheckInput* input,
                      CheckTally* tally) {
    ZipEntry* entry = &zip->entry;
    bool descriptor = (entry->flags & FlagDescriptor) != 0;
    uint32_t count = descriptor ? input->count : CountInInput(input, zip->remaining);
    uint64_t sizeLimit = descriptor ? UINT64_MAX : entry->size;
    uint32_t used = 0;
    InflateStep step = InflateBytes(inflater, input->bytes, count, sizeLimit, &used,
                                    &entry->dataCrc, &entry->dataSize);
    SkipInput(input, used);
    entry->dataCompressedSize += used;
    zip->remaining -= descriptor ? 0 : used;
    if (step == InflateBroken) {
        FailEntry(zip, tally, CheckFailureInflate);
    } else if (entry->dataSize > sizeLimit) {
        FailEntry(zip, tally, CheckFailureSize);
    } else if (step == InflateGoesOn) {
        // The compressed size is used up and the stream goes on.
        if (!descriptor && zip->remaining == 0) {
            FailEntry(zip, tally, CheckFailureSize);
        }
    } else if (descriptor) {
        zip->have = 0;
        zip->step = ZipDescriptor;
    } else if (zip->remaining != 0 || entry->dataSize != entry->size) {
        FailEntry(zip, tally, CheckFailureSize);
    } else if (entry->dataCrc != entry->crc) {
        FailEntry(zip, tally, CheckFailureCrc);
    } else {
        EndZipEntry(zip);
    }
}

// APPNOTE 4.3.9: after the data, an optional signature, the CRC-32 and both sizes, of 8 bytes
// each when the local header has a ZIP64 field (4.3.9.2) or a size needs them.
void ReadDescriptor(ZipCheck* zip, CheckInput* input, CheckTally* tally) {
    ZipEntry* entry = &zip->entry;
    // Every descriptor is at least 12 bytes long, so 8 can be read before its form is known.
    if (!GatherField(zip->field, &zip->have, 8, input)) {
        return;
    }
    // A first word equal to the signature is the signature, unless the CRC-32 itself has that
    // value and the next word does not.
    bool signature = LoadLe32(zip->field) == ZipDescriptorSignature &&
                     (entry->dataCrc != ZipDescriptorSignature ||
                      LoadLe32(zip->field + 4) == ZipDescriptorSignature);
    bool wide =
        entry->zip64 || entry->dataCompressedSize >= 0xFFFFFFFFu || entry->dataSize >= 0xFFFFFFFFu;
    uint32_t length = (signature ? 4 : 0) + 4 + (wide ? 16 : 8);
    if (!GatherField(zip->field, &zip->have, length, input)) {
        return;
    }
    const uint8_t* fields = zip->field + (signature ? 4 : 0);
    uint32_t crc = LoadLe32(fields);
    uint64_t compressedSize = wide ? LoadLe64(fields + 4) : LoadLe32(fields + 4);
    uint64_t size = wide ? LoadLe64(fields + 12) : LoadLe32(fields + 8);
    if (compressedSize != entry->dataCompressedSize || size != entry->dataSize) {
        FailEntry(zip, tally, CheckFailureSize);
    } else if (crc != entry->dataCrc) {
        FailEntry(zip, tally, CheckFailureCrc);
    } else {
        EndZipEntry(zip);
    }
}

void ReadSigningBlock(ZipCheck* zip, CheckInput* input, CheckTally* tally) {
    if (zip->step == ZipSigningBlockSize) {
        if (!GatherField(zip->field, &zip->have, 8, input)) {
            return;
        }
        uint64_t size = LoadLe64(zip->field);
        uint64_t room = zip->fileSize > zip->recordAt + 8 ? zip->fileSize - zip->recordAt - 8 : 0;
        if (size < SigningBlockTailSize || size > room) {
            FailCheck(tally, CheckFailureStructure, zip->recordAt, 0);
            return;
        }
        zip->remaining = size - SigningBlockTailSize;
        zip->step = ZipSigningBlockBody;
    } else if (zip->step == ZipSigningBlockBody) {
        SkipCounted(input, &zip->remaining);
        if (zip->remaining == 0) {
            zip->have = 0;
            zip->step = ZipSigningBlockTail;
        }
    } else if (GatherField(zip->field + 8, &zip->have, SigningBlockTailSize, input)) {
        if (LoadLe64(zip->field + 8) != LoadLe64(zip->field) ||
            std::memcmp(zip->field + 16, SigningBlockMagic, 16) != 0) {
            FailCheck(tally, CheckFailureStructure, zip->recordAt, 0);
            return;
        }
        // The central directory follows it.
        zip->part = ZipPartDirectory;
        zip->have = 0;
        zip->step = ZipRecordSignature;
    }
}

} // namespace

uint64_t ZipNameHash(const uint8_t* name, uint32_t length) {
    // FNV-1a, 64 bits.
    uint64_t hash = 0xcbf29ce484222325u;
    for (uint32_t i = 0; i < length; ++i) {
        hash = (hash ^ name[i]) * 0x100000001b3u;
    }
    return hash;
}

uint64_t ZipEntryTerm(uint64_t offset, uint64_t compressedSize, uint64_t size, uint32_t crc,
                      uint64_t nameHash) {
    uint64_t term = Mix(offset + 0x9e3779b97f4a7c15u);
    term = Mix(term ^ compressedSize);
    term = Mix(term ^ size);
    term = Mix(term ^ crc);
    return Mix(term ^ nameHash);
}

bool ReadZip64Extra(const uint8_t* extra, uint32_t length, Zip64Fields* fields) {
    fields->present = false;
    // APPNOTE 4.5.1: each field is a 2-byte tag, a 2-byte size and its data; 4.5.3: tag 0x0001.
    uint32_t at = 0;
    while (length - at >= 4) {
        uint32_t size = LoadLe16(extra + at + 2);
        if (size > length - at - 4) {
            break;
        }
        if (LoadLe16(extra + at) == 0x0001) {
            fields->present = true;
            uint32_t read = 0;
            for (uint32_t i = 0; i < 3; ++i) {
                if (!fields->wanted[i]) {
                    continue;
                }
                if (size - read < 8) {
                    return false;
                }
                fields->value[i] = LoadLe64(extra + at + 4 + read);
                read += 8;
            }
            return true;
        }
        at += 4 + size;
    }
    return !fields->wanted[0] && !fields->wanted[1] && !fields->wanted[2];
}

void EndZipEntry(ZipCheck* zip) {
    const ZipEntry& entry = zip->entry;
    zip->entrySum += ZipEntryTerm(entry.offset, entry.dataCompressedSize, entry.dataSize,
                                  entry.dataCrc, entry.nameHash);
    if (zip->records.size() < ZipRecordCapacity) {
        zip->records.push_back({entry.offset, entry.dataCompressedSize, entry.dataSize,
                                entry.dataCrc, static_cast<uint32_t>(entry.nameHash)});
    }
    zip->have = 0;
    zip->step = ZipRecordSignature;
}

void StartZipCheck(ZipCheck* zip, uint64_t fileSize) {
    zip->fileSize = fileSize;
    zip->step = ZipRecordSignature;
    zip->part = ZipPartEntries;
    zip->recordAt = 0;
    zip->have = 0;
    zip->remaining = 0;
    zip->entry = ZipEntry();
    zip->entrySum = 0;
    zip->directory = ZipDirectory();
    zip->records.clear();
}

void FeedZipCheck(ZipCheck* zip, CheckInflater* inflater, CheckInput* input, CheckTally* tally) {
    while (input->count > 0 && !CheckFailedAlready(tally)) {
        switch (zip->step) {
        case ZipRecordSignature:
            ReadRecordSignature(zip, input, tally);
            break;
        case ZipLocalHeader:
            ReadLocalHeader(zip, input);
            break;
        case ZipLocalName:
            ReadLocalName(zip, input);
            break;
        case ZipLocalExtra:
            ReadLocalExtra(zip, inflater, input, tally);
            break;
        case ZipStoredData:
            ReadStoredData(zip, input, tally);
            break;
        case ZipSkippedData:
            ReadSkippedData(zip, input);
            break;
        case ZipInflatedData:
            ReadInflatedData(zip, inflater, input, tally);
            break;
        case ZipDescriptor:
            ReadDescriptor(zip, input, tally);
            break;
        case ZipScannedData:
            FeedZipScan(zip, input, tally);
            break;
        case ZipSigningBlockSize:
        case ZipSigningBlockBody:
        case ZipSigningBlockTail:
            ReadSigningBlock(zip, input, tally);
            break;
        case ZipDone:
            // APPNOTE 4.3.6: the end record and its comment close the archive, and a reader
            // finds them from the file's end.
            FailCheck(tally, CheckFailureStructure, input->offset, 0);
            break;
        default:
            FeedZipDirectory(zip, input, tally);
            break;
        }
    }
}

void FinishZipCheck(ZipCheck* zip, uint64_t size, CheckTally* tally) {
    if (zip->step != ZipDone) {
        FailCheck(tally, CheckFailureTruncated, size, InEntry(zip->step) ? tally->items : 0);
    }
}
