#!/usr/bin/env python3
"""Packs the built programs into the release zip, the same bytes on every run.

    pack-release.py DIST VERSION EPOCH README_SOURCE LICENSE PROGRAM.exe...
                    [--unsigned UNSIGNED.exe...]

Writes DIST/rescindo-VERSION.zip (the programs in the order given, README.txt, LICENSE.txt and
SHA256SUMS of the programs) and DIST/SHA256SUMS (of the zip). Every entry gets the time EPOCH
(the commit's time, in UTC), the same attributes and the same compression; nothing is read from
the machine, the folder or the clock.

With --unsigned, the PROGRAMs are signed and the UNSIGNED ones are the same programs as built,
of the same names in the same order: their checksums go into SHA256SUMS-unsigned, in the zip
after SHA256SUMS and in DIST, so that anyone can compare a rebuild with a signed release.
Without it, DIST keeps no SHA256SUMS-unsigned of an earlier signed release.
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
# The checksums of the programs before they were signed, in a signed release.
UNSIGNED_SUMS = "SHA256SUMS-unsigned"


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


def read_programs(paths):
    programs = [(os.path.basename(path), open(path, "rb").read()) for path in paths]
    names = [name for name, _ in programs]
    if len(set(names)) != len(names) or not all(name.endswith(".exe") for name in names):
        fail(f"the programs must be .exe files with different names: {names}")
    return programs


def main(argv):
    usage = (
        "usage: pack-release.py DIST VERSION EPOCH README_SOURCE LICENSE PROGRAM.exe... "
        "[--unsigned UNSIGNED.exe...]"
    )
    arguments = argv[1:]
    unsigned_paths = None
    if "--unsigned" in arguments:
        split = arguments.index("--unsigned")
        arguments, unsigned_paths = arguments[:split], arguments[split + 1 :]
    if len(arguments) < 6:
        fail(usage)
    dist, version, epoch, readme_source, license_path = arguments[:5]
    program_paths = arguments[5:]
    if not epoch.isdigit():
        fail(f"the time must be seconds since 1970, not {epoch!r}")

    programs = read_programs(program_paths)
    unsigned = None
    if unsigned_paths is not None:
        unsigned = read_programs(unsigned_paths)
        if [name for name, _ in unsigned] != [name for name, _ in programs]:
            fail(
                f"the unsigned programs {[name for name, _ in unsigned]} must be the signed ones "
                f"{[name for name, _ in programs]}, in the same order"
            )

    entries = [(name, content, True) for name, content in programs]
    entries.append(("README.txt", windows_text(readme_source, drop_notes=True), False))
    entries.append(("LICENSE.txt", windows_text(license_path), False))
    entries.append(("SHA256SUMS", checksum_lines(programs, CRLF), False))
    if unsigned is not None:
        entries.append((UNSIGNED_SUMS, checksum_lines(unsigned, CRLF), False))

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
    unsigned_sums = os.path.join(dist, UNSIGNED_SUMS)
    if unsigned is not None:
        write_replacing(unsigned_sums, checksum_lines(unsigned, b"\n"))
    elif os.path.lexists(unsigned_sums):
        os.remove(unsigned_sums)
    print(os.path.join(dist, zip_name))


if __name__ == "__main__":
    main(sys.argv)
