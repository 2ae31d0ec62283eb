// Key selection for the ".crypt" decryptor and the process-wide cipher states it keys.
#pragma once
#include <cstdint>
#include "crypto/blowfish.h"
#include "crypto/des.h"
#include "common/key_selector.h"

extern const uint8_t BuiltInDesKeys[BuiltInDesKeyCount][16];
extern BlowfishState ProcessBlowfish;
extern uint8_t CipherStateReady;
// The table index whose key ProcessTripleDes holds, or KeySelectorNone before any.
extern int32_t TripleDesKeyIndex;

// Returns 1 when the state is keyed for `selector` and rewound to the start of a chain, 0 for
// KeySelectorNone or any value that is neither the password nor a table index.
int32_t SelectKey(int32_t selector);
