#!/usr/bin/env python3
"""The ".crypt" files the decrypt tests give rescindo-cli.exe, encrypted by OpenSSL (through
tests/recovery/openssl_oracle.py), with their plaintexts:
  - the identification samples of tests/recovery/key_samples.py, files of many types under
    different keys, the password key among them;
  - files under one password that is not ASCII, for passwords read from files in every encoding;
  - a JPEG under key 4 whose first block key 0 also decrypts to the JPEG signature;
  - real documents of the types whose outputs are checked (tests/recovery/check_samples.py makes
    them with Python's zipfile, zlib, gzip and sqlite3 or by hand after the published layouts),
    under key 5, one of them damaged before it was encrypted, and a real JPEG whose first block
    is the collision's, so that only key 4's output of it checks.
    decrypt_fixtures.py KEYS_SOURCE OUTPUT.cpp
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../recovery"))
from key_samples import SAMPLES, SAMPLE_PASSWORD  # noqa: E402
import check_samples  # noqa: E402
from openssl_oracle import Blowfish, TwoKeyTripleDes, crypt_file, password_key, read_built_in_keys  # noqa: E402

PASSWORD = 256
# "été à Paris 2026" in Windows-1252, the ANSI code page of the test prefix: 16 bytes there,
# 19 as UTF-8.
ACCENTED_PASSWORD = "\u00e9t\u00e9 \u00e0 Paris 2026"
# 31 bytes, the longest password the key is made from.
LONGEST_PASSWORD = "thirty-one bytes of a password!"
assert len(LONGEST_PASSWORD) == 31

# JPEG (ITU-T T.81): SOI ff d8, then ff e1 opens an APP1 segment. The four bytes after it were
# found by counting n = 0, 1, 2... through them as a little-endian number until the block that key
# 4 makes of them is one that key 0 also decrypts to ff d8 ff: at n = 584490 (about 2^24 / 9
# expected), with OpenSSL's DES_ecb3_encrypt. Checked again below, so the fixture cannot go stale.
COLLISION_FIRST_BLOCK = bytes.fromhex("ffd8ffe129eb0800")
COLLISION_KEY, COLLISION_OTHER_KEY = 4, 0


def check_collision(keys, cipher_bytes):
    for index in (COLLISION_KEY, COLLISION_OTHER_KEY):
        # CBC: the first block decrypts to D(c0) xor the chain's start, E(zero block).
        des = TwoKeyTripleDes(keys[index])
        iv = des.encrypt_block(bytes(8))
        plain = bytes(a ^ b for a, b in zip(des.decrypt_block(cipher_bytes[:8]), iv))
        assert plain[:3] == b"\xff\xd8\xff", (index, plain.hex())


def c_bytes(data):
    return ",".join(str(b) for b in data) or "0"


def c_string(text):
    return '"' + "".join("\\x%02x" % b for b in text.encode("utf-8")) + '"'


def main(keys_source, output):
    keys = read_built_in_keys(keys_source)
    sample_blowfish = Blowfish(password_key(SAMPLE_PASSWORD))
    accented_blowfish = Blowfish(password_key(ACCENTED_PASSWORD.encode("cp1252")))
    longest_blowfish = Blowfish(password_key(LONGEST_PASSWORD.encode("ascii")))

    rows = []  # name, selector, identification, plain, cipher
    for name, plain, selector, expected in SAMPLES:
        cipher = sample_blowfish if selector == PASSWORD else TwoKeyTripleDes(keys[selector])
        rows.append((name, selector, expected, plain, crypt_file(cipher, plain)))
    memo = next(plain for name, plain, _, _ in SAMPLES if name == "memo.rtf")
    large = next(plain for name, plain, _, _ in SAMPLES if name == "large.bin")
    rows.append(("accented.rtf", PASSWORD, "KeyFound", memo, crypt_file(accented_blowfish, memo)))
    rows.append(("longest.bin", PASSWORD, "KeyNoSignature", large[:8195],
                 crypt_file(longest_blowfish, large[:8195])))
    collision_plain = COLLISION_FIRST_BLOCK + large[8:600]
    collision_cipher = crypt_file(TwoKeyTripleDes(keys[COLLISION_KEY]), collision_plain)
    check_collision(keys, collision_cipher)
    rows.append(("twokeys.jpg", COLLISION_KEY, "KeySeveralFit", collision_plain, collision_cipher))

    # Real documents, each checked whole when decrypted under key 5.
    check_samples.make_all()
    documents = {name: data for name, _, _, data, _, _ in check_samples.SAMPLES}
    real = [("deflated.zip", "real.zip"), ("document.odt", "real.odt"), ("image.png", "real.png"),
            ("log.gz", "real.gz"), ("table.pdf", "real.pdf"), ("store.sqlite", "real.sqlite")]
    for sample, name in real:
        plain = documents[sample]
        rows.append((name, 5, "KeyFound", plain, crypt_file(TwoKeyTripleDes(keys[5]), plain)))
    # The zip damaged before it was encrypted: one byte of its first entry's deflated data.
    damaged = bytearray(documents["deflated.zip"])
    damaged[60] ^= 0x10
    rows.append(("damaged.zip", 5, "KeyFound", bytes(damaged),
                 crypt_file(TwoKeyTripleDes(keys[5]), bytes(damaged))))
    # A real JPEG opened by an APP1 segment whose first bytes are the collision's first block.
    jpeg = documents["scans.jpg"]
    app1_length = int.from_bytes(COLLISION_FIRST_BLOCK[4:6], "big")
    app1 = COLLISION_FIRST_BLOCK[2:8] + bytes(app1_length - 4)
    real_collision = jpeg[:2] + app1 + jpeg[2:]
    assert real_collision[:8] == COLLISION_FIRST_BLOCK
    real_cipher = crypt_file(TwoKeyTripleDes(keys[COLLISION_KEY]), real_collision)
    check_collision(keys, real_cipher)
    # Both keys show the signature, but only key 4's output checks, so the run finds key 4.
    rows.append(("realtwokeys.jpg", COLLISION_KEY, "KeyFound", real_collision, real_cipher))

    with open(output, "w") as out:
        out.write("// Generated by decrypt_fixtures.py with OpenSSL's libcrypto; do not edit.\n")
        out.write('#include "tests/cli/decrypt_fixtures.h"\n\n')
        out.write("const char SamplePassword[] = %s;\n" % c_string(SAMPLE_PASSWORD.decode()))
        out.write("const char AccentedPassword[] = %s; // UTF-8\n" % c_string(ACCENTED_PASSWORD))
        out.write("const char LongestPassword[] = %s;\n" % c_string(LONGEST_PASSWORD))
        out.write("const int32_t CollisionKeys[2] = {%d, %d};\n" % (COLLISION_KEY, COLLISION_OTHER_KEY))
        for index, (name, selector, expected, plain, cipher) in enumerate(rows):
            out.write("static const uint8_t Plain%d[] = {%s};\n" % (index, c_bytes(plain)))
            out.write("static const uint8_t Cipher%d[] = {%s};\n" % (index, c_bytes(cipher)))
        out.write("const DecryptFixture DecryptFixtures[] = {\n")
        for index, (name, selector, expected, plain, cipher) in enumerate(rows):
            out.write('    {"%s", %d, %s, %d, Plain%d, Cipher%d},\n' % (name, selector, expected, len(plain), index, index))
        out.write("};\n")
        out.write("const uint32_t DecryptFixtureCount = %d;\n" % len(rows))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
