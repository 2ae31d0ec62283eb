// Single DES: the key schedule and one block operation.
#include "crypto/des.h"
#include "crypto/des_core.h"

// The C and D registers hold 28 bits each, bit 1 of the register at bit 27. Each key table is
// indexed by six of the 24 bits that PC-2 takes from one register (the four it skips are left out
// of the gathers), and the tables for C and for D each fill one word that holds four of the
// eight 6-bit subkey groups; the rotations by 16 move them to where the rounds expect them.
int DesSetKey(const uint8_t key[8], DesKeySchedule* schedule) {
    uint32_t c = 0, d = 0;
    for (int i = 0; i < 28; i++) {
        int bit = DesPermutedChoice1[i] - 1;
        c = (c << 1) | ((key[bit >> 3] >> (7 - (bit & 7))) & 1u);
        bit = DesPermutedChoice1[28 + i] - 1;
        d = (d << 1) | ((key[bit >> 3] >> (7 - (bit & 7))) & 1u);
    }
    for (int round = 0; round < 16; round++) {
        unsigned shift = DesKeyRotations[round];
        c = ((c << shift) | (c >> (28 - shift))) & 0x0fffffffu;
        d = ((d << shift) | (d >> (28 - shift))) & 0x0fffffffu;
        uint32_t fromC = DesKeyTables[0][(c >> 22) & 63] |
                         DesKeyTables[1][((c >> 15) & 0x0f) | ((c >> 16) & 0x30)] |
                         DesKeyTables[2][((c >> 8) & 0x03) | ((c >> 9) & 0x3c)] |
                         DesKeyTables[3][(c & 0x07) | ((c >> 1) & 0x18) | ((c >> 2) & 0x20)];
        uint32_t fromD = DesKeyTables[4][(d >> 22) & 63] |
                         DesKeyTables[5][((d >> 14) & 0x0f) | ((d >> 15) & 0x30)] |
                         DesKeyTables[6][(d >> 7) & 63] |
                         DesKeyTables[7][(d & 0x03) | ((d >> 1) & 0x3c)];
        schedule->subkeys[round][0] = (fromC & 0xff0000ffu) | (fromD & 0x00ffff00u);
        schedule->subkeys[round][1] =
            (DesRotateLeft(fromC, 16) & 0xff0000ffu) | (DesRotateLeft(fromD, 16) & 0x00ffff00u);
    }
    return 0;
}

int DesCryptBlock(const uint8_t in[8], uint8_t out[8], const DesKeySchedule* schedule,
                  int encrypt) {
    uint32_t left = DesLoadWord(in), right = DesLoadWord(in + 4);
    DesInitialPermutation(&left, &right);
    DesRounds(&left, &right, schedule, encrypt);
    DesFinalPermutation(&left, &right);
    DesStoreWord(out, left);
    DesStoreWord(out + 4, right);
    return 0;
}
