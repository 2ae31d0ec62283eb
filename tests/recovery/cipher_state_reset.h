// Puts the process-wide cipher state back to how a new process finds it, so each test can start
// from the Unready state.
#pragma once
#include <cstring>

#include "recovery/key_select.h"

inline void StartCipherStateAfresh() {
    CipherStateReady = 0;
    TripleDesKeyIndex = KeySelectorNone;
    std::memset(&ProcessTripleDes, 0, sizeof ProcessTripleDes);
    std::memset(&ProcessBlowfish, 0, sizeof ProcessBlowfish);
}
