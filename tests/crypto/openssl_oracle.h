// OpenSSL as an independent oracle for the native tests, the fuzzer and the benchmark.
#pragma once
#include <openssl/evp.h>
#include <cstdint>

// Loads the default and legacy providers (Blowfish and single DES live in the legacy one).
bool OracleInit();
void OracleShutdown();
// One-shot cipher run without padding; length must be a multiple of the block size except for
// the stream modes. Returns false if OpenSSL refused.
bool OracleCipher(const EVP_CIPHER* cipher, const uint8_t* key, int keyLength, const uint8_t* iv,
                  bool encrypt, const uint8_t* in, uint32_t length, uint8_t* out);
void OracleSha256(const uint8_t* data, uint32_t length, uint8_t digest[32]);
