// The .crypt files of the decrypt tests, made by OpenSSL at build time (decrypt_fixtures.py), with
// their plaintexts, the key each was made under and what a decrypt run's identification
// (by type, then by the check where several keys fit) should say.
#pragma once
#include <cstdint>

#include "recovery/key_identify.h"
#include "tests/support/named_entry.h"

struct DecryptFixture {
    const char* name; // the name before ".crypt", e.g. "report.pdf"
    int32_t selector; // the key it was encrypted under: 0..9, or KeySelectorPassword
    KeySearchResult identification;
    uint32_t size;
    const uint8_t* plain;
    const uint8_t* cipher;
};

extern const char SamplePassword[];   // the key of the password fixtures of key_samples.py
extern const char AccentedPassword[]; // UTF-8; the key is of its Windows-1252 bytes
extern const char LongestPassword[];  // 31 bytes
extern const int32_t CollisionKeys[2];
extern const DecryptFixture DecryptFixtures[];
extern const uint32_t DecryptFixtureCount;

inline const DecryptFixture& Fixture(const char* name) {
    return EntryNamed(DecryptFixtures, DecryptFixtureCount, name);
}
