// libFuzzer target: the check of a decrypted file on arbitrary bytes, in every format. Whatever
// the bytes, the check ends with a verdict of its own: passed or failed, never past the file
// (AddressSanitizer sees every read), with a failure in range and a place inside the file; and
// the report is the same fed whole, a byte at a time, and in random pieces.
// Input: one byte choosing the format, four bytes seeding the pieces' sizes, then the file.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>
#include "recovery/output_check.h"

namespace {

void Check(bool condition) {
    if (!condition)
        abort();
}

struct File {
    const uint8_t* bytes;
    size_t size;
};

uint32_t ReadFile(void* file, uint64_t offset, uint8_t* bytes, uint32_t count) {
    const File* written = static_cast<const File*>(file);
    if (offset >= written->size)
        return 0;
    uint32_t read = static_cast<uint32_t>(std::min<uint64_t>(count, written->size - offset));
    std::memcpy(bytes, written->bytes + offset, read);
    return read;
}

// pieceLimit 0: the whole file at once.
CheckReport CheckInPieces(CheckFormat format, File file, uint32_t seed, uint32_t pieceLimit) {
    std::mt19937 random(seed);
    OutputCheck* check = StartOutputCheck(format, file.size);
    Check(check != nullptr);
    size_t at = 0;
    while (at < file.size) {
        size_t piece = pieceLimit == 0 ? file.size - at : 1 + random() % pieceLimit;
        piece = std::min(piece, file.size - at);
        FeedOutputCheck(check, file.bytes + at, static_cast<uint32_t>(piece));
        at += piece;
    }
    CheckReadBack readBack = {ReadFile, &file};
    CheckReport report;
    FinishOutputCheck(check, &readBack, &report);
    EndOutputCheck(check);
    return report;
}

bool Same(const CheckReport& a, const CheckReport& b) {
    return a.verdict == b.verdict && a.format == b.format && a.failure == b.failure &&
           a.items == b.items && a.uncheckedItems == b.uncheckedItems && a.failedAt == b.failedAt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5)
        return 0;
    CheckFormat format = static_cast<CheckFormat>(1 + data[0] % (CheckFormatCount - 1));
    uint32_t seed = static_cast<uint32_t>(data[1]) | static_cast<uint32_t>(data[2]) << 8 |
                    static_cast<uint32_t>(data[3]) << 16 | static_cast<uint32_t>(data[4]) << 24;
    File file = {data + 5, size - 5};
    CheckReport whole = CheckInPieces(format, file, seed, 0);
    Check(whole.format == format);
    Check(whole.verdict == CheckPassed || whole.verdict == CheckFailed);
    Check((whole.verdict == CheckFailed) == (whole.failure != CheckFailureNone));
    Check(whole.failure >= CheckFailureNone && whole.failure < CheckFailureCount);
    Check(whole.failedAt <= file.size);
    Check(Same(whole, CheckInPieces(format, file, seed, 1)));
    Check(Same(whole, CheckInPieces(format, file, seed, 64)));
    Check(Same(whole, CheckInPieces(format, file, seed, 5000)));
    return 0;
}
