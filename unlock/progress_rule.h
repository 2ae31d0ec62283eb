// The progress position of the walk: the share of the drive's used bytes that the files met so
// far account for. Windows-free so that it is tested natively as well.
#pragma once
#include <cstdint>

// walked + the file size nFileSizeHigh * 2^32 + nFileSizeLow, held at INT64_MAX instead of
// overflowing.
int64_t AddFileSize(int64_t walked, uint32_t sizeHigh, uint32_t sizeLow);

// 0..100: 100 when walked > used or used = 0 (so also for a negative used), otherwise
// walked * 100 / used truncated, computed without overflow for any 64-bit operands.
int ProgressPosition(int64_t walked, int64_t used);
