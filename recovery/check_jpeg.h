// The check of a JPEG image (ITU-T T.81, Annex B) as it streams by: SOI, the chain of marker
// segments by their lengths, the frame and scan headers' lengths, the entropy-coded data after
// each SOS with its stuffed bytes and restart markers, several scans, and EOI.
#pragma once
#include <cstdint>

#include "recovery/check_bytes.h"

enum JpegStep : uint8_t {
    JpegStart,
    JpegMarker,     // a marker's 0xFF is due
    JpegMarkerCode, // after 0xFF: fill bytes or the marker's code
    JpegLength,
    JpegSegmentHead,
    JpegSegmentRest,
    JpegScan,       // entropy-coded data
    JpegScanMarker, // after 0xFF in entropy-coded data
    JpegDone,
};

struct JpegCheck {
    JpegStep step;
    uint8_t code; // of the segment being read
    bool frame;   // a frame header came
    uint32_t have;
    uint8_t field[8];
    uint32_t headLength;
    uint64_t markerAt;
    uint64_t remaining;
};

void StartJpegCheck(JpegCheck* jpeg);
void FeedJpegCheck(JpegCheck* jpeg, CheckInput* input, CheckTally* tally);
void FinishJpegCheck(JpegCheck* jpeg, uint64_t size, CheckTally* tally);
