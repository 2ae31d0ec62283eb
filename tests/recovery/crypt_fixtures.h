// ".crypt" files made by OpenSSL at build time (openssl_oracle.py), with their plaintexts.
#pragma once
#include <cstdint>

struct CryptFixture {
    const char* name; // cipher and size, e.g. "des8195"
    int32_t selector; // KeySelector to decrypt it under
    uint32_t size;
    const uint8_t* plain;
    const uint8_t* cipher;
};

extern const char CryptFixturePassword[];
extern const int32_t CryptFixtureKeyIndex;
extern const CryptFixture CryptFixtures[];
extern const uint32_t CryptFixtureCount;
