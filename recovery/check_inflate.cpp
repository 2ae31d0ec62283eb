// Raw inflation with zlib in the check's own arena: see recovery/check_inflate.h.
#include "recovery/check_inflate.h"

#include "recovery/check_bytes.h"

namespace {

voidpf ArenaAllocate(voidpf opaque, uInt items, uInt size) {
    CheckInflater* inflater = static_cast<CheckInflater*>(opaque);
    uint64_t bytes = (static_cast<uint64_t>(items) * size + 15) & ~static_cast<uint64_t>(15);
    if (bytes > InflaterArenaSize - inflater->arenaUsed) {
        return Z_NULL;
    }
    void* block = inflater->arena + inflater->arenaUsed;
    inflater->arenaUsed += static_cast<uint32_t>(bytes);
    return block;
}

// The arena is dropped whole with the check.
void ArenaFree(voidpf, voidpf) {}

} // namespace

bool RestartInflater(CheckInflater* inflater) {
    if (inflater->started) {
        return inflateReset(&inflater->stream) == Z_OK;
    }
    inflater->arenaUsed = 0;
    inflater->stream = z_stream();
    inflater->stream.zalloc = ArenaAllocate;
    inflater->stream.zfree = ArenaFree;
    inflater->stream.opaque = inflater;
    // Negative window bits: a raw deflate stream, with no zlib header or trailer of its own.
    inflater->started = inflateInit2(&inflater->stream, -15) == Z_OK;
    return inflater->started;
}

InflateStep InflateBytes(CheckInflater* inflater, const uint8_t* bytes, uint32_t count,
                         uint64_t sizeLimit, uint32_t* used, uint32_t* crc, uint64_t* size) {
    z_stream* stream = &inflater->stream;
    stream->next_in = const_cast<Bytef*>(bytes);
    stream->avail_in = count;
    for (;;) {
        // Room for one byte past the limit at most: whatever the input's split, zlib then
        // stops at the same place in the stream, at a data error or at the byte too many.
        uint64_t left = sizeLimit - *size;
        uint32_t room =
            left < InflaterOutputSize ? static_cast<uint32_t>(left) + 1 : InflaterOutputSize;
        stream->next_out = inflater->output;
        stream->avail_out = room;
        int result = inflate(stream, Z_NO_FLUSH);
        uint32_t made = room - stream->avail_out;
        *crc = Crc32Over(*crc, inflater->output, made);
        *size += made;
        *used = count - stream->avail_in;
        // The byte too many comes first: with its output full, zlib still reads on through
        // the block headers that the input at hand holds, and may find an error there that
        // a shorter feed would not have reached yet.
        if (*size > sizeLimit) {
            return InflateGoesOn;
        }
        if (result == Z_STREAM_END) {
            return InflateEnded;
        }
        if (result != Z_OK && result != Z_BUF_ERROR) {
            return InflateBroken;
        }
        // Output room left over: zlib has taken every byte it could and waits for more.
        if (stream->avail_out != 0) {
            return InflateGoesOn;
        }
    }
}

void EndInflater(CheckInflater* inflater) {
    if (inflater->started) {
        inflateEnd(&inflater->stream);
        inflater->started = false;
    }
}
