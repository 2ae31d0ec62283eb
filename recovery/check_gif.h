// The check of a GIF image (GIF89a, CompuServe 1990; GIF87a alike) as it streams by: the header
// and logical screen, the colour tables, each image's descriptor and data sub-blocks, each
// extension's sub-blocks, and the trailer.
#pragma once
#include <cstdint>

#include "recovery/check_bytes.h"

enum GifStep : uint8_t {
    GifHeader, // the signature, the version and the logical screen descriptor
    GifTable,  // a colour table, skipped
    GifBlock,  // an image, an extension or the trailer is due
    GifImageDescriptor,
    GifCodeSize,
    GifExtensionLabel,
    GifSubBlockSize,
    GifSubBlockData,
    GifDone,
};

struct GifCheck {
    GifStep step;
    bool image;        // the sub-blocks read are an image's
    bool imageFollows; // the colour table skipped is an image's own
    uint32_t have;
    uint8_t field[16];
    uint64_t blockAt;
    uint64_t remaining;
};

void StartGifCheck(GifCheck* gif);
void FeedGifCheck(GifCheck* gif, CheckInput* input, CheckTally* tally);
void FinishGifCheck(GifCheck* gif, uint64_t size, CheckTally* tally);
