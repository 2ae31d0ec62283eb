// The check of a PDF file (ISO 32000-1:2008) by its two ends: the header, and the file trailer
// (7.5.5): "startxref", the offset of the last cross-reference section, and "%%EOF" within the
// last 1024 bytes, as readers look for it. The offset is read back from the file written: it
// must lead to the keyword "xref" (7.5.4) or to a cross-reference stream, an indirect object
// whose dictionary has /Type /XRef (7.5.8).
#pragma once
#include <cstdint>

#include "recovery/check_bytes.h"

// Readers look for %%EOF this far from the end.
const uint32_t PdfTailSize = 1024;

struct PdfCheck {
    uint32_t have;
    uint8_t head[8];
    // The file's last bytes, a ring once the file is longer.
    uint8_t tail[PdfTailSize];
    uint32_t tailAt; // where the next byte goes
    uint64_t seen;
};

void StartPdfCheck(PdfCheck* pdf);
void FeedPdfCheck(PdfCheck* pdf, CheckInput* input, CheckTally* tally);
void FinishPdfCheck(PdfCheck* pdf, uint64_t size, const CheckReadBack* readBack, CheckTally* tally);
