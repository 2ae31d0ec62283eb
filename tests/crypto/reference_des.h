// A slow DES written bit by bit from the FIPS 46-3 tables, used only to check the fast tables.
#pragma once
#include <cstdint>

void ReferenceDes(const uint8_t key[8], const uint8_t in[8], uint8_t out[8], bool encrypt);
// S-box `box` (0 for S1) of the input bits b1..b6, b1 the most significant: row b1 b6, column
// b2 b3 b4 b5.
int ReferenceSBox(int box, int input);
