// On 64-bit Windows a 32-bit thread that opens C:\Windows\System32 is quietly sent to
// C:\Windows\SysWOW64: a walk would search SysWOW64 twice and System32 never. A walk therefore
// turns that redirection off for its own thread, so every path means what it says.
#pragma once
#include <windows.h>

struct RedirectionState {
    BOOL turnedOff;
    PVOID previous;
};

// Turns the redirection off for the calling thread when the process runs under WOW64; on 32-bit
// Windows and for 64-bit programs there is none, and nothing changes.
void BeginRealPaths(RedirectionState* state);
// Turns it back on. Call it before anything that may load a library: with the redirection off,
// a load from the system folder would find the 64-bit library.
void EndRealPaths(RedirectionState* state);
