// The JPEG check: see recovery/check_jpeg.h. Bytes after EOI are let be: a decoder stops at EOI
// (T.81 B.2.1), and cameras and phones append data there (a second image, a video clip), which
// says nothing of this image.
#include "recovery/check_jpeg.h"

#include <cstring>

namespace {

// T.81 Table B.1: the marker codes.
const uint8_t CodeTem = 0x01;
const uint8_t CodeRst0 = 0xd0;
const uint8_t CodeRst7 = 0xd7;
const uint8_t CodeSoi = 0xd8;
const uint8_t CodeEoi = 0xd9;
const uint8_t CodeSos = 0xda;
const uint8_t CodeDri = 0xdd;
// B.1.1.2: 0xFF is the first byte of a marker, and a fill byte before one.
const uint8_t MarkerByte = 0xff;
// The frame header's first fields (B.2.2: P, Y, X, Nf) are the most looked at in a segment.
const uint32_t LongestHead = 6;

// B.1.1.3 and Table B.1: SOF0 to SOF15 but for DHT (C4), JPG (C8) and DAC (CC).
bool IsFrameHeader(uint8_t code) {
    return code >= 0xc0 && code <= 0xcf && code != 0xc4 && code != 0xc8 && code != 0xcc;
}

void FailSegment(JpegCheck* jpeg, CheckTally* tally, CheckFailure failure) {
    FailCheck(tally, failure, jpeg->markerAt, tally->items);
}

// A marker's code, wherever it comes: EOI ends the image, TEM stands alone, and a code that no
// segment has (Table B.1's reserved codes, RST outside a scan, a second SOI) fails.
void TakeMarker(JpegCheck* jpeg, uint8_t code, CheckTally* tally) {
    if (code == CodeEoi) {
        jpeg->step = JpegDone;
    } else if (code == CodeTem) {
        ++tally->items;
        jpeg->step = JpegMarker;
    } else if (code < 0xc0 || code == CodeSoi || (code >= CodeRst0 && code <= CodeRst7) ||
               code == MarkerByte) {
        FailCheck(tally, CheckFailureStructure, jpeg->markerAt, 0);
    } else {
        ++tally->items;
        jpeg->code = code;
        jpeg->have = 0;
        jpeg->step = JpegLength;
    }
}

// The lengths the frame header (B.2.2: Lf = 8 + 3 Nf), the scan header (B.2.3: Ls = 6 + 2 Ns,
// Ns 1 to 4, after a frame header) and the restart interval (B.2.4.4: Lr = 4) must have.
bool SegmentHeadFits(JpegCheck* jpeg, uint32_t length) {
    const uint8_t* head = jpeg->field;
    if (IsFrameHeader(jpeg->code)) {
        jpeg->frame = true;
        return jpeg->headLength == LongestHead && head[5] != 0 && length == 8u + 3u * head[5];
    }
    if (jpeg->code == CodeSos) {
        return jpeg->frame && jpeg->headLength >= 1 && head[0] >= 1 && head[0] <= 4 &&
               length == 6u + 2u * head[0];
    }
    return jpeg->code != CodeDri || length == 4;
}

void ReadLength(JpegCheck* jpeg, CheckInput* input, CheckTally* tally) {
    if (!GatherField(jpeg->field, &jpeg->have, 2, input)) {
        return;
    }
    // B.1.1.4: the length counts itself.
    uint32_t length = LoadBe16(jpeg->field);
    if (length < 2) {
        FailSegment(jpeg, tally, CheckFailureStructure);
        return;
    }
    jpeg->remaining = length - 2;
    jpeg->headLength = jpeg->remaining < LongestHead ? length - 2 : LongestHead;
    jpeg->have = 0;
    jpeg->step = JpegSegmentHead;
}

void EndSegment(JpegCheck* jpeg) {
    jpeg->step = jpeg->code == CodeSos ? JpegScan : JpegMarker;
}

void ReadSegmentHead(JpegCheck* jpeg, CheckInput* input, CheckTally* tally) {
    if (!GatherField(jpeg->field, &jpeg->have, jpeg->headLength, input)) {
        return;
    }
    if (!SegmentHeadFits(jpeg, static_cast<uint32_t>(jpeg->remaining + 2))) {
        FailSegment(jpeg, tally, CheckFailureStructure);
        return;
    }
    jpeg->remaining -= jpeg->headLength;
    jpeg->step = JpegSegmentRest;
    if (jpeg->remaining == 0) {
        EndSegment(jpeg);
    }
}

// B.1.1.5 and B.2.1: in entropy-coded data, 0xFF is followed by 0 (a stuffed byte), by RSTn,
// by a fill byte, or by the marker that ends the scan.
void ReadScan(JpegCheck* jpeg, CheckInput* input, CheckTally* tally) {
    if (jpeg->step == JpegScan) {
        const void* found = std::memchr(input->bytes, MarkerByte, input->count);
        if (found == nullptr) {
            SkipInput(input, input->count);
            return;
        }
        uint32_t before = static_cast<uint32_t>(static_cast<const uint8_t*>(found) - input->bytes);
        jpeg->markerAt = input->offset + before;
        SkipInput(input, before + 1);
        jpeg->step = JpegScanMarker;
        return;
    }
    uint8_t code = input->bytes[0];
    SkipInput(input, 1);
    if (code == 0 || (code >= CodeRst0 && code <= CodeRst7)) {
        jpeg->step = JpegScan;
    } else if (code != MarkerByte) {
        TakeMarker(jpeg, code, tally);
    }
}

} // namespace

