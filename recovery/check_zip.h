// The check of a ZIP archive (PKWARE APPNOTE.TXT 6.3) as it streams by: each local file header
// in order, each entry's data inflated or read to its CRC-32 and sizes, the data descriptors,
// then the central directory and the end records, which must match the entries seen.
#pragma once
#include <cstdint>
#include <vector>

#include "recovery/check_bytes.h"
#include "recovery/check_inflate.h"

enum ZipStep : uint8_t {
    ZipRecordSignature, // the four bytes that name the next record
    ZipLocalHeader,
    ZipLocalName,
    ZipLocalExtra,
    ZipStoredData,   // read to its CRC-32, its length known
    ZipSkippedData,  // encrypted or compressed by another method, its length known
    ZipInflatedData, // inflated to its end
    ZipDescriptor,   // the data descriptor after an entry whose length its header left open
    ZipScannedData,  // an entry whose length only its data descriptor tells
    ZipSigningBlockSize,
    ZipSigningBlockBody,
    ZipSigningBlockTail,
    ZipCentralHeader,
    ZipCentralName,
    ZipCentralExtra,
    ZipCentralComment,
    ZipDigitalSignature,
    ZipDigitalSignatureData,
    ZipEnd64Record,
    ZipEnd64Data,
    ZipEnd64Locator,
    ZipEndRecord,
    ZipEndComment,
    ZipDone,
};

// Where the walk stands among the archive's parts, which come in this order.
enum ZipPart : uint8_t {
    ZipPartEntries,
    ZipPartDirectory, // central directory headers, then a digital signature
    ZipPartEnd64,     // after the ZIP64 end of central directory record: its locator
    ZipPartEnd,       // after the locator: the end of central directory record
};

// The facts of an entry that the central directory repeats, compact.
struct ZipEntryRecord {
    uint64_t offset; // of the local header
    uint64_t compressedSize;
    uint64_t size;
    uint32_t crc;
    uint32_t nameHash; // the low half of the name's 64-bit hash
};
// Entries recorded one by one so that a central directory header that differs is named; past
// this many the sums alone compare the rest.
const uint32_t ZipRecordCapacity = 65536;

// The entry being walked, from its local header and then its data.
struct ZipEntry {
    uint64_t offset;
    uint64_t dataStart;
    uint64_t compressedSize; // from the header (ZIP64 extra field included)
    uint64_t size;
    uint32_t crc;
    uint16_t flags;
    uint16_t method;
    uint16_t nameLength;
    uint16_t extraLength;
    uint64_t nameHash;
    bool zip64;   // its local header has a ZIP64 extended information extra field
    bool checked; // its contents are read (stored or deflated, not encrypted)
    // What its data turned out to be.
    uint32_t dataCrc;
    uint64_t dataCompressedSize;
    uint64_t dataSize;
};

// The search for the end of an entry whose length its header leaves open and that no inflater
// can end: the first place where a data descriptor that fits the bytes before it is followed by
// the signature of the next record.
struct ZipScan {
    uint64_t nextSignature; // the first place not yet looked at for a signature
    uint64_t crcEnd;        // entry.dataCrc covers the data up to here
    uint64_t carryStart;    // the data bytes just before the input, kept for a descriptor
    uint32_t carryCount;
    uint8_t carry[28];
};

// The central directory as it is read.
struct ZipDirectory {
    uint64_t start; // of its first header, or of what came in its place
    uint64_t headers;
    uint64_t bytes;    // its headers and digital signature
    uint64_t sum;      // of the entries' facts, as the central directory gives them
    uint64_t nameHash; // of the name of the header being read
    uint64_t end64At;
    uint64_t end64Entries;
    uint64_t end64Size;
    uint64_t end64Offset;
    bool started;   // its first record came
    bool signature; // its digital signature came
    bool end64;
};

struct ZipCheck {
    uint64_t fileSize; // so that a length past the file's end is refused where it is read
    ZipStep step;
    ZipPart part;
    uint64_t recordAt; // where the record being read begins
    uint32_t have;     // bytes gathered into field
    uint64_t remaining;
    ZipEntry entry;
    ZipScan scan;
    uint64_t entrySum; // of the entries' facts, as their local headers and data give them
    ZipDirectory directory;
    std::vector<ZipEntryRecord> records;
    // The central directory header being read, its fixed part in fixedHeader.
    uint8_t fixedHeader[64];
    // A name or an extra field, of at most 65,535 bytes.
    uint8_t field[65536];
};

void StartZipCheck(ZipCheck* zip, uint64_t fileSize);
void FeedZipCheck(ZipCheck* zip, CheckInflater* inflater, CheckInput* input, CheckTally* tally);
void FinishZipCheck(ZipCheck* zip, uint64_t size, CheckTally* tally);

// Shared by the parts of the ZIP check.
const uint32_t ZipLocalSignature = 0x04034b50;            // APPNOTE 4.3.7
const uint32_t ZipDescriptorSignature = 0x08074b50;       // APPNOTE 4.3.9.3
const uint32_t ZipCentralSignature = 0x02014b50;          // APPNOTE 4.3.12
const uint32_t ZipDigitalSignatureSignature = 0x05054b50; // APPNOTE 4.3.13
const uint32_t ZipEnd64Signature = 0x06064b50;            // APPNOTE 4.3.14
const uint32_t ZipEnd64LocatorSignature = 0x07064b50;     // APPNOTE 4.3.15
const uint32_t ZipEndSignature = 0x06054b50;              // APPNOTE 4.3.16

// The sum's term for one entry: its offset, sizes, CRC-32 and name mixed into 64 bits, so that
// the sums of the two sides match whatever order the central directory lists them in.
uint64_t ZipEntryTerm(uint64_t offset, uint64_t compressedSize, uint64_t size, uint32_t crc,
                      uint64_t nameHash);
uint64_t ZipNameHash(const uint8_t* name, uint32_t length);
// The values of a ZIP64 extended information extra field (APPNOTE 4.5.3), in its order: each is
// there only when its 32-bit field in the header holds 0xFFFFFFFF.
struct Zip64Fields {
    bool wanted[3]; // the size, the compressed size, the local header's offset
    uint64_t value[3];
    bool present; // the extra field holds a ZIP64 field at all
};
// Reads the wanted values from an extra field. Fields of other kinds are passed over, and so are
// bytes that form no field (the padding that aligns an entry's data). False when a wanted value
// is missing.
bool ReadZip64Extra(const uint8_t* extra, uint32_t length, Zip64Fields* fields);

// The central directory and end records, from the signature of the first of them on.
void BeginZipDirectoryRecord(ZipCheck* zip, uint32_t signature, CheckTally* tally);
void FeedZipDirectory(ZipCheck* zip, CheckInput* input, CheckTally* tally);
// The search for an entry's end by its data descriptor.
void BeginZipScan(ZipCheck* zip);
void FeedZipScan(ZipCheck* zip, CheckInput* input, CheckTally* tally);
// Where an entry's data has ended: its facts recorded, the next record awaited.
void EndZipEntry(ZipCheck* zip);
