#!/usr/bin/env python3
"""A folder of ".crypt" files for the identification benchmark: each begins with the head of one of
the test samples (PDF, ZIP, PNG, JPEG, ...), is filled up with random bytes to the size asked, and is
encrypted by OpenSSL under built-in key (number mod 10). Writes KEYS listing "name key" lines.
    make_crypt_folder.py KEYS_SOURCE FOLDER COUNT MIB
    make_crypt_folder.py KEYS_SOURCE FOLDER COUNT SIZEk   (SIZE KiB)
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../tests/recovery"))
from key_samples import SAMPLES  # noqa: E402
from openssl_oracle import TwoKeyTripleDes, crypt_file, read_built_in_keys  # noqa: E402


def size_of(mib):
    """The size asked: "4" MiB or "16k" KiB."""
    return int(mib[:-1]) * 1024 if mib.endswith("k") else int(mib) * 1048576


def write_folder(keys_source, folder, plains):
    """Encrypts each (name, plain) as NN-name.crypt under built-in key (NN mod 10); writes KEYS."""
    keys = read_built_in_keys(keys_source)
    listing = []
    for number, (name, plain) in enumerate(plains):
        file_name = "%02d-%s.crypt" % (number, name)
        with open(os.path.join(folder, file_name), "wb") as out:
            out.write(crypt_file(TwoKeyTripleDes(keys[number % 10]), plain))
        listing.append("%s %d\n" % (file_name, number % 10))
    with open(os.path.join(folder, "KEYS"), "w") as out:
        out.writelines(listing)


def main(keys_source, folder, count, mib):
    typed = [(name, plain) for name, plain, _, expected in SAMPLES if expected == "KeyFound" and len(plain) >= 64]
    size = size_of(mib)
    plains = []
    for number in range(count):
        name, head = typed[number % len(typed)]
        plains.append((name, head[: size] + os.urandom(max(0, size - len(head)))))
    write_folder(keys_source, folder, plains)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4])
