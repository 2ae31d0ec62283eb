// Files of every type the output check knows and the ways they are damaged, made at build time
// by check_samples.py (Python's standard library, hand layouts after each format's published
// description, ImageMagick's convert), with what the check must say of each.
#pragma once
#include <cstdint>

#include "recovery/output_check.h"
#include "tests/support/named_entry.h"

// A count or an offset that a case does not pin down.
const uint64_t CheckAny = UINT64_MAX;
// A damage that must fail the check, whichever way.
const CheckFailure CheckAnyFailure = CheckFailureCount;

struct CheckSample {
    const char* name;
    CheckFormat format;
    const char* made; // how it was made
    const uint8_t* bytes;
    uint32_t size;
    uint64_t items; // what the check counts of it
    uint64_t uncheckedItems;
};

// The sample's bytes before `at`, then `patch`, then the sample's bytes from `resume` on.
struct CheckDamage {
    const char* sample;
    const char* what;
    uint32_t at;
    const uint8_t* patch;
    uint32_t patchSize;
    uint32_t resume;
    CheckFailure failure; // CheckFailureNone: the check still passes
    uint64_t failedAt;
    uint64_t item;
};

extern const CheckSample CheckSamples[];
extern const uint32_t CheckSampleCount;
extern const CheckDamage CheckDamages[];
extern const uint32_t CheckDamageCount;

inline const CheckSample& CheckSampleNamed(const char* name) {
    return EntryNamed(CheckSamples, CheckSampleCount, name);
}
