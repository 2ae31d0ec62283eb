#include "tests/crypto/openssl_oracle.h"
#include <openssl/provider.h>

static OSSL_PROVIDER* DefaultProvider;
static OSSL_PROVIDER* LegacyProvider;

bool OracleInit() {
    if (!DefaultProvider)
        DefaultProvider = OSSL_PROVIDER_load(nullptr, "default");
    if (!LegacyProvider)
        LegacyProvider = OSSL_PROVIDER_load(nullptr, "legacy");
    return DefaultProvider && LegacyProvider;
}

// Unloading at exit lets the leak checker see a clean process.
void OracleShutdown() {
    if (LegacyProvider)
        OSSL_PROVIDER_unload(LegacyProvider);
    if (DefaultProvider)
        OSSL_PROVIDER_unload(DefaultProvider);
    LegacyProvider = DefaultProvider = nullptr;
    OPENSSL_cleanup();
}

bool OracleCipher(const EVP_CIPHER* cipher, const uint8_t* key, int keyLength, const uint8_t* iv,
                  bool encrypt, const uint8_t* in, uint32_t length, uint8_t* out) {
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    int outLength = 0, finalLength = 0;
    bool ok = context && EVP_CipherInit_ex(context, cipher, nullptr, nullptr, nullptr, encrypt) &&
              EVP_CIPHER_CTX_set_key_length(context, keyLength) &&
              EVP_CipherInit_ex(context, nullptr, nullptr, key, iv, encrypt) &&
              EVP_CIPHER_CTX_set_padding(context, 0) &&
              (length == 0 || EVP_CipherUpdate(context, out, &outLength, in, int(length))) &&
              EVP_CipherFinal_ex(context, out + outLength, &finalLength) &&
              uint32_t(outLength + finalLength) == length;
    EVP_CIPHER_CTX_free(context);
    return ok;
}

void OracleSha256(const uint8_t* data, uint32_t length, uint8_t digest[32]) {
    unsigned int digestLength = 32;
    EVP_Digest(data, length, digest, &digestLength, EVP_sha256(), nullptr);
}
