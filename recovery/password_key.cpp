// Derives the Blowfish key of the ".crypt" decryptor from a password.
#include "recovery/password_key.h"

#include <cstring>

#include "crypto/base64.h"
#include "crypto/sha256.h"
#include "crypto/wipe.h"
#include "recovery/key_select.h"

constexpr uint32_t PasswordCapacity = 32; // 31 password bytes and the terminator

int32_t DerivePasswordKey(const char* password) {
    // Zero-filled so that the key of a short password, whose text leaves part of the 32 hashed
    // positions unwritten, is the same on every run.
    uint8_t copy[PasswordCapacity] = {};
    char text[48] = {};
    uint8_t digest[32];
    uint8_t swapped[32];
    Sha256Context context;

    uint32_t length = 0;
    for (;;) {
        if (length == PasswordCapacity) {
            WipeBytes(copy, sizeof copy);
            return 0; // too long: the state keeps whatever key it had
        }
        char c = password[length];
        if (c == '\0' || c == '\n' || c == '\r') {
            break;
        }
        copy[length++] = static_cast<uint8_t>(c);
    }

    Sha256Init(&context);
    Sha256Update(&context, copy, length);
    Sha256Final(&context, digest);

    // A temporary key whose only job is the CFB-8 pass over the password.
    BlowfishSetKey(&ProcessBlowfish, digest, sizeof digest, nullptr);
    BlowfishCfb8Encrypt(&ProcessBlowfish, copy, copy, length);
    // At most 44 characters and a NUL: the buffer always holds the whole text.
    Base64Encode(copy, length, text, sizeof text);

    // The second hash covers the first 32 text positions with their halves swapped.
    std::memcpy(swapped, text + 16, 16);
    std::memcpy(swapped + 16, text, 16);
    Sha256Init(&context);
    Sha256Update(&context, swapped, sizeof swapped);
    Sha256Final(&context, digest);

    BlowfishSetKey(&ProcessBlowfish, digest, sizeof digest, nullptr);
    // Every form the password took; the hash wipes its own context and schedule.
    WipeBytes(copy, sizeof copy);
    WipeBytes(text, sizeof text);
    WipeBytes(swapped, sizeof swapped);
    WipeBytes(digest, sizeof digest);
    return 1;
}
