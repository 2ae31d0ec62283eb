// The progress position: the share of a drive's used bytes walked, without overflow.
#include "unlock/progress_rule.h"
#include <gtest/gtest.h>
#include <cstdint>

namespace {

struct ProgressCase {
    int64_t walked;
    int64_t used;
    int position;
};

const ProgressCase ProgressCases[] = {
    {0, 1000, 0},
    {999, 1000, 99},
    {1000, 1000, 100},
    {1001, 1000, 100},
    {500, 1000, 50},
    {1, 3, 33},
    {2, 3, 66},
    {0, 0, 100},
    {5, 0, 100},
    {5, -1, 100},
    {INT64_MAX, INT64_MAX, 100},
    {INT64_MAX - 1, INT64_MAX, 99},
    {INT64_MAX / 2, INT64_MAX, 49},
    {INT64_MAX / 100 + 1, INT64_MAX / 100 * 2, 50},
    {1, INT64_MAX, 0},
    {(int64_t{1} << 32) * 3, (int64_t{1} << 32) * 4, 75},
};

TEST(ProgressRule, Position) {
    for (const ProgressCase& c : ProgressCases) {
        EXPECT_EQ(ProgressPosition(c.walked, c.used), c.position)
            << std::hex << "walked 0x" << c.walked << " used 0x" << c.used;
    }
}

TEST(ProgressRule, FileSizes) {
    EXPECT_EQ(AddFileSize(0, 0, 1000), 1000);
    EXPECT_EQ(AddFileSize(10, 1, 0), 10 + (int64_t{1} << 32)); // a 4 GiB file
    EXPECT_EQ(AddFileSize(0, 0xFFFFFFFFu, 0xFFFFFFFFu), INT64_MAX);
    EXPECT_EQ(AddFileSize(INT64_MAX - 1, 0, 1), INT64_MAX);
    EXPECT_EQ(AddFileSize(INT64_MAX - 1, 0, 2), INT64_MAX);
    EXPECT_EQ(AddFileSize(0, 0x7FFFFFFFu, 0xFFFFFFFFu), INT64_MAX);
}

} // namespace
