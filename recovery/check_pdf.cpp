// The PDF check: see recovery/check_pdf.h.
#include "recovery/check_pdf.h"

#include <cstring>

namespace {

// 7.5.2: "%PDF-" and the version open the file.
const char Header[] = "%PDF-";
const uint32_t HeaderLength = sizeof Header - 1;
// What is read back at the cross-reference's offset: its keyword, or an object's dictionary up
// to /Type /XRef.
const uint32_t ReadBackSize = 2048;
// startxref's offset: at most this many digits.
const uint32_t LongestOffset = 20;

// 7.2.2 Table 1: the white-space characters.
bool IsWhiteSpace(uint8_t c) {
    return c == 0 || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ';
}

// 7.2.2 Table 2: the delimiters; a regular character is neither.
bool IsDelimiter(uint8_t c) {
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' ||
           c == '}' || c == '/' || c == '%';
}

bool IsRegular(uint8_t c) {
    return !IsWhiteSpace(c) && !IsDelimiter(c);
}

bool IsDigit(uint8_t c) {
    return c >= '0' && c <= '9';
}

bool HasWord(const uint8_t* bytes, uint32_t count, uint32_t at, const char* word) {
    uint32_t length = static_cast<uint32_t>(std::strlen(word));
    return length <= count - at && std::memcmp(bytes + at, word, length) == 0;
}

uint32_t SkipWhiteSpace(const uint8_t* bytes, uint32_t count, uint32_t at) {
    while (at < count && IsWhiteSpace(bytes[at])) {
        ++at;
    }
    return at;
}

// A run of digits at `at`, then white space; false when there is none.
bool SkipNumber(const uint8_t* bytes, uint32_t count, uint32_t* at) {
    uint32_t start = *at;
    while (*at < count && IsDigit(bytes[*at])) {
        ++*at;
    }
    uint32_t end = *at;
    *at = SkipWhiteSpace(bytes, count, *at);
    return end > start && *at > end;
}

// 7.5.4: "xref" opens a cross-reference table; 7.3.10 and 7.5.8.2: "N G obj" opens an indirect
// object, and a cross-reference stream's dictionary holds /Type /XRef before its "stream".
bool IsCrossReference(const uint8_t* bytes, uint32_t count) {
    uint32_t at = SkipWhiteSpace(bytes, count, 0);
    if (HasWord(bytes, count, at, "xref") && (at + 4 == count || !IsRegular(bytes[at + 4]))) {
        return true;
    }
    if (!SkipNumber(bytes, count, &at) || !SkipNumber(bytes, count, &at) ||
        !HasWord(bytes, count, at, "obj")) {
        return false;
    }
    for (at += 3; at < count && !HasWord(bytes, count, at, "stream"); ++at) {
        if (!HasWord(bytes, count, at, "/Type")) {
            continue;
        }
        uint32_t value = SkipWhiteSpace(bytes, count, at + 5);
        if (HasWord(bytes, count, value, "/XRef") &&
            (value + 5 == count || !IsRegular(bytes[value + 5]))) {
            return true;
        }
    }
    return false;
}

} // namespace

void StartPdfCheck(PdfCheck* pdf) {
    pdf->have = 0;
    pdf->tailAt = 0;
    pdf->seen = 0;
}

void FeedPdfCheck(PdfCheck* pdf, CheckInput* input, CheckTally* tally) {
    if (pdf->have < HeaderLength) {
        CheckInput head = *input;
        if (GatherField(pdf->head, &pdf->have, HeaderLength, &head) &&
            std::memcmp(pdf->head, Header, HeaderLength) != 0) {
            FailCheck(tally, CheckFailureSignature, 0, 0);
            return;
        }
    }
    // Only the last PdfTailSize bytes stay.
    const uint8_t* bytes = input->bytes;
    uint32_t count = input->count;
    if (count >= PdfTailSize) {
        std::memcpy(pdf->tail, bytes + count - PdfTailSize, PdfTailSize);
        pdf->tailAt = 0;
    } else {
        uint32_t first = PdfTailSize - pdf->tailAt < count ? PdfTailSize - pdf->tailAt : count;
        std::memcpy(pdf->tail + pdf->tailAt, bytes, first);
        std::memcpy(pdf->tail, bytes + first, count - first);
        pdf->tailAt = (pdf->tailAt + count) % PdfTailSize;
    }
    pdf->seen += count;
    SkipInput(input, count);
}

void FinishPdfCheck(PdfCheck* pdf, uint64_t size, const CheckReadBack* readBack,
                    CheckTally* tally) {
    if (pdf->have < HeaderLength) {
        FailCheck(tally, CheckFailureTruncated, size, 0);
        return;
    }
    // The tail in file order.
    uint8_t tail[PdfTailSize];
    uint32_t count = pdf->seen < PdfTailSize ? static_cast<uint32_t>(pdf->seen) : PdfTailSize;
    uint32_t start = pdf->seen < PdfTailSize ? 0 : pdf->tailAt;
    for (uint32_t i = 0; i < count; ++i) {
        tail[i] = pdf->tail[(start + i) % PdfTailSize];
    }
    uint64_t tailAt = size - count;
    // "%%EOF", with only white space after it.
    uint32_t end = count;
    while (end > 0 && IsWhiteSpace(tail[end - 1])) {
        --end;
    }
    if (end < 5 || std::memcmp(tail + end - 5, "%%EOF", 5) != 0) {
        FailCheck(tally, CheckFailureEnd, size, 0);
        return;
    }
    // Backwards from it: white space, the offset's digits, white space, "startxref".
    uint32_t at = end - 5;
    uint32_t digitsEnd = at;
    while (digitsEnd > 0 && IsWhiteSpace(tail[digitsEnd - 1])) {
        --digitsEnd;
    }
    uint32_t digitsStart = digitsEnd;
    while (digitsStart > 0 && IsDigit(tail[digitsStart - 1]) &&
           digitsEnd - digitsStart < LongestOffset) {
        --digitsStart;
    }
    uint32_t keywordEnd = digitsStart;
    while (keywordEnd > 0 && IsWhiteSpace(tail[keywordEnd - 1])) {
        --keywordEnd;
    }
    bool trailerFits = digitsEnd < at && digitsStart < digitsEnd && keywordEnd < digitsStart &&
                       keywordEnd >= 9 && std::memcmp(tail + keywordEnd - 9, "startxref", 9) == 0;
    if (!trailerFits) {
        FailCheck(tally, CheckFailureStructure, tailAt + at, 0);
        return;
    }
    uint64_t offset = 0;
    for (uint32_t i = digitsStart; i < digitsEnd && offset <= size; ++i) {
        offset = offset * 10 + static_cast<uint64_t>(tail[i] - '0');
    }
    if (offset >= size) {
        FailCheck(tally, CheckFailureCrossReference, tailAt + digitsStart, 0);
        return;
    }
    if (readBack == nullptr || readBack->readAt == nullptr) {
        return;
    }
    uint8_t bytes[ReadBackSize];
    uint32_t want =
        size - offset < ReadBackSize ? static_cast<uint32_t>(size - offset) : ReadBackSize;
    uint32_t read = readBack->readAt(readBack->file, offset, bytes, want);
    if (read > want || !IsCrossReference(bytes, read)) {
        FailCheck(tally, CheckFailureCrossReference, offset, 0);
    }
}
