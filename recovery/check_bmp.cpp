// The bitmap check: see recovery/check_bmp.h. The headers are read as they stream by; the sizes
// are compared with the file's once its size is known.
#include "recovery/check_bmp.h"

namespace {

// Microsoft Windows SDK, BITMAPFILEHEADER: bfType "BM", bfSize, two reserved words, bfOffBits.
const uint32_t FileHeaderSize = 14;
// The bitmap header's size, which tells its kind, then as much of it as the check reads: the
// BITMAPINFOHEADER's fields up to biCompression.
const uint32_t HeadRead = FileHeaderSize + 20;
// BITMAPCOREHEADER (12 bytes) has 16-bit width and height and no compression.
const uint32_t CoreHeaderSize = 12;

// The bitmap header sizes in use: BITMAPCOREHEADER (12), OS/2 2.x's (16 and 64),
// BITMAPINFOHEADER (40), its Adobe extensions (52, 56), BITMAPV4HEADER (108), BITMAPV5HEADER
// (124).
bool IsHeaderSize(uint32_t size) {
    return size == 12 || size == 16 || size == 40 || size == 52 || size == 56 || size == 64 ||
           size == 108 || size == 124;
}

// [MS-WMF] 2.1.1.7 Compression: BI_RGB (0), BI_RLE8 (1, 8 bits), BI_RLE4 (2, 4 bits),
// BI_BITFIELDS (3), BI_JPEG (4) and BI_PNG (5, with 0 bits per pixel), BI_ALPHABITFIELDS (6)
// and the CMYK forms (11 to 13); BITMAPINFOHEADER: 1, 4, 8, 16, 24 or 32 bits per pixel.
bool BitsFit(uint32_t compression, uint32_t bits) {
    bool known = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    switch (compression) {
    case 1:
    case 12:
        return bits == 8;
    case 2:
    case 13:
        return bits == 4;
    case 4:
    case 5:
        return bits == 0 || known;
    case 0:
    case 3:
    case 6:
    case 11:
        return known;
    default:
        return false;
    }
}

bool IsUncompressed(uint32_t compression) {
    return compression == 0 || compression == 3 || compression == 6 || compression == 11;
}

} // namespace

void StartBmpCheck(BmpCheck* bmp) {
    bmp->have = 0;
    bmp->want = FileHeaderSize + 4;
}

void FeedBmpCheck(BmpCheck* bmp, CheckInput* input, CheckTally* tally) {
    if (!GatherField(bmp->field, &bmp->have, bmp->want, input)) {
        return;
    }
    if (bmp->want == FileHeaderSize + 4) {
        if (bmp->field[0] != 'B' || bmp->field[1] != 'M') {
            FailCheck(tally, CheckFailureSignature, 0, 0);
            return;
        }
        uint32_t headerSize = LoadLe32(bmp->field + FileHeaderSize);
        if (!IsHeaderSize(headerSize)) {
            FailCheck(tally, CheckFailureStructure, FileHeaderSize, 0);
            return;
        }
        bmp->want =
            FileHeaderSize +
            (headerSize < HeadRead - FileHeaderSize ? headerSize : HeadRead - FileHeaderSize);
        GatherField(bmp->field, &bmp->have, bmp->want, input);
    }
    // The rest of the file is the bitmap's tables and pixels, not looked at.
    SkipInput(input, input->count);
}

void FinishBmpCheck(BmpCheck* bmp, uint64_t size, CheckTally* tally) {
    if (bmp->have < bmp->want) {
        FailCheck(tally, CheckFailureTruncated, size, 0);
        return;
    }
    const uint8_t* header = bmp->field;
    uint32_t headerSize = LoadLe32(header + FileHeaderSize);
    uint64_t pixelsAt = LoadLe32(header + 10);
    bool core = headerSize == CoreHeaderSize;
    int64_t width = core ? LoadLe16(header + 18) : static_cast<int32_t>(LoadLe32(header + 18));
    int64_t height = core ? LoadLe16(header + 20) : static_cast<int32_t>(LoadLe32(header + 22));
    uint32_t planes = LoadLe16(header + (core ? 22 : 26));
    uint32_t bits = LoadLe16(header + (core ? 24 : 28));
    // OS/2's 16-byte header ends before the compression field.
    uint32_t compression = headerSize >= 20 ? LoadLe32(header + 30) : 0;
    // A negative height is a top-down bitmap.
    uint64_t rows = static_cast<uint64_t>(height < 0 ? -height : height);
    bool structureFits = LoadLe16(header + 6) == 0 && LoadLe16(header + 8) == 0 && planes == 1 &&
                         BitsFit(compression, bits) && (!core || compression == 0) &&
                         pixelsAt >= FileHeaderSize + headerSize && pixelsAt <= size && width > 0 &&
                         rows > 0;
    if (!structureFits) {
        FailCheck(tally, CheckFailureStructure, 0, 0);
        return;
    }
    // BITMAPINFOHEADER: each row is padded to a multiple of 4 bytes.
    uint64_t rowSize = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    if (IsUncompressed(compression) && rows > (size - pixelsAt) / rowSize) {
        FailCheck(tally, CheckFailureSize, pixelsAt, 0);
    } else if (LoadLe32(header + 2) != size) {
        FailCheck(tally, CheckFailureSize, 2, 0);
    }
}
