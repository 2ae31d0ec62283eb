// A slow DES written bit by bit from the FIPS 46-3 tables, used only to check the fast tables.
#pragma once
#include <cstdint>

void ReferenceDes(const uint8_t key[8], const uint8_t in[8], uint8_t out[8], bool encrypt);
