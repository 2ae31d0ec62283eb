#!/usr/bin/env python3
"""Drive D: of the large-file decrypt run, for tests/wine/run-wine.sh: .crypt files at and above the
size where the decryptor overlaps reading, decrypting and writing, encrypted by OpenSSL under
built-in key 2, and afterwards the check that each came out byte for byte with nothing left over.
    large_crypt_drive.py DRIVES setup   makes DRIVES/d and DRIVES/expected (beside the drives)
    large_crypt_drive.py DRIVES check   compares DRIVES/d with DRIVES/expected; exit 1 on a difference
"""
import hashlib
import json
import os
import sys

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, here)
from openssl_oracle import TwoKeyTripleDes, crypt_file, read_built_in_keys  # noqa: E402

KEY_INDEX = 2
MIB = 1 << 20
# The least overlapped size, a short tail after it, a ring of chunks wrapped round, and one small
# file decrypted in turn between them.
SIZES = {"exact.bin": MIB, "tail.bin": MIB + 5, "small.bin": 16 << 10, "wrapped.bin": 3 * MIB + 3,
         "largest.bin": 4 * MIB}


def setup(drives):
    keys = read_built_in_keys(os.path.join(here, "../../recovery/builtin_des_keys.cpp"))
    cipher = TwoKeyTripleDes(keys[KEY_INDEX])
    folder = os.path.join(drives, "d")
    os.makedirs(folder, exist_ok=True)
    expected = {}
    for name, size in SIZES.items():
        plain = os.urandom(size)
        with open(os.path.join(folder, name + ".crypt"), "wb") as out:
            out.write(crypt_file(cipher, plain))
        expected[name] = hashlib.sha256(plain).hexdigest()
    with open(os.path.join(drives, "expected"), "w") as out:
        json.dump(expected, out)


def check(drives):
    with open(os.path.join(drives, "expected")) as source:
        expected = json.load(source)
    folder = os.path.join(drives, "d")
    wanted = set(expected) | {name + ".crypt" for name in expected}
    faults = ["left over: " + name for name in sorted(set(os.listdir(folder)) - wanted)]
    for name, digest in sorted(expected.items()):
        path = os.path.join(folder, name)
        if not os.path.exists(path):
            faults.append("not decrypted: " + name)
            continue
        with open(path, "rb") as source:
            if hashlib.sha256(source.read()).hexdigest() != digest:
                faults.append("differs from its plaintext: " + name)
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(setup(sys.argv[1]) if sys.argv[2] == "setup" else check(sys.argv[1]))
