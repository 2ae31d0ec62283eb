#!/usr/bin/env python3
"""Packs the built programs into the release zip, the same bytes on every run.

    pack-release.py DIST VERSION EPOCH README_SOURCE LICENSE PROGRAM.exe...

Writes DIST/rescindo-VERSION.zip (the programs in the order given, README.txt, LICENSE.txt and
SHA256SUMS of the programs) and DIST/SHA256SUMS (of the zip). Every entry gets the time EPOCH
(the commit's time, in UTC), the same attributes and the same compression; nothing is read from
the machine, the folder or the clock.
"""
import hashlib
import io
import os
import sys
import time
import zipfile

# Windows users open the texts in Notepad: CR LF line ends, plain ASCII.
CRLF = b"\r\n"
ZIP_EPOCH = (1980, 1, 1, 0, 0, 0)  # the earliest time a zip entry can hold


def fail(message):
    sys.exit(f"pack-release.py: {message}")


def windows_text(path, drop_notes=False):
    lines = []
    for number, line in enumerate(open(path, "rb").read().split(b"\n"), 1):
        line = line.removesuffix(b"\r")
        if drop_notes and line.startswith(b"#"):
            continue
        if any(byte > 0x7E or (byte < 0x20 and byte != 0x09) for byte in line):
            fail(f"{path}: line {number} holds a character that is not plain ASCII")
        lines.append(line)
    while lines and lines[-1].strip() == b"":
        lines.pop()
    return b"".join(line + CRLF for line in lines)


def checksum_lines(named_contents, line_end):
    # The layout of sha256sum, so that "sha256sum -c" checks it; certutil users compare by eye.
    return b"".join(
        hashlib.sha256(content).hexdigest().encode() + b"  " + name.encode() + line_end
        for name, content in named_contents
    )


def zip_entry(name, epoch, executable):
    entry = zipfile.ZipInfo(name, date_time=max(ZIP_EPOCH, time.gmtime(epoch)[:6]))
    entry.compress_type = zipfile.ZIP_DEFLATED
    entry.create_system = 3  # Unix, so that the mode below is what unzip on Linux applies
    entry.external_attr = (0o100755 if executable else 0o100644) << 16
    return entry


def write_replacing(path, data):
    # A crash leaves either the old file or the new one, never half of one.
    temporary = path + ".partial"
    with open(temporary, "wb") as out:
        out.write(data)
        out.flush()
        os.fsync(out.fileno())
    os.replace(temporary, path)


def main(argv):
    if len(argv) < 7:
        fail("usage: pack-release.py DIST VERSION EPOCH README_SOURCE LICENSE PROGRAM.exe...")
    dist, version, epoch, readme_source, license_path = argv[1:6]
    program_paths = argv[6:]
    if not epoch.isdigit():
        fail(f"the time must be seconds since 1970, not {epoch!r}")

    programs = [(os.path.basename(path), open(path, "rb").read()) for path in program_paths]
    names = [name for name, _ in programs]
    if len(set(names)) != len(names) or not all(name.endswith(".exe") for name in names):
        fail(f"the programs must be .exe files with different names: {names}")

    entries = [(name, content, True) for name, content in programs]
    entries.append(("README.txt", windows_text(readme_source, drop_notes=True), False))
    entries.append(("LICENSE.txt", windows_text(license_path), False))
    entries.append(("SHA256SUMS", checksum_lines(programs, CRLF), False))

    packed = io.BytesIO()
    with zipfile.ZipFile(packed, "w") as archive:
        for name, content, executable in entries:
            archive.writestr(zip_entry(name, int(epoch), executable), content, compresslevel=9)
    zip_name = f"rescindo-{version}.zip"

    os.makedirs(dist, exist_ok=True)
    write_replacing(os.path.join(dist, zip_name), packed.getvalue())
    write_replacing(
        os.path.join(dist, "SHA256SUMS"), checksum_lines([(zip_name, packed.getvalue())], b"\n")
    )
    print(os.path.join(dist, zip_name))


if __name__ == "__main__":
    main(sys.argv)
