// The GIF check: see recovery/check_gif.h. Bytes after the trailer are let be: a decoder stops
// there (GIF89a section 27), so they say nothing of the images.
#include "recovery/check_gif.h"

#include <cstring>

namespace {

// Sections 17 and 18: "GIF", the version, then the logical screen descriptor's 7 bytes.
const uint32_t HeaderSize = 13;
// Section 20: the image descriptor after its separator.
const uint32_t ImageDescriptorSize = 9;
// Sections 20, 21 (Extension Introducer) and 27.
const uint8_t ImageSeparator = 0x2c;
const uint8_t ExtensionIntroducer = 0x21;
const uint8_t Trailer = 0x3b;
// Sections 18 and 20: a colour table's flag and size in a packed field.
const uint8_t TableFlag = 0x80;
// Section 22 and Appendix F: codes are at most 12 bits wide, so the minimum code size is at
// most 11.
const uint8_t LargestCodeSize = 11;

uint64_t TableSize(uint8_t packed) {
    return (packed & TableFlag) != 0 ? 3u << ((packed & 7) + 1) : 0;
}

void EndTable(GifCheck* gif) {
    gif->step = gif->imageFollows ? GifCodeSize : GifBlock;
}

void BeginTable(GifCheck* gif, uint8_t packed, bool imageFollows) {
    gif->remaining = TableSize(packed);
    gif->imageFollows = imageFollows;
    gif->step = GifTable;
    if (gif->remaining == 0) {
        EndTable(gif);
    }
}

void ReadBlock(GifCheck* gif, CheckInput* input, CheckTally* tally) {
    uint8_t introducer = input->bytes[0];
    gif->blockAt = input->offset;
    SkipInput(input, 1);
    gif->have = 0;
    if (introducer == ImageSeparator) {
        ++tally->items;
        gif->image = true;
        gif->step = GifImageDescriptor;
    } else if (introducer == ExtensionIntroducer) {
        gif->image = false;
        gif->step = GifExtensionLabel;
    } else if (introducer == Trailer) {
        gif->step = GifDone;
    } else {
        FailCheck(tally, CheckFailureStructure, gif->blockAt, 0);
    }
}

} // namespace

void StartGifCheck(GifCheck* gif) {
    std::memset(gif, 0, sizeof *gif);
    gif->step = GifHeader;
}

void FeedGifCheck(GifCheck* gif, CheckInput* input, CheckTally* tally) {
    while (input->count > 0 && !CheckFailedAlready(tally)) {
        switch (gif->step) {
        case GifHeader:
            if (GatherField(gif->field, &gif->have, HeaderSize, input)) {
                if (std::memcmp(gif->field, "GIF87a", 6) != 0 &&
                    std::memcmp(gif->field, "GIF89a", 6) != 0) {
                    FailCheck(tally, CheckFailureSignature, 0, 0);
                    return;
                }
                BeginTable(gif, gif->field[10], false);
            }
            break;
        case GifTable:
            SkipCounted(input, &gif->remaining);
            if (gif->remaining == 0) {
                EndTable(gif);
            }
            break;
        case GifBlock:
            ReadBlock(gif, input, tally);
            break;
        case GifImageDescriptor:
            if (GatherField(gif->field, &gif->have, ImageDescriptorSize, input)) {
                BeginTable(gif, gif->field[8], true);
            }
            break;
        case GifCodeSize:
            if (input->bytes[0] == 0 || input->bytes[0] > LargestCodeSize) {
                FailCheck(tally, CheckFailureStructure, gif->blockAt, tally->items);
                return;
            }
            SkipInput(input, 1);
            gif->step = GifSubBlockSize;
            break;
        case GifExtensionLabel:
            SkipInput(input, 1);
            gif->step = GifSubBlockSize;
            break;
        case GifSubBlockSize:
            // Sections 15 and 16: sub-blocks of 1 to 255 bytes, each after its size, then a
            // size of 0.
            gif->remaining = input->bytes[0];
            SkipInput(input, 1);
            gif->step = gif->remaining == 0 ? GifBlock : GifSubBlockData;
            break;
        case GifSubBlockData:
            SkipCounted(input, &gif->remaining);
            if (gif->remaining == 0) {
                gif->step = GifSubBlockSize;
            }
            break;
        case GifDone:
            SkipInput(input, input->count);
            break;
        }
    }
}

void FinishGifCheck(GifCheck* gif, uint64_t size, CheckTally* tally) {
    if (gif->step == GifBlock) {
        FailCheck(tally, CheckFailureEnd, size, 0);
    } else if (gif->step != GifDone) {
        bool inImage = gif->image && gif->step != GifHeader;
        FailCheck(tally, CheckFailureTruncated, size, inImage ? tally->items : 0);
    }
}
