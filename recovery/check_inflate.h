// Raw inflation (RFC 1951) for the checks of ZIP entries and gzip members, by zlib, with its
// state and window in a fixed arena of the check's own: inflating a file allocates nothing.
#pragma once
#include <zlib.h>

#include <cstdint>

// zlib's state and its 32 KiB window, with room to spare on 32- and 64-bit targets.
const uint32_t InflaterArenaSize = 48 * 1024;
// The inflated bytes, looked at once (for their CRC-32 and count) and then dropped. zlib inflates
// 10 to 20 % faster into this much than into a window's worth.
const uint32_t InflaterOutputSize = 256 * 1024;

struct CheckInflater {
    z_stream stream;
    bool started;
    uint32_t arenaUsed;
    alignas(16) uint8_t arena[InflaterArenaSize];
    uint8_t output[InflaterOutputSize];
};

enum InflateStep : uint8_t {
    InflateGoesOn, // every byte given was taken; the stream goes on
    InflateEnded,  // the stream's last block ended; the bytes after it were not taken
    InflateBroken, // the bytes are no deflate stream
};

// Begins a new stream; false only when zlib cannot be started in the arena.
bool RestartInflater(CheckInflater* inflater);
// Inflates the next bytes of the stream, adding the output to *crc and *size; *used is the count
// of bytes taken. Stops once *size passes sizeLimit, one byte past it (the size is then known
// to be wrong), at the same place in the stream however its bytes come.
InflateStep InflateBytes(CheckInflater* inflater, const uint8_t* bytes, uint32_t count,
                         uint64_t sizeLimit, uint32_t* used, uint32_t* crc, uint64_t* size);
void EndInflater(CheckInflater* inflater);
