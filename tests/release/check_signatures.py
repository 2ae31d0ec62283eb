#!/usr/bin/env python3
"""Checks the signatures of the release that check_reproducible.py built and signed.

    check_signatures.py RESULT_DIR

For each program in RESULT_DIR/signed (see check_reproducible.py):
- osslsigncode verify accepts it against the throwaway root (RESULT_DIR/root.pem): a SHA-256
  Authenticode signature by the throwaway signer, with a time stamp; against the system's roots
  alone it is refused;
- removing the signature (osslsigncode remove-signature) gives back, byte for byte, the program
  as built (RESULT_DIR/unsigned), the very bytes the tests ran;
- the signed program is the built one with the certificate table appended: up to the table the
  same bytes but for the PE checksum and the table's entry in the header, the table starting
  where the built program ends, the checksum correct (checked here without osslsigncode);
- the program with one byte changed after signing, anywhere the signature covers, is refused.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

SIGNER = "Rescindo release test signer"


def osslsigncode(*arguments):
    run = subprocess.run(["osslsigncode", *arguments], capture_output=True, text=True)
    return run.returncode, run.stdout + run.stderr


class PeLayout:
    """Where the fields that a signature changes lie in a PE file."""

    def __init__(self, content):
        header = struct.unpack_from("<I", content, 0x3C)[0]
        if content[header : header + 4] != b"PE\0\0":
            raise ValueError("no PE header")
        optional = header + 24
        magic = struct.unpack_from("<H", content, optional)[0]
        self.checksum = optional + 64
        # The data directories follow the fixed part of the optional header; the certificate
        # table is entry 4.
        directories = optional + (96 if magic == 0x10B else 112)
        self.certificate_entry = directories + 4 * 8
        self.table_offset, self.table_size = struct.unpack_from(
            "<II", content, self.certificate_entry
        )
        optional_size = struct.unpack_from("<H", content, header + 20)[0]
        first_section = optional + optional_size
        # The first section's raw data: code, which the signature covers.
        self.code_size, self.code_offset = struct.unpack_from("<II", content, first_section + 16)


def pe_checksum(content, checksum_offset):
    """The PE checksum: the file's little-endian 16-bit words added with end-around carry (the
    checksum field taken as 0), plus the file's length."""
    words = bytearray(content + b"\0" * (len(content) % 2))
    words[checksum_offset : checksum_offset + 4] = bytes(4)
    total = sum(struct.unpack(f"<{len(words) // 2}H", words))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(content)) & 0xFFFFFFFF


def check_layout(name, signed, unsigned):
    problems = []
    after, before = PeLayout(signed), PeLayout(unsigned)
    if (before.table_offset, before.table_size) != (0, 0):
        problems.append(f"{name} as built already has a certificate table")
    if after.table_offset != len(unsigned):
        problems.append(
            f"{name}: the certificate table starts at {after.table_offset:#x}, not where the built "
            f"program ends ({len(unsigned):#x}): padding came between them"
        )
    if after.table_offset + after.table_size != len(signed):
        problems.append(f"{name}: the certificate table does not end at the file's end")
    common = min(len(unsigned), len(signed))
    changed = [offset for offset in range(common) if signed[offset] != unsigned[offset]]
    allowed = set(range(after.checksum, after.checksum + 4))
    allowed |= set(range(after.certificate_entry, after.certificate_entry + 8))
    outside = [offset for offset in changed if offset not in allowed]
    if outside:
        problems.append(
            f"{name}: signing changed {len(outside)} bytes besides the checksum and the "
            f"certificate table's entry, the first at {outside[0]:#x}"
        )
    for which, content, layout in (("as built", unsigned, before), ("signed", signed, after)):
        stored = struct.unpack_from("<I", content, layout.checksum)[0]
        computed = pe_checksum(content, layout.checksum)
        if stored != computed:
            problems.append(
                f"{name} {which}: the PE checksum is {stored:#x}, the file's is {computed:#x}"
            )
    return problems


def check_program(name, result, work):
    signed_path = os.path.join(result, "signed", name)
    unsigned_path = os.path.join(result, "unsigned", name)
    root = os.path.join(result, "root.pem")
    signed, unsigned = open(signed_path, "rb").read(), open(unsigned_path, "rb").read()
    problems = []

    trust = ["-CAfile", root, "-TSA-CAfile", root]
    status, output = osslsigncode("verify", *trust, "-in", signed_path)
    if status != 0:
        return [f"{name}: osslsigncode verify refuses it against the throwaway root:\n{output}"]
    for needed in (
        "Message digest algorithm  : SHA256",
        f"Subject: /CN={SIGNER}",
        "Timestamp Server Signature verification: ok",
        "Signature verification: ok",
    ):
        if needed not in output:
            problems.append(f"{name}: osslsigncode verify does not say {needed!r}:\n{output}")

    status, output = osslsigncode("verify", "-in", signed_path)
    if status == 0:
        problems.append(f"{name}: verified against the system's roots, which never issued it")

    removed = os.path.join(work, name)
    status, output = osslsigncode("remove-signature", "-in", signed_path, "-out", removed)
    if status != 0:
        problems.append(f"{name}: osslsigncode remove-signature failed:\n{output}")
    elif open(removed, "rb").read() != unsigned:
        problems.append(f"{name} without its signature is not the program as built")

    problems += check_layout(name, signed, unsigned)

    # One byte in the middle of the code, and the last byte before the certificate table.
    layout = PeLayout(signed)
    for offset in (layout.code_offset + layout.code_size // 2, layout.table_offset - 1):
        changed = bytearray(signed)
        changed[offset] ^= 0x01
        path = os.path.join(work, f"changed-{offset:x}-{name}")
        with open(path, "wb") as out:
            out.write(changed)
        status, output = osslsigncode("verify", *trust, "-in", path)
        if status == 0 or "MISMATCH" not in output:
            problems.append(f"{name} with the byte at {offset:#x} changed verifies:\n{output}")
    return problems


def main(argv):
    if len(argv) != 2:
        print(__doc__)
        sys.exit(2)
    result = os.path.abspath(argv[1])
    if shutil.which("osslsigncode") is None:
        sys.exit("FAILED: osslsigncode is missing: run scripts/install-deps.sh")
    listing = open(os.path.join(result, "programs.txt")).read()
    names = [line for line in listing.splitlines() if line]
    problems = []
    with tempfile.TemporaryDirectory(prefix="rescindo-signatures.") as work:
        for name in names:
            problems += check_program(name, result, work)
    if problems:
        print("\n".join(f"FAILED: {problem}" for problem in problems))
        sys.exit(1)
    print(
        f"{', '.join(names)}: signed by the throwaway certificate with a time stamp, the "
        "built bytes once the signature is removed, refused with one byte changed"
    )


if __name__ == "__main__":
    main(sys.argv)
