// The SQLite check: see recovery/check_sqlite.h.
#include "recovery/check_sqlite.h"

#include <cstring>

namespace {

// 1.3: the header is the first 100 bytes; 1.3.1: it opens with this string and its zero.
const uint32_t HeaderSize = 100;
const char HeaderString[] = "SQLite format 3";

// 1.3.2: a power of two from 512 to 32768, or 1 for 65536.
uint32_t PageSize(const uint8_t* header) {
    uint32_t value = LoadBe16(header + 16);
    if (value == 1) {
        return 65536;
    }
    bool powerOfTwo = (value & (value - 1)) == 0;
    return value >= 512 && value <= 32768 && powerOfTwo ? value : 0;
}

bool HeaderFits(const uint8_t* header) {
    uint32_t pageSize = PageSize(header);
    // 1.3.3: file format versions 1 (legacy) or 2 (WAL); 1.3.4: the usable size is at least
    // 480; 1.3.5: the payload fractions are 64, 32 and 32.
    return pageSize != 0 && header[18] >= 1 && header[18] <= 2 && header[19] >= 1 &&
           header[19] <= 2 && pageSize - header[20] >= 480 && header[21] == 64 &&
           header[22] == 32 && header[23] == 32;
}

} // namespace

void StartSqliteCheck(SqliteCheck* sqlite) {
    sqlite->have = 0;
}

void FeedSqliteCheck(SqliteCheck* sqlite, CheckInput* input, CheckTally* tally) {
    bool complete = sqlite->have == HeaderSize;
    if (!complete && GatherField(sqlite->header, &sqlite->have, HeaderSize, input)) {
        if (std::memcmp(sqlite->header, HeaderString, sizeof HeaderString) != 0) {
            FailCheck(tally, CheckFailureSignature, 0, 0);
            return;
        }
        if (!HeaderFits(sqlite->header)) {
            FailCheck(tally, CheckFailureStructure, 0, 0);
            return;
        }
    }
    // The pages themselves are not looked at.
    SkipInput(input, input->count);
}

void FinishSqliteCheck(SqliteCheck* sqlite, uint64_t size, CheckTally* tally) {
    if (sqlite->have < HeaderSize) {
        FailCheck(tally, CheckFailureTruncated, size, 0);
        return;
    }
    const uint8_t* header = sqlite->header;
    uint32_t pageSize = PageSize(header);
    uint64_t pages = size / pageSize;
    // 1.3.7: the in-header database size (offset 28) is valid when it is not zero and the
    // change counter (24) equals the version-valid-for number (92).
    uint32_t headerPages = LoadBe32(header + 28);
    bool headerPagesValid = headerPages != 0 && LoadBe32(header + 24) == LoadBe32(header + 92);
    if (size % pageSize != 0) {
        FailCheck(tally, CheckFailureSize, pages * pageSize, 0);
    } else if (headerPagesValid && headerPages != pages) {
        FailCheck(tally, CheckFailureSize, 28, 0);
    } else {
        tally->items = pages;
    }
}
