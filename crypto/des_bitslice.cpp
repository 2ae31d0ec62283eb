// Chooses the bitsliced pass for the active vector unit and keeps the subkeys in its form.
#include "crypto/des_bitslice.h"
#include "crypto/des.h"
#include "crypto/simd_level.h"
#include <cstring>

// The sliced subkeys of the schedules they were made from, remade whenever those change; the
// triple-DES state is process-wide, and so is this.
static DesSlicedKeys SlicedKeys;
static DesKeySchedule SlicedFrom[3];
static bool SlicedKeysReady;

// Where each S-box's six key bits sit in a round's two subkey words (see DesSetKey): S1 and S2
// at bit 0 of the first and second word, S3 and S4 at bit 24, S5 and S6 at 16, S7 and S8 at 8,
// the box's first input bit highest.
static const uint8_t SubkeyFieldOffsets[8] = {0, 0, 24, 24, 16, 16, 8, 8};

static void SliceKeys() {
    const DesKeySchedule* schedules[3] = {&ProcessTripleDes.schedule1, &ProcessTripleDes.schedule2,
                                          &ProcessTripleDes.schedule3};
    for (int des = 0; des < 3; des++) {
        bool decrypt = des != 1;
        for (int round = 0; round < 16; round++) {
            const uint32_t* subkey = schedules[des]->subkeys[decrypt ? 15 - round : round];
            uint32_t(*bits)[4] = SlicedKeys.bits[16 * des + round];
            for (int box = 0; box < 8; box++)
                for (int i = 0; i < 6; i++)
                    for (int word = 0; word < 4; word++)
                        bits[6 * box + i][word] =
                            0u - ((subkey[box & 1] >> (SubkeyFieldOffsets[box] + 5 - i)) & 1u);
        }
        SlicedFrom[des] = *schedules[des];
    }
    SlicedKeysReady = true;
}

static bool SlicedKeysCurrent() {
    return SlicedKeysReady &&
           memcmp(&SlicedFrom[0], &ProcessTripleDes.schedule1, sizeof(DesKeySchedule)) == 0 &&
           memcmp(&SlicedFrom[1], &ProcessTripleDes.schedule2, sizeof(DesKeySchedule)) == 0 &&
           memcmp(&SlicedFrom[2], &ProcessTripleDes.schedule3, sizeof(DesKeySchedule)) == 0;
}

// Below this many blocks the portable code is as quick as a whole pass.
constexpr uint32_t LeastSlicedBlocks = 16;

void PrepareSlicedKeys() {
    if (ActiveSimdLevel() != SimdLevelPortable && !SlicedKeysCurrent())
        SliceKeys();
}

uint32_t TripleDesCbcDecryptSliced(const uint8_t* in, uint8_t* out, uint32_t blocks,
                                   uint8_t chain[8]) {
    SimdLevel level = ActiveSimdLevel();
    if (level == SimdLevelPortable || blocks < LeastSlicedBlocks)
        return 0;
    if (!SlicedKeysCurrent())
        SliceKeys();
    uint32_t batch = level == SimdLevelAvx2 ? DesAvx2Batch : DesSse2Batch;
    auto decrypt = level == SimdLevelAvx2 ? TripleDesCbcDecryptAvx2 : TripleDesCbcDecryptSse2;
    uint32_t whole = blocks / batch;
    decrypt(in, out, whole, chain, &SlicedKeys);
    uint32_t done = whole * batch, left = blocks - done;
    if (left < LeastSlicedBlocks)
        return done;
    // A last, partial batch goes through a padded copy: the padding's output is thrown away.
    uint8_t padded[DesAvx2Batch * 8] = {};
    memcpy(padded, in + 8 * done, 8 * left);
    decrypt(padded, padded, 1, chain, &SlicedKeys);
    memcpy(chain, in + 8 * (blocks - 1), 8);
    memcpy(out + 8 * done, padded, 8 * left);
    return blocks;
}
