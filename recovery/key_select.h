// Key selection for the ".crypt" decryptor and the process-wide cipher states it keys.
#pragma once
#include <cstdint>
#include "crypto/blowfish.h"
#include "crypto/des.h"
#include "common/key_selector.h"

extern const uint8_t BuiltInDesKeys[BuiltInDesKeyCount][16];
extern BlowfishState ProcessBlowfish;
extern uint8_t CipherStateReady;

int32_t SelectKey(int32_t selector);
