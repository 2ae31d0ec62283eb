// File-system redirection of 32-bit threads on 64-bit Windows, off for the length of a walk.
#include "unlock/real_paths.h"

void BeginRealPaths(RedirectionState* state) {
    state->turnedOff = FALSE;
    state->previous = nullptr;
    BOOL underWow64 = FALSE;
    if (IsWow64Process(GetCurrentProcess(), &underWow64) && underWow64) {
        state->turnedOff = Wow64DisableWow64FsRedirection(&state->previous);
    }
}

void EndRealPaths(RedirectionState* state) {
    if (state->turnedOff) {
        Wow64RevertWow64FsRedirection(state->previous);
        state->turnedOff = FALSE;
    }
}
