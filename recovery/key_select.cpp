// Readies the process-wide cipher state for one ".crypt" file.
#include "recovery/key_select.h"

#include <cstring>

BlowfishState ProcessBlowfish;
uint8_t CipherStateReady;
int32_t TripleDesKeyIndex = KeySelectorNone;

// Keys triple-DES from one table entry and starts its chain at the encryption of the zero block,
// the same starting point Blowfish takes when keyed without an IV.
static void KeyTripleDes(int32_t index) {
    const uint8_t* entry = BuiltInDesKeys[index];
    std::memset(ProcessTripleDes.savedIv, 0, sizeof ProcessTripleDes.savedIv);
    DesSetKey(entry, &ProcessTripleDes.schedule1);
    DesSetKey(entry + 8, &ProcessTripleDes.schedule2);
    ProcessTripleDes.schedule3 = ProcessTripleDes.schedule1;
    TripleDesEncryptBlock(ProcessTripleDes.savedIv, ProcessTripleDes.savedIv);
    std::memcpy(ProcessTripleDes.ivRegister, ProcessTripleDes.savedIv, 8);
    TripleDesKeyIndex = index;
}

int32_t SelectKey(int32_t selector) {
    // Anything but the password or a table index is refused before it can touch the state, so a
    // bad selector can never read past the key table.
    bool tableIndex = selector >= 0 && selector < BuiltInDesKeyCount;
    if (selector != KeySelectorPassword && !tableIndex) {
        return 0;
    }
    if (selector == KeySelectorPassword) {
        // The Blowfish snapshot is the key of the password derived last: resetting to it both
        // keys and rewinds.
        BlowfishReset(&ProcessBlowfish);
    } else if (selector == TripleDesKeyIndex) {
        std::memcpy(ProcessTripleDes.ivRegister, ProcessTripleDes.savedIv, 8);
    } else {
        // A caller that moves to another key gets that key, never the one chosen before.
        KeyTripleDes(selector);
    }
    CipherStateReady = 1;
    return 1;
}