void StartJpegCheck(JpegCheck* jpeg) {
    std::memset(jpeg, 0, sizeof *jpeg);
    jpeg->step = JpegStart;
}

void FeedJpegCheck(JpegCheck* jpeg, CheckInput* input, CheckTally* tally) {
    while (input->count > 0 && !CheckFailedAlready(tally)) {
        switch (jpeg->step) {
        case JpegStart:
            if (GatherField(jpeg->field, &jpeg->have, 2, input)) {
                if (jpeg->field[0] != MarkerByte || jpeg->field[1] != CodeSoi) {
                    FailCheck(tally, CheckFailureSignature, 0, 0);
                    return;
                }
                jpeg->step = JpegMarker;
            }
            break;
        case JpegMarker:
            if (input->bytes[0] != MarkerByte) {
                FailCheck(tally, CheckFailureStructure, input->offset, 0);
                return;
            }
            jpeg->markerAt = input->offset;
            SkipInput(input, 1);
            jpeg->step = JpegMarkerCode;
            break;
        case JpegMarkerCode: {
            uint8_t code = input->bytes[0];
            SkipInput(input, 1);
            if (code != MarkerByte) {
                TakeMarker(jpeg, code, tally);
            }
            break;
        }
        case JpegLength:
            ReadLength(jpeg, input, tally);
            if (jpeg->step == JpegSegmentHead && jpeg->headLength == 0) {
                ReadSegmentHead(jpeg, input, tally);
            }
            break;
        case JpegSegmentHead:
            ReadSegmentHead(jpeg, input, tally);
            break;
        case JpegSegmentRest:
            SkipCounted(input, &jpeg->remaining);
            if (jpeg->remaining == 0) {
                EndSegment(jpeg);
            }
            break;
        case JpegScan:
        case JpegScanMarker:
            ReadScan(jpeg, input, tally);
            break;
        case JpegDone:
            SkipInput(input, input->count);
            break;
        }
    }
}

void FinishJpegCheck(JpegCheck* jpeg, uint64_t size, CheckTally* tally) {
    switch (jpeg->step) {
    case JpegDone:
        break;
    case JpegMarker:
    case JpegScan:
    case JpegScanMarker:
        FailCheck(tally, CheckFailureEnd, size, 0);
        break;
    case JpegLength:
    case JpegSegmentHead:
    case JpegSegmentRest:
        FailCheck(tally, CheckFailureTruncated, size, tally->items);
        break;
    default:
        FailCheck(tally, CheckFailureTruncated, size, 0);
        break;
    }
}
