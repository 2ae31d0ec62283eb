// Base64 (standard alphabet, '=' padding, no line breaks).
#pragma once
#include <cstdint>

// capacity counts every byte that may be written, the NUL included.
void Base64Encode(const uint8_t* input, uint32_t n, char* output, uint32_t capacity);
// Allocates with new[] (release with delete[]). On failure *output is null.
uint32_t Base64EncodeAlloc(const uint8_t* input, uint32_t n, char** output);
