#!/usr/bin/env python3
"""The ".crypt" format and the password key computed with OpenSSL's libcrypto, independently of the
project's own ciphers. Used at build time to make test fixtures, and by hand to print known answers:
    openssl_oracle.py fixtures KEYS_SOURCE OUTPUT.cpp
    openssl_oracle.py known-answers
"""
import ctypes
import ctypes.util
import random
import re
import sys

crypto = ctypes.CDLL(ctypes.util.find_library("crypto") or "libcrypto.so.3")
BF_KEY_SIZE = (18 + 4 * 256) * 4
DES_SCHEDULE_SIZE = 16 * 8


def sha256(data):
    out = ctypes.create_string_buffer(32)
    crypto.SHA256(bytes(data), ctypes.c_size_t(len(data)), out)
    return out.raw


def base64(data):
    out = ctypes.create_string_buffer(4 * ((len(data) + 2) // 3) + 1)
    n = crypto.EVP_EncodeBlock(out, bytes(data), len(data))
    return out.raw[:n]


class Blowfish:
    def __init__(self, key):
        self.schedule = ctypes.create_string_buffer(BF_KEY_SIZE)
        crypto.BF_set_key(self.schedule, len(key), bytes(key))

    def encrypt_block(self, block):
        out = ctypes.create_string_buffer(8)
        crypto.BF_ecb_encrypt(bytes(block), out, self.schedule, 1)
        return out.raw

    def cbc_encrypt(self, data, iv):
        out = ctypes.create_string_buffer(max(len(data), 1))
        ivec = ctypes.create_string_buffer(bytes(iv), 8)
        crypto.BF_cbc_encrypt(bytes(data), out, ctypes.c_long(len(data)), self.schedule, ivec, 1)
        return out.raw[: len(data)]


class TwoKeyTripleDes:
    def __init__(self, key):
        self.k1 = ctypes.create_string_buffer(DES_SCHEDULE_SIZE)
        self.k2 = ctypes.create_string_buffer(DES_SCHEDULE_SIZE)
        crypto.DES_set_key_unchecked(bytes(key[:8]), self.k1)
        crypto.DES_set_key_unchecked(bytes(key[8:16]), self.k2)

    def encrypt_block(self, block):
        out = ctypes.create_string_buffer(8)
        crypto.DES_ecb3_encrypt(bytes(block), out, self.k1, self.k2, self.k1, 1)
        return out.raw

    def decrypt_block(self, block):
        out = ctypes.create_string_buffer(8)
        crypto.DES_ecb3_encrypt(bytes(block), out, self.k1, self.k2, self.k1, 0)
        return out.raw

    def cbc_encrypt(self, data, iv):
        out = ctypes.create_string_buffer(max(len(data), 1))
        ivec = ctypes.create_string_buffer(bytes(iv), 8)
        crypto.DES_ede3_cbc_encrypt(bytes(data), out, ctypes.c_long(len(data)), self.k1, self.k2,
                                    self.k1, ivec, 1)
        return out.raw[: len(data)]


def crypt_file(cipher, plain):
    """CBC from the encryption of the zero block; a short tail is the plaintext xor the leading
    bytes of the encrypted last chaining value."""
    iv = cipher.encrypt_block(bytes(8))
    whole = len(plain) - len(plain) % 8
    body = cipher.cbc_encrypt(plain[:whole], iv)
    chain = body[-8:] if whole else iv
    stream = cipher.encrypt_block(chain)
    tail = bytes(p ^ k for p, k in zip(plain[whole:], stream))
    return body + tail


def password_key(password):
    """The 32-byte Blowfish key derived from a password of at most 31 bytes."""
    first = Blowfish(sha256(password))
    register = bytearray(first.encrypt_block(bytes(8)))
    encrypted = bytearray()
    for byte in password:  # CFB-8: the register fills with ciphertext
        c = byte ^ first.encrypt_block(register)[0]
        encrypted.append(c)
        register = register[1:] + bytes([c])
    text = base64(encrypted).ljust(48, b"\0")  # unwritten positions are zero
    return sha256(text[16:32] + text[0:16])


# Passwords whose keys the native tests fix as known answers; lengths 0, 1, 21, 22, 31.
KNOWN_ANSWER_PASSWORDS = [b"", b"x", b"open sesame, my files", b"Rescindo-Recovery-2026", b"\xc3\xa9t\xc3\xa9 31 bytes of password, ok!"]

# Fixture parameters: the built-in key index and the password the Windows tests decrypt under.
FIXTURE_KEY_INDEX = 7
FIXTURE_PASSWORD = b"fixture password"


def known_answers():
    for password in KNOWN_ANSWER_PASSWORDS:
        key = password_key(password)
        iv = Blowfish(key).encrypt_block(bytes(8))
        print(len(password), password, "key", key.hex(), "iv", iv.hex())


def read_built_in_keys(path):
    source = open(path, encoding="utf-8").read()
    rows = re.findall(r"\{((?:\s*0x[0-9a-fA-F]{2},?){16})\s*\}", source)
    keys = [bytes(int(b, 16) for b in re.findall(r"0x([0-9a-fA-F]{2})", row)) for row in rows]
    assert len(keys) == 10, "expected ten built-in keys"
    return keys


def c_bytes(data):
    return ",".join(str(b) for b in data)


def fixtures(keys_source, output):
    rng = random.Random(20261208)
    sizes = [0, 5, 8, 8192, 8195, 16384] + [rng.randrange(1, 40000) for _ in range(3)]
    ciphers = [
        ("des", FIXTURE_KEY_INDEX, TwoKeyTripleDes(read_built_in_keys(keys_source)[FIXTURE_KEY_INDEX])),
        ("bf", 256, Blowfish(password_key(FIXTURE_PASSWORD))),
    ]
    blob = bytearray()
    rows = []
    for size in sizes:
        plain = bytes(rng.randrange(256) for _ in range(size))
        for name, selector, cipher in ciphers:
            rows.append((name, selector, size, len(blob), len(blob) + size))
            blob += plain + crypt_file(cipher, plain)
    with open(output, "w") as out:
        out.write("// Generated by openssl_oracle.py from OpenSSL's libcrypto; do not edit.\n")
        out.write('#include "tests/recovery/crypt_fixtures.h"\n\n')
        out.write("const char CryptFixturePassword[] = \"%s\";\n" % FIXTURE_PASSWORD.decode())
        out.write("const int32_t CryptFixtureKeyIndex = %d;\n" % FIXTURE_KEY_INDEX)
        out.write("static const uint8_t Data[] = {%s};\n" % c_bytes(blob or b"\0"))
        out.write("const CryptFixture CryptFixtures[] = {\n")
        for name, selector, size, plain_at, cipher_at in rows:
            out.write('    {"%s%d", %d, %d, Data + %d, Data + %d},\n' % (name, size, selector, size, plain_at, cipher_at))
        out.write("};\n")
        out.write("const uint32_t CryptFixtureCount = %d;\n" % len(rows))


if __name__ == "__main__":
    if sys.argv[1:2] == ["known-answers"]:
        known_answers()
    else:
        fixtures(sys.argv[2], sys.argv[3])
