// Wiping secrets: the password, its copies and what the hash made of them.
#pragma once
#include <cstddef>

// Sets count bytes to zero in a way the compiler keeps even when the bytes are never read again.
void WipeBytes(void* bytes, size_t count);
