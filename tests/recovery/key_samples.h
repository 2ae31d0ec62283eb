// Sample files of well-known types in ".crypt" form, made by OpenSSL at build time
// (key_samples.py), with their plaintexts and what identification by signature should say.
#pragma once
#include <cstdint>

#include "recovery/key_identify.h"
#include "tests/support/named_entry.h"

struct KeySample {
    const char* name; // the name before ".crypt", e.g. "report.pdf"
    int32_t selector; // the key it was encrypted under
    KeySearchResult expected;
    uint32_t size;
    const uint8_t* plain;
    const uint8_t* cipher;
};

extern const char KeySamplePassword[];
extern const KeySample KeySamples[];
extern const uint32_t KeySampleCount;

inline const KeySample& SampleNamed(const char* name) {
    return EntryNamed(KeySamples, KeySampleCount, name);
}

// What identification reads of an encrypted sample: its first KeyHeadSize bytes at most.
inline CipherHead HeadOf(const uint8_t* cipher, uint64_t size) {
    return {cipher, size < KeyHeadSize ? static_cast<uint32_t>(size) : KeyHeadSize, size};
}
