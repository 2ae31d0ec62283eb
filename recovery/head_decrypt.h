// Decrypts chosen bytes near the start of a ".crypt" file under one candidate key, apart from the
// process-wide chain: in CBC each block decrypts from itself and the ciphertext block before it,
// so a signature check needs only the few blocks it looks at.
#pragma once
#include <cstdint>

#include "crypto/des.h"

// One candidate key: a built-in table index with schedules of its own, or the password key that
// DerivePasswordKey left in ProcessBlowfish (read, never changed).
struct HeadKey {
    int32_t selector;
    DesKeySchedule schedule1;
    DesKeySchedule schedule2;
    uint8_t chainStart[8]; // the encryption of the zero block, where every file's chain begins
};

// The first bytes of a ".crypt" file as read, and the size of the whole file.
struct CipherHead {
    const uint8_t* bytes;
    uint32_t length; // bytes read from the start; only the first fileSize of them count
    uint64_t fileSize;
};

// selector: a table index 0..9, or KeySelectorPassword once DerivePasswordKey has run.
void PrepareHeadKey(HeadKey* key, int32_t selector);

// Writes the plaintext of bytes offset .. offset + count - 1 of the file into out. Returns false
// when one of them lies past the end of the file, or its ciphertext block was not read whole.
// The file's last size mod 8 bytes follow the short-tail rule, as in the decryptor.
bool DecryptHeadBytes(const HeadKey* key, const CipherHead* head, uint32_t offset, uint32_t count,
                      uint8_t* out);
