// The ZIP check's central directory and end records (APPNOTE 4.3.12 to 4.3.16): each central
// directory header must repeat an entry seen (its offset, name, CRC-32 and sizes), and the end
// records must give the directory's place, size and count as they were found, with one header
// for every entry.
#include "recovery/check_zip.h"

#include <algorithm>

namespace {

// The fixed parts of the records, their signatures included.
const uint32_t CentralHeaderSize = 46;    // APPNOTE 4.3.12
const uint32_t DigitalSignatureSize = 6;  // APPNOTE 4.3.13
const uint32_t End64RecordSize = 56;      // APPNOTE 4.3.14
const uint32_t End64RecordFixedRest = 44; // 4.3.14.1: the size counts what follows that field
const uint32_t End64LocatorSize = 20;     // APPNOTE 4.3.15
const uint32_t EndRecordSize = 22;        // APPNOTE 4.3.16

void FailRecord(ZipCheck* zip, CheckTally* tally, CheckFailure failure) {
    FailCheck(tally, failure, zip->recordAt, 0);
}

void BeginDirectory(ZipCheck* zip) {
    if (!zip->directory.started) {
        zip->directory.started = true;
        zip->directory.start = zip->recordAt;
    }
}

void NextRecord(ZipCheck* zip) {
    zip->have = 0;
    zip->step = ZipRecordSignature;
}

// The entry recorded at a local header's offset, or null.
const ZipEntryRecord* RecordAt(const ZipCheck* zip, uint64_t offset) {
    auto found = std::lower_bound(
        zip->records.begin(), zip->records.end(), offset,
        [](const ZipEntryRecord& record, uint64_t at) { return record.offset < at; });
    return found != zip->records.end() && found->offset == offset ? &*found : nullptr;
}

void CompareCentralHeader(ZipCheck* zip, CheckTally* tally) {
    const uint8_t* header = zip->fixedHeader;
    uint16_t nameLength = LoadLe16(header + 28);
    uint16_t extraLength = LoadLe16(header + 30);
    uint16_t disk = LoadLe16(header + 34);
    Zip64Fields zip64 = {};
    uint64_t size = LoadLe32(header + 24);
    uint64_t compressedSize = LoadLe32(header + 20);
    uint64_t offset = LoadLe32(header + 42);
    zip64.wanted[0] = size == 0xFFFFFFFFu;
    zip64.wanted[1] = compressedSize == 0xFFFFFFFFu;
    zip64.wanted[2] = offset == 0xFFFFFFFFu;
    // A one-disk archive: its entries all begin on disk 0 (or say so in the ZIP64 field).
    if (!ReadZip64Extra(zip->field, extraLength, &zip64) || (disk != 0 && disk != 0xFFFF)) {
        FailRecord(zip, tally, CheckFailureStructure);
        return;
    }
    size = zip64.wanted[0] ? zip64.value[0] : size;
    compressedSize = zip64.wanted[1] ? zip64.value[1] : compressedSize;
    offset = zip64.wanted[2] ? zip64.value[2] : offset;
    uint32_t crc = LoadLe32(header + 16);
    uint64_t nameHash = zip->directory.nameHash;
    zip->directory.sum += ZipEntryTerm(offset, compressedSize, size, crc, nameHash);
    ++zip->directory.headers;
    zip->directory.bytes += CentralHeaderSize + nameLength + extraLength + LoadLe16(header + 32);
    // An offset past the entries recorded is left to the sums.
    bool recorded = zip->records.size() < ZipRecordCapacity ||
                    (!zip->records.empty() && offset <= zip->records.back().offset);
    const ZipEntryRecord* record = RecordAt(zip, offset);
    if (record == nullptr
            ? recorded
            : record->compressedSize != compressedSize || record->size != size ||
                  record->crc != crc || record->nameHash != static_cast<uint32_t>(nameHash)) {
        FailRecord(zip, tally, CheckFailureDirectory);
    }
}

void ReadCentralHeader(ZipCheck* zip, CheckInput* input, CheckTally* tally) {
    const uint8_t* header = zip->fixedHeader;
    switch (zip->step) {
    case ZipCentralHeader:
        if (GatherField(zip->field, &zip->have, CentralHeaderSize, input)) {
            std::copy(zip->field, zip->field + CentralHeaderSize, zip->fixedHeader);
            zip->have = 0;
            zip->step = ZipCentralName;
        }
        break;
    case ZipCentralName:
        if (GatherField(zip->field, &zip->have, LoadLe16(header + 28), input)) {
            zip->directory.nameHash = ZipNameHash(zip->field, LoadLe16(header + 28));
            zip->have = 0;
            zip->step = ZipCentralExtra;
        }
        break;
    case ZipCentralExtra:
        if (GatherField(zip->field, &zip->have, LoadLe16(header + 30), input)) {
            CompareCentralHeader(zip, tally);
            zip->remaining = LoadLe16(header + 32);
            zip->step = ZipCentralComment;
        }
        break;
    default:
        SkipCounted(input, &zip->remaining);
        if (zip->remaining == 0) {
            NextRecord(zip);
        }
        break;
    }
}

void ReadDigitalSignature(ZipCheck* zip, CheckInput* input) {
    if (zip->step == ZipDigitalSignature) {
        if (GatherField(zip->field, &zip->have, DigitalSignatureSize, input)) {
            zip->remaining = LoadLe16(zip->field + 4);
            zip->directory.bytes += DigitalSignatureSize + zip->remaining;
            zip->step = ZipDigitalSignatureData;
        }
        return;
    }
    SkipCounted(input, &zip->remaining);
    if (zip->remaining == 0) {
        NextRecord(zip);
    }
}

void ReadEnd64Record(ZipCheck* zip, CheckInput* input, CheckTally* tally) {
    if (zip->step == ZipEnd64Data) {
        SkipCounted(input, &zip->remaining);
        if (zip->remaining == 0) {
            NextRecord(zip);
        }
        return;
    }
    if (!GatherField(zip->field, &zip->have, End64RecordSize, input)) {
        return;
    }
    const uint8_t* record = zip->field;
    uint64_t recordSize = LoadLe64(record + 4);
    if (recordSize < End64RecordFixedRest || LoadLe32(record + 16) != 0 ||
        LoadLe32(record + 20) != 0) {
        FailRecord(zip, tally, CheckFailureStructure);
        return;
    }
    ZipDirectory* directory = &zip->directory;
    directory->end64 = true;
    directory->end64At = zip->recordAt;
    directory->end64Entries = LoadLe64(record + 32);
    directory->end64Size = LoadLe64(record + 40);
    directory->end64Offset = LoadLe64(record + 48);
    // Its entries on this disk (offset 24) are all the entries of a one-disk archive.
    if (LoadLe64(record + 24) != directory->end64Entries) {
        FailRecord(zip, tally, CheckFailureDirectory);
        return;
    }
    zip->remaining = recordSize - End64RecordFixedRest;
    zip->step = ZipEnd64Data;
    if (zip->remaining == 0) {
        NextRecord(zip);
    }
}

void ReadEnd64Locator(ZipCheck* zip, CheckInput* input, CheckTally* tally) {
    if (!GatherField(zip->field, &zip->have, End64LocatorSize, input)) {
        return;
    }
    const uint8_t* locator = zip->field;
    if (LoadLe32(locator + 4) != 0 || LoadLe32(locator + 16) > 1) {
        FailRecord(zip, tally, CheckFailureStructure);
    } else if (LoadLe64(locator + 8) != zip->directory.end64At) {
        FailRecord(zip, tally, CheckFailureDirectory);
    } else {
        NextRecord(zip);
    }
}

// A 16- or 32-bit value of the end record, or the ZIP64 record's when it is escaped.
uint64_t EndValue(const ZipDirectory* directory, uint64_t value, uint64_t escape,
                  uint64_t value64) {
    return value == escape && directory->end64 ? value64 : value;
}

void ReadEndRecord(ZipCheck* zip, CheckInput* input, CheckTally* tally) {
    if (zip->step == ZipEndComment) {
        SkipCounted(input, &zip->remaining);
        if (zip->remaining == 0) {
            zip->step = ZipDone;
        }
        return;
    }
    if (!GatherField(zip->field, &zip->have, EndRecordSize, input)) {
        return;
    }
    const uint8_t* record = zip->field;
    const ZipDirectory* directory = &zip->directory;
    uint64_t disk = EndValue(directory, LoadLe16(record + 4), 0xFFFF, 0);
    uint64_t directoryDisk = EndValue(directory, LoadLe16(record + 6), 0xFFFF, 0);
    uint64_t entriesHere =
        EndValue(directory, LoadLe16(record + 8), 0xFFFF, directory->end64Entries);
    uint64_t entries = EndValue(directory, LoadLe16(record + 10), 0xFFFF, directory->end64Entries);
    uint64_t size = EndValue(directory, LoadLe32(record + 12), 0xFFFFFFFFu, directory->end64Size);
    uint64_t offset =
        EndValue(directory, LoadLe32(record + 16), 0xFFFFFFFFu, directory->end64Offset);
    bool end64Agrees = !directory->end64 || (directory->end64Entries == directory->headers &&
                                             directory->end64Size == directory->bytes &&
                                             directory->end64Offset == directory->start);
    if (disk != 0 || directoryDisk != 0) {
        FailRecord(zip, tally, CheckFailureStructure);
        return;
    }
    if (entriesHere != directory->headers || entries != directory->headers ||
        size != directory->bytes || offset != directory->start || !end64Agrees) {
        FailRecord(zip, tally, CheckFailureDirectory);
        return;
    }
    // One header for every entry, and the same facts on both sides, in any order.
    if (directory->headers != tally->items || directory->sum != zip->entrySum) {
        FailCheck(tally, CheckFailureDirectory, directory->start, 0);
        return;
    }
    zip->remaining = LoadLe16(record + 20);
    zip->step = zip->remaining == 0 ? ZipDone : ZipEndComment;
}

} // namespace

