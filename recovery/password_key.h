// Turns a password into the Blowfish key of the ".crypt" decryptor.
#pragma once
#include <cstdint>

// password: bytes ended by NUL, CR or LF. Returns 1 when ProcessBlowfish is keyed,
// 0 when the password is 32 bytes or longer (nothing changes then).
int32_t DerivePasswordKey(const char* password);