void BeginZipDirectoryRecord(ZipCheck* zip, uint32_t signature, CheckTally* tally) {
    ZipPart part = zip->part;
    bool beforeEnd64 = part == ZipPartEntries || part == ZipPartDirectory;
    if (signature == ZipCentralSignature && beforeEnd64 && !zip->directory.signature) {
        BeginDirectory(zip);
        zip->part = ZipPartDirectory;
        zip->step = ZipCentralHeader;
    } else if (signature == ZipDigitalSignatureSignature && beforeEnd64 &&
               !zip->directory.signature) {
        BeginDirectory(zip);
        zip->directory.signature = true;
        zip->part = ZipPartDirectory;
        zip->step = ZipDigitalSignature;
    } else if (signature == ZipEnd64Signature && beforeEnd64) {
        BeginDirectory(zip);
        zip->part = ZipPartEnd64;
        zip->step = ZipEnd64Record;
    } else if (signature == ZipEnd64LocatorSignature && part == ZipPartEnd64) {
        zip->part = ZipPartEnd;
        zip->step = ZipEnd64Locator;
    } else if (signature == ZipEndSignature && part != ZipPartEnd64) {
        BeginDirectory(zip);
        zip->part = ZipPartEnd;
        zip->step = ZipEndRecord;
    } else {
        FailRecord(zip, tally, CheckFailureStructure);
    }
}

void FeedZipDirectory(ZipCheck* zip, CheckInput* input, CheckTally* tally) {
    switch (zip->step) {
    case ZipCentralHeader:
    case ZipCentralName:
    case ZipCentralExtra:
    case ZipCentralComment:
        ReadCentralHeader(zip, input, tally);
        break;
    case ZipDigitalSignature:
    case ZipDigitalSignatureData:
        ReadDigitalSignature(zip, input);
        break;
    case ZipEnd64Record:
    case ZipEnd64Data:
        ReadEnd64Record(zip, input, tally);
        break;
    case ZipEnd64Locator:
        ReadEnd64Locator(zip, input, tally);
        break;
    default:
        ReadEndRecord(zip, input, tally);
        break;
    }
}
