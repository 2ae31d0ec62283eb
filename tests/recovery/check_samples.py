#!/usr/bin/env python3
"""Files of every type the output check knows, and the ways they are damaged, for
output_check_test.cpp. Where Python's standard library writes the format (zipfile, zlib, gzip,
sqlite3) the file is made by it; the others are laid out here by hand from each format's published
description (PNG, BMP, GIF, JPEG, PDF, 7z, RAR 4 and 5, and ZIP forms zipfile does not write),
independently of the program's checks, and ImageMagick's convert makes real JPEG images. Each
damage names the failure the check must find, where, and in which item, as worked out here from
the layout that was written (for deflate data, by zlib's own inflation of the damaged bytes).
    check_samples.py OUTPUT.cpp
    check_samples.py --seeds FOLDER   (the same files as seeds for fuzz/output_check_fuzz.cpp)
"""
import gzip
import io
import os
import random
import shutil
import sqlite3
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib

rng = random.Random(20260301)
FIXED_TIME = (2026, 3, 1, 12, 30, 0)
ANY = None  # a damage whose place or item is not pinned down

SAMPLES = []  # name, format, how it was made, bytes, items, unchecked items
DAMAGES = []  # sample, what, at, patch, resume, failure, failed at, item


def noise(count):
    return bytes(rng.randrange(256) for _ in range(count))


def text(count):
    words = [b"alpha", b"beta", b"gamma", b"delta", b"report", b"budget", b"line", b"\n"]
    out = bytearray()
    while len(out) < count:
        out += rng.choice(words) + b" "
    return bytes(out[:count])


def sample(name, fmt, made, data, items, unchecked=0):
    SAMPLES.append((name, fmt, made, bytes(data), items, unchecked))
    return bytes(data)


def data_of(name):
    return next(s[3] for s in SAMPLES if s[0] == name)


def splice(name, what, at, patch, resume, failure, failed_at=ANY, item=ANY):
    DAMAGES.append((name, what, at, bytes(patch), resume, failure, failed_at, item))


def flip(name, what, offset, failure, failed_at=ANY, item=ANY, mask=0x01):
    data = data_of(name)
    splice(name, what, offset, bytes([data[offset] ^ mask]), offset + 1, failure, failed_at, item)


def put(name, what, offset, patch, failure, failed_at=ANY, item=ANY):
    splice(name, what, offset, patch, offset + len(patch), failure, failed_at, item)


def truncate(name, what, length, failure, item=ANY):
    splice(name, what, length, b"", len(data_of(name)), failure, length, item)


def append(name, what, patch, failure="None", failed_at=ANY, item=ANY):
    size = len(data_of(name))
    splice(name, what, size, patch, size, failure, failed_at, item)


def identify(data, kind):
    """ImageMagick reads a hand-made image without complaint, when it is installed."""
    if shutil.which("identify") is None:
        return
    result = subprocess.run(["identify", "-regard-warnings", kind + ":-"], input=data,
                            capture_output=True)
    if result.returncode != 0:
        raise SystemExit("identify refused a hand-made %s: %s" % (kind, result.stderr.decode()))


# ---- ZIP (PKWARE APPNOTE.TXT 6.3) ---------------------------------------------------------

def raw_deflate(data, level=6):
    compressor = zlib.compressobj(level, zlib.DEFLATED, -15)
    return compressor.compress(data) + compressor.flush()


def zip_with_zipfile(members, seekable=True, comment=b""):
    """members: (name, data, method); an unseekable stream makes zipfile write data descriptors."""
    class Unseekable(io.RawIOBase):
        def __init__(self):
            self.data = bytearray()

        def writable(self):
            return True

        def write(self, b):
            self.data += b
            return len(b)

    out = io.BytesIO() if seekable else Unseekable()
    with zipfile.ZipFile(out, "w") as archive:
        for name, data, method in members:
            archive.writestr(zipfile.ZipInfo(name, FIXED_TIME), data, method)
        archive.comment = comment
    data = out.getvalue() if seekable else bytes(out.data)
    assert zipfile.ZipFile(io.BytesIO(data)).testzip() is None
    return data


def zip_by_hand(entries, zip64_end=False, signing_block=b"", comment=b""):
    """Entries laid out after APPNOTE 4.3: each a dict with name, data, method (0 or 8, or a
    method of another number whose data is taken as it is), flags, descriptor (None, "signed",
    "bare", "signed64", "bare64") and zip64 (a ZIP64 extra field in the local header).
    Returns the archive and each entry's local header offset."""
    out = bytearray()
    central = bytearray()
    offsets = []
    for entry in entries:
        name, plain = entry["name"], entry["data"]
        method = entry.get("method", 8)
        stored = raw_deflate(plain) if method == 8 else plain
        crc = zlib.crc32(plain)
        descriptor = entry.get("descriptor")
        flags = entry.get("flags", 0) | (0x0008 if descriptor else 0)
        zip64 = entry.get("zip64", False)
        offsets.append(len(out))
        head_crc, head_size, head_plain = (0, 0, 0) if descriptor else (crc, len(stored), len(plain))
        extra = b""
        if zip64:  # 4.5.3: both sizes in the local header's field
            extra = struct.pack("<HHQQ", 1, 16, head_plain, head_size)
            head_size = head_plain = 0xFFFFFFFF
        out += struct.pack("<IHHHHHIIIHH", 0x04034b50, 45 if zip64 else 20, flags, method, 0x6000,
                           0x5C61, head_crc, head_size, head_plain, len(name), len(extra))
        out += name + extra + stored
        if descriptor:  # 4.3.9
            wide = descriptor.endswith("64")
            fields = struct.pack("<IQQ" if wide else "<III", crc, len(stored), len(plain))
            out += (struct.pack("<I", 0x08074b50) if descriptor.startswith("signed") else b"") + fields
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014b50, 20, 20, flags, method, 0x6000,
                               0x5C61, crc, len(stored), len(plain), len(name), 0, 0, 0, 0, 0,
                               offsets[-1]) + name
    out += signing_block
    directory_at = len(out)
    out += central
    count, size = len(entries), len(central)
    if zip64_end:  # 4.3.14 and 4.3.15, with the end record's fields escaped
        end64_at = len(out)
        out += struct.pack("<IQHHIIQQQQ", 0x06064b50, 44, 45, 45, 0, 0, count, count, size, directory_at)
        out += struct.pack("<IIQI", 0x07064b50, 0, end64_at, 1)
        out += struct.pack("<IHHHHIIH", 0x06054b50, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFFFFFF,
                           0xFFFFFFFF, len(comment)) + comment
    else:
        out += struct.pack("<IHHHHIIH", 0x06054b50, 0, 0, count, count, size, directory_at,
                           len(comment)) + comment
    if not any(entry.get("flags", 0) & 1 for entry in entries):
        assert zipfile.ZipFile(io.BytesIO(bytes(out))).testzip() is None
    return bytes(out), offsets


def zip_offsets(data):
    return [info.header_offset for info in zipfile.ZipFile(io.BytesIO(data)).infolist()]


def zip_data_start(data, offset):
    name_length, extra_length = struct.unpack_from("<HH", data, offset + 26)
    return offset + 30 + name_length + extra_length


def directory_start(data):
    return struct.unpack_from("<I", data, len(data) - 22 - struct.unpack_from("<H", data, len(data) - 2)[0] + 16)[0]


def inflate_verdict(compressed, size, crc):
    """What checking an entry's deflate data against its recorded size and CRC-32 finds, as zlib
    inflates it with room for one byte past the size at most; None when a data error comes in the
    same step as that byte, so that either could be found first."""
    inflater = zlib.decompressobj(-15)
    out = bytearray()
    pending = compressed
    while True:
        try:
            piece = inflater.decompress(pending, 1)
        except zlib.error:
            return "Inflate" if len(out) < size else None
        out += piece
        pending = inflater.unconsumed_tail
        if len(out) > size:
            return "Size"
        if inflater.eof or (not piece and not pending):
            break
    if not inflater.eof or inflater.unused_data or len(out) != size:
        return "Size"
    return "Crc" if zlib.crc32(out) != crc else "None"


def zip_samples():
    doc = text(40000)
    deflated = sample("deflated.zip", "Zip", "zipfile, deflated: a 40 kB text, a short one, an empty file",
                      zip_with_zipfile([("notes/long.txt", doc, zipfile.ZIP_DEFLATED),
                                        ("short.txt", b"short text", zipfile.ZIP_DEFLATED),
                                        ("empty.txt", b"", zipfile.ZIP_DEFLATED)]), 3)
    offsets = zip_offsets(deflated)
    start = zip_data_start(deflated, offsets[0])
    info = zipfile.ZipFile(io.BytesIO(deflated)).infolist()[0]
    # A byte flipped in the deflate data: the first place found for each outcome.
    found = set()
    for position in range(start + 100, start + info.compress_size, 97):
        damaged = bytearray(deflated[start:start + info.compress_size])
        damaged[position - start] ^= 0x10
        verdict = inflate_verdict(bytes(damaged), info.file_size, info.CRC)
        if verdict not in found and verdict != "None":
            found.add(verdict)
            flip("deflated.zip", "a byte of entry 1's deflate data (%s)" % verdict, position, verdict,
                 offsets[0], 1, 0x10)
    assert "Inflate" in found and "Crc" in found
    put("deflated.zip", "entry 1's first block of a reserved type (RFC 1951 3.2.3)", start,
        bytes([deflated[start] | 0x06]), "Inflate", offsets[0], 1)
    flip("deflated.zip", "entry 2's CRC-32 in its local header", offsets[1] + 14, "Crc", offsets[1], 2)
    flip("deflated.zip", "entry 2's size in its local header", offsets[1] + 22, "Size", offsets[1], 2)
    flip("deflated.zip", "entry 2's compressed size in its local header", offsets[1] + 18, "Size",
         offsets[1], 2)
    directory = directory_start(deflated)
    flip("deflated.zip", "entry 1's CRC-32 in the central directory", directory + 16, "Directory",
         directory, 0)
    flip("deflated.zip", "entry 2's name in the central directory", directory + 46 + 14 + 46 + 2,
         "Directory", directory + 46 + 14, 0)
    flip("deflated.zip", "the count of entries in the end record", len(deflated) - 12, "Directory",
         len(deflated) - 22, 0)
    flip("deflated.zip", "the directory's offset in the end record", len(deflated) - 6, "Directory",
         len(deflated) - 22, 0)
    truncate("deflated.zip", "cut inside entry 1's data", start + 5000, "Truncated", 1)
    truncate("deflated.zip", "cut inside the central directory", directory + 10, "Truncated", 0)
    truncate("deflated.zip", "cut before the end record", len(deflated) - 22, "Truncated", 0)
    append("deflated.zip", "a byte after the end record", b"\0", "Structure", len(deflated), 0)
    put("deflated.zip", "a signature no record has", offsets[1], b"PK\x09\x09", "Structure",
        offsets[1], 0)

    stored = sample("stored.zip", "Zip", "zipfile, stored: 20 kB of random bytes and a text",
                    zip_with_zipfile([("random.bin", noise(20000), zipfile.ZIP_STORED),
                                      ("text.txt", text(3000), zipfile.ZIP_STORED)]), 2)
    offsets = zip_offsets(stored)
    flip("stored.zip", "a byte of entry 1's stored data", zip_data_start(stored, offsets[0]) + 12345,
         "Crc", offsets[0], 1)
    flip("stored.zip", "a byte of entry 2's stored data", zip_data_start(stored, offsets[1]) + 1,
         "Crc", offsets[1], 2)

    streamed = sample("streamed.zip", "Zip",
                      "zipfile on an unseekable stream: data descriptors after deflated and stored entries",
                      zip_with_zipfile([("a.txt", text(9000), zipfile.ZIP_DEFLATED),
                                        ("b.bin", noise(5000), zipfile.ZIP_STORED),
                                        ("c.txt", b"", zipfile.ZIP_STORED),
                                        ("d.txt", text(700), zipfile.ZIP_DEFLATED)], seekable=False), 4)
    offsets = zip_offsets(streamed)
    flip("streamed.zip", "a byte of entry 2's stored data: its end is not found",
         zip_data_start(streamed, offsets[1]) + 100, "Truncated", len(streamed), 2)
    flip("streamed.zip", "entry 1's CRC-32 in its data descriptor", offsets[1] - 12, "Crc", offsets[0], 1)
    flip("streamed.zip", "entry 1's size in its data descriptor", offsets[1] - 4, "Size", offsets[0], 1)
    flip("streamed.zip", "entry 3's CRC-32 in its data descriptor: its end is not found",
         offsets[3] - 12, "Truncated", len(streamed), 3)

    long_text = text(6000)
    forms = ["signed", "bare", "signed64", "bare64"]
    for method in (0, 8):
        entries = [{"name": b"%s-%d.txt" % (form.encode(), method), "data": long_text[:1000 + 500 * i],
                    "method": method, "descriptor": form, "zip64": form.endswith("64")}
                   for i, form in enumerate(forms)]
        entries.append({"name": b"bare-empty", "data": b"", "method": method, "descriptor": "bare"})
        data, _ = zip_by_hand(entries)
        name = "descriptors-%s.zip" % ("stored" if method == 0 else "deflated")
        sample(name, "Zip", "by hand: %s entries with data descriptors in all four forms (APPNOTE 4.3.9)"
               % ("stored" if method == 0 else "deflated"), data, 5)

    # PK\x01\x02 and a descriptor-like run inside stored data must not end the entry.
    decoy = b"x" * 40 + struct.pack("<IIII", 0x08074b50, 0, 40, 40) + b"PK\x01\x02" + b"y" * 30
    data, _ = zip_by_hand([{"name": b"decoy.bin", "data": decoy, "method": 0, "descriptor": "signed"}])
    sample("decoy.zip", "Zip", "by hand: stored data holding a data descriptor and a signature of its own",
           data, 1)

    data, offsets = zip_by_hand([{"name": b"big.txt", "data": long_text, "zip64": True},
                                 {"name": b"small.txt", "data": b"small", "method": 0, "zip64": True}],
                                zip64_end=True)
    sample("zip64.zip", "Zip", "by hand: ZIP64 extra fields and the ZIP64 end record and locator", data, 2)
    end64 = len(data) - 22 - 20 - 56
    flip("zip64.zip", "the entry count in the ZIP64 end record", end64 + 32, "Directory", end64, 0)
    flip("zip64.zip", "the locator's offset of the ZIP64 end record", len(data) - 22 - 20 + 8,
         "Directory", len(data) - 22 - 20, 0)

    sample("empty.zip", "Zip", "zipfile with no entry: the end record alone",
           zip_with_zipfile([]), 0)
    sample("commented.zip", "Zip", "zipfile with an archive comment",
           zip_with_zipfile([("a.txt", b"alpha " * 100, zipfile.ZIP_DEFLATED)], comment=b"the comment"), 1)
    sample("document.odt", "Zip", "zipfile as OpenDocument: mimetype stored first, then deflated XML",
           zip_with_zipfile([("mimetype", b"application/vnd.oasis.opendocument.text", zipfile.ZIP_STORED),
                             ("content.xml", b"<office:document-content>" + text(3000) + b"</office:document-content>",
                              zipfile.ZIP_DEFLATED),
                             ("META-INF/manifest.xml", b"<manifest:manifest/>", zipfile.ZIP_DEFLATED)]), 3)
    sample("other-methods.zip", "Zip", "zipfile: bzip2 and LZMA entries beside a deflated one",
           zip_with_zipfile([("a.txt", text(2000), zipfile.ZIP_BZIP2),
                             ("b.txt", text(2000), zipfile.ZIP_DEFLATED),
                             ("c.txt", text(2000), zipfile.ZIP_LZMA)]), 3, 2)

    # Encrypted entries: general purpose bit 0 in both headers over data taken as it is.
    data, offsets = zip_by_hand([{"name": b"secret.txt", "data": noise(3000), "method": 8, "flags": 1},
                                 {"name": b"secret-streamed.txt", "data": noise(2000), "method": 99,
                                  "flags": 1, "descriptor": "signed"},
                                 {"name": b"open.txt", "data": text(500), "method": 8}])
    sample("encrypted.zip", "Zip", "by hand: entries encrypted by their own password, one with a data "
           "descriptor, beside an open one", data, 3, 2)
    flip("encrypted.zip", "a byte of an encrypted entry's data: not looked at",
         zip_data_start(data, offsets[0]) + 10, "None")

    # APK Signature Scheme v2: the APK Signing Block between the entries and the central directory.
    pairs = struct.pack("<QI", 4 + 40, 0x7109871a) + noise(40)
    block = struct.pack("<Q", len(pairs) + 24) + pairs + struct.pack("<Q", len(pairs) + 24) + b"APK Sig Block 42"
    data, _ = zip_by_hand([{"name": b"AndroidManifest.xml", "data": text(800), "method": 8},
                           {"name": b"classes.dex", "data": noise(900), "method": 0}], signing_block=block)
    sample("signed.apk", "Zip", "by hand: an Android package with its APK Signing Block", data, 2)
    magic_at = data.index(b"APK Sig Block 42")
    flip("signed.apk", "the APK Signing Block's magic", magic_at + 3, "Structure", magic_at + 16 - len(block), 0)



# ---- PNG (ISO/IEC 15948:2004) --------------------------------------------------------------

def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png_samples():
    width, height = 40, 30
    rows = b"".join(b"\0" + bytes(v for x in range(width) for v in (x * 6 % 256, y * 8 % 256, (x + y) * 3 % 256))
                    for y in range(height))
    idat = zlib.compress(rows)
    chunks = [png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)),
              png_chunk(b"tEXt", b"Comment\0made by hand"),
              png_chunk(b"IDAT", idat[:len(idat) // 2]),
              png_chunk(b"IDAT", idat[len(idat) // 2:]),
              png_chunk(b"IEND", b"")]
    data = sample("image.png", "Png", "by hand: IHDR, tEXt, IDAT in two chunks, IEND",
                  b"\x89PNG\r\n\x1a\n" + b"".join(chunks), 5)
    identify(data, "png")
    at = [8]
    for chunk in chunks:
        at.append(at[-1] + len(chunk))
    flip("image.png", "a byte of the first IDAT's data", at[2] + 8 + 20, "Crc", at[2], 3)
    flip("image.png", "the tEXt chunk's CRC", at[2] - 1, "Crc", at[1], 2)
    put("image.png", "the second IDAT's length above 2^31 - 1", at[3], b"\x80", "Structure", at[3], 4)
    put("image.png", "a chunk type that is no letters", at[1] + 4, b"t3", "Structure", at[1], 2)
    put("image.png", "IHDR of length 12", at[0] + 3, b"\x0c", "Structure", 8, 1)
    put("image.png", "IHDR's colour type 5", at[0] + 8 + 9, b"\x05", "Structure", 8, 1)
    flip("image.png", "the signature", 1, "Signature", 0, 0)
    truncate("image.png", "cut inside the second IDAT", at[3] + 30, "Truncated", 4)
    truncate("image.png", "cut before IEND", at[4], "End", 0)
    truncate("image.png", "cut inside a chunk's length", at[4] + 2, "Truncated", 5)
    append("image.png", "bytes after IEND: a decoder stops at IEND", b"trailing")
    splice("image.png", "tEXt moved before IHDR", 8, chunks[1] + chunks[0], at[2], "Structure", 8, 1)

    gray = png_chunk(b"IHDR", struct.pack(">IIBBBBB", 1, 1, 1, 0, 0, 0, 0))
    data = sample("pixel.png", "Png", "by hand: one grey pixel of 1 bit",
                  b"\x89PNG\r\n\x1a\n" + gray + png_chunk(b"IDAT", zlib.compress(b"\0\x80")) + png_chunk(b"IEND", b""), 3)
    identify(data, "png")


# ---- gzip (RFC 1952) -------------------------------------------------------------------------

def gzip_member(data, name=None, comment=None, extra=None, header_crc=False):
    """RFC 1952 2.3 laid out by hand, with the optional fields chosen."""
    flags = (0x04 if extra is not None else 0) | (0x08 if name is not None else 0) | \
            (0x10 if comment is not None else 0) | (0x02 if header_crc else 0)
    header = bytes([0x1f, 0x8b, 8, flags]) + struct.pack("<I", 1767000000) + bytes([0, 3])
    if extra is not None:
        header += struct.pack("<H", len(extra)) + extra
    if name is not None:
        header += name + b"\0"
    if comment is not None:
        header += comment + b"\0"
    if header_crc:
        header += struct.pack("<H", zlib.crc32(header) & 0xffff)
    return header + raw_deflate(data) + struct.pack("<II", zlib.crc32(data), len(data) & 0xffffffff)


def gzip_samples():
    log = text(30000)
    out = io.BytesIO()
    with gzip.GzipFile("server.log", "wb", fileobj=out, mtime=0) as file:
        file.write(log)
    data = sample("log.gz", "Gzip", "gzip.GzipFile with the name server.log: a 30 kB text", out.getvalue(), 1)
    header = 10 + len(b"server.log") + 1
    compressed = data[header:-8]
    found = set()
    for position in range(200, len(compressed), 101):
        damaged = bytearray(compressed)
        damaged[position] ^= 0x04
        inflater = zlib.decompressobj(-15)
        try:
            plain = inflater.decompress(bytes(damaged) + data[-8:])
        except zlib.error:
            verdict = "Inflate"
        else:
            if not inflater.eof:
                continue
            trailer = inflater.unused_data[:8]
            if len(trailer) < 8:
                continue
            verdict = "Crc" if struct.unpack("<I", trailer[:4])[0] != zlib.crc32(plain) else \
                "Size" if struct.unpack("<I", trailer[4:])[0] != len(plain) else None
        if verdict is not None and verdict not in found:
            found.add(verdict)
            flip("log.gz", "a byte of the deflate data (%s)" % verdict, header + position, verdict, 0, 1, 0x04)
    assert "Inflate" in found and "Crc" in found
    flip("log.gz", "the CRC-32", len(data) - 7, "Crc", 0, 1)
    flip("log.gz", "ISIZE", len(data) - 2, "Size", 0, 1)
    put("log.gz", "the method 7", 2, b"\x07", "Structure", 0, 1)
    put("log.gz", "a reserved flag", 3, bytes([data[3] | 0x20]), "Structure", 0, 1)
    flip("log.gz", "ID2", 1, "Signature", 0, 0)
    truncate("log.gz", "cut inside the deflate data", 3000, "Truncated", 1)
    truncate("log.gz", "cut inside the trailer", len(data) - 3, "Truncated", 1)
    truncate("log.gz", "cut inside the name", 15, "Truncated", 1)
    append("log.gz", "zero padding after the member", bytes(512))
    append("log.gz", "bytes after the member that are no member", b"\0\0junk", "Structure", len(data) + 2, 0)

    first = gzip.compress(b"the first member\n" * 40, mtime=0)
    second = gzip.compress(text(5000), mtime=0)
    data = sample("members.gz", "Gzip", "gzip.compress twice, the members one after the other", first + second, 2)
    flip("members.gz", "the second member's CRC-32", len(data) - 7, "Crc", len(first), 2)
    put("members.gz", "the second member's ID2", len(first) + 1, b"\x00", "Structure", len(first), 2)
    truncate("members.gz", "cut inside the second member's header", len(first) + 4, "Truncated", 2)

    data = sample("fields.gz", "Gzip", "by hand: FEXTRA, FNAME, FCOMMENT and FHCRC (RFC 1952 2.3.1)",
                  gzip_member(text(4000), name=b"notes.txt", comment=b"a comment",
                              extra=b"AB\x02\x00xy", header_crc=True), 1)
    crc_at = 10 + 2 + 6 + len(b"notes.txt") + 1 + len(b"a comment") + 1
    flip("fields.gz", "the header CRC", crc_at, "Crc", 0, 1)
    flip("fields.gz", "a byte of the comment, under the header CRC", crc_at - 4, "Crc", 0, 1)
    assert gzip.decompress(data) is not None

    sample("nothing.gz", "Gzip", "gzip.compress of no bytes", gzip.compress(b"", mtime=0), 1)


# ---- JPEG (ITU-T T.81, Annex B) ---------------------------------------------------------------

def jpeg_segments(data):
    """The marker segments of a JPEG file, counted by walking them (T.81 B.1 and B.2)."""
    at, count = 2, 0
    while True:
        while data[at + 1] == 0xFF:
            at += 1
        code = data[at + 1]
        if code == 0xD9:
            return count
        count += 1
        if code == 0x01:
            at += 2
            continue
        at += 2 + struct.unpack_from(">H", data, at + 2)[0]
        if code == 0xDA:
            while not (data[at] == 0xFF and data[at + 1] not in (0x00, 0xFF) and not 0xD0 <= data[at + 1] <= 0xD7):
                at += 1


def jpeg_by_hand():
    """SOI, APP0 (JFIF 1.02), DQT, SOF0, DHT, DRI, two scans with stuffed bytes and restart
    markers, a COM, EOI. The scans' coded bits are not an image a decoder would draw."""
    def segment(code, body):
        return bytes([0xFF, code]) + struct.pack(">H", len(body) + 2) + body

    def scan_data(count):
        out = bytearray()
        for i in range(count):
            byte = rng.randrange(256)
            out += b"\xff\x00" if byte == 0xFF else bytes([byte])
            if i % 97 == 96:
                out += bytes([0xFF, 0xD0 + (i // 97) % 8])
        return bytes(out)

    parts = [b"\xff\xd8",
             segment(0xE0, b"JFIF\0\x01\x02\0\0\x01\0\x01\0\0"),
             segment(0xDB, b"\0" + bytes(range(1, 65))),
             segment(0xC2, struct.pack(">BHHB", 8, 16, 16, 1) + b"\x01\x11\x00"),
             segment(0xC4, b"\x00" + bytes([0, 1] + [0] * 14) + b"\x05"),
             segment(0xDD, struct.pack(">H", 4)),
             segment(0xDA, b"\x01\x01\x00\x00\x3f\x00"), scan_data(1500),
             b"\xff\xff",  # fill bytes before a marker
             segment(0xFE, b"between the scans"),
             segment(0xDA, b"\x01\x01\x00\x01\x3f\x00"), scan_data(800),
             b"\xff\xd9"]
    return parts


def jpeg_samples():
    parts = jpeg_by_hand()
    data = sample("scans.jpg", "Jpeg", "by hand: two scans with stuffed bytes and restart markers, "
                  "fill bytes, a comment between the scans", b"".join(parts), 8)
    assert jpeg_segments(data) == 8
    at = [0]
    for part in parts:
        at.append(at[-1] + len(part))
    put("scans.jpg", "the frame header's length one short", at[3] + 3, bytes([data[at[3] + 3] - 1]),
        "Structure", at[3], 3)
    put("scans.jpg", "a scan header of 5 components", at[6] + 4, b"\x05", "Structure", at[6], 6)
    put("scans.jpg", "a reserved marker after the frame header", at[4], b"\xff\x02", "Structure", at[4], 0)
    put("scans.jpg", "no 0xFF before the DHT marker", at[4], b"\x00", "Structure", at[4], 0)
    truncate("scans.jpg", "cut inside the second scan's data", at[11] + 300, "End", 0)
    truncate("scans.jpg", "cut inside the DQT segment", at[2] + 30, "Truncated", 2)
    truncate("scans.jpg", "cut before EOI", at[12], "End", 0)
    flip("scans.jpg", "SOI", 1, "Signature", 0, 0)
    append("scans.jpg", "bytes after EOI, as phones append", noise(100))
    splice("scans.jpg", "the frame header taken out", at[3], b"", at[4], "Structure", at[6] - len(parts[3]), 5)

    if shutil.which("convert") is None:
        raise SystemExit("ImageMagick's convert is needed to make the JPEG samples")
    for name, options, made in (("photo.jpg", [], "ImageMagick's convert: a baseline JPEG of a gradient"),
                                ("progressive.jpg", ["-interlace", "JPEG"],
                                 "ImageMagick's convert: a progressive JPEG of a gradient")):
        data = subprocess.run(["convert", "-size", "64x48", "gradient:red-blue", "-quality", "85"] + options +
                              ["jpg:-"], capture_output=True, check=True).stdout
        sample(name, "Jpeg", made, data, jpeg_segments(data))
    data = data_of("photo.jpg")
    truncate("photo.jpg", "cut in half", len(data) // 2, ANY)


# ---- PDF (ISO 32000-1:2008) -----------------------------------------------------------------

def pdf_with_table():
    objects = [b"<< /Type /Catalog /Pages 2 0 R >>", b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
               b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>"]
    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    out += b"".join(b"%010d 00000 n \n" % offset for offset in offsets)
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    return bytes(out), xref


def pdf_with_stream():
    out = bytearray(b"%PDF-1.5\n")
    offsets = [len(out)]
    out += b"1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n"
    offsets.append(len(out))
    out += b"2 0 obj\n<< /Type /Pages /Kids [] /Count 0 >>\nendobj\n"
    xref = len(out)
    rows = b"\x00\x00\x00\xff" + b"".join(b"\x01" + struct.pack(">H", o) + b"\x00" for o in offsets) + \
        b"\x01" + struct.pack(">H", xref) + b"\x00"
    out += (b"3 0 obj\n<< /Size 4 /Root 1 0 R /W [1 2 1] /ID [<0123456789abcdef><0123456789abcdef>]\n"
            b"/Type/XRef /Length %d >>\nstream\n" % len(rows)) + rows + b"\nendstream\nendobj\n"
    out += b"startxref\n%d\n%%%%EOF" % xref
    return bytes(out), xref


def pdf_samples():
    data, xref = pdf_with_table()
    sample("table.pdf", "Pdf", "by hand: three objects, a cross-reference table, the trailer", data, 0)
    tail = data.rindex(b"startxref")
    assert len(str(xref + 1)) == len(str(xref))
    put("table.pdf", "startxref's offset one past the table", tail + 10, str(xref + 1).encode(),
        "CrossReference", xref + 1, 0)
    truncate("table.pdf", "cut before %%EOF", len(data) - 6, "End", 0)
    append("table.pdf", "white space after %%EOF", b"\r\n \0\n")
    append("table.pdf", "text after %%EOF", b"junk\n", "End", len(data) + 5, 0)
    put("table.pdf", "startxref misspelt", tail, b"startxrez", "Structure", len(data) - 6, 0)
    put("table.pdf", "the header", 0, b"%PDX", "Signature", 0, 0)
    append("table.pdf", "an offset past the file's end",
           b"startxref\n%d\n%%%%EOF\n" % (len(data) + 100), "CrossReference", len(data) + 10, 0)

    data, xref = pdf_with_stream()
    sample("stream.pdf", "Pdf", "by hand: a cross-reference stream (/Type/XRef) and no white space "
           "after %%EOF", data, 0)
    at = data.index(b"/Type/XRef")
    put("stream.pdf", "the stream's /Type /XRef changed to /XRefs", at + 6, b"XRefs", "CrossReference", xref, 0)
    truncate("stream.pdf", "the header alone", 9, "End", 0)


# ---- BMP (Windows SDK: BITMAPFILEHEADER, BITMAPINFOHEADER, BITMAPCOREHEADER) ---------------

def bmp(width, height, bits, header="info", compression=0, pixels=None, palette=b""):
    stride = (width * bits + 31) // 32 * 4
    if pixels is None:
        pixels = noise(stride * abs(height))
    if header == "core":
        info = struct.pack("<IHHHH", 12, width, height, 1, bits)
    else:
        info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, len(pixels), 2835, 2835,
                           len(palette) // 4, 0)
    offset = 14 + len(info) + len(palette)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + info + palette + pixels


def bmp_samples():
    data = sample("photo.bmp", "Bmp", "by hand: 5 by 3 pixels of 24 bits, rows padded to 4 bytes", bmp(5, 3, 24), 0)
    identify(data, "bmp")
    put("photo.bmp", "bfSize one more", 2, struct.pack("<I", len(data) + 1), "Size", 2, 0)
    put("photo.bmp", "two planes", 26, b"\x02", "Structure", 0, 0)
    put("photo.bmp", "12 bits per pixel", 28, b"\x0c", "Structure", 0, 0)
    put("photo.bmp", "a header size of 41", 14, b"\x29", "Structure", 14, 0)
    put("photo.bmp", "the pixels' offset past the file", 10, struct.pack("<I", len(data) + 1), "Structure", 0, 0)
    splice("photo.bmp", "cut inside the pixels", len(data) - 1, b"", len(data), "Size", 54, 0)
    truncate("photo.bmp", "cut inside the header", 20, "Truncated", 0)
    put("photo.bmp", "BM", 0, b"MB", "Signature", 0, 0)
    palette = b"".join(bytes((i, i, i, 0)) for i in range(256))
    data = sample("gray.bmp", "Bmp", "by hand: 7 by 2 pixels of 8 bits with a palette of 256 greys",
                  bmp(7, 2, 8, palette=palette), 0)
    identify(data, "bmp")
    data = sample("core.bmp", "Bmp", "by hand: a BITMAPCOREHEADER bitmap of 3 by 3 pixels of 24 bits",
                  bmp(3, 3, 24, header="core"), 0)
    sample("topdown.bmp", "Bmp", "by hand: a top-down bitmap (negative height) of 32 bits", bmp(4, -4, 32), 0)
    rle = b"\x03\x01\x02\x02\x00\x00\x03\x03\x00\x01"  # two rows of RLE8 and the end of the bitmap
    sample("rle.bmp", "Bmp", "by hand: RLE8-compressed, 5 by 2 pixels", bmp(5, 2, 8, compression=1, pixels=rle,
                                                                          palette=palette[:16]), 0)


# ---- SQLite (the SQLite database file format, 1.3) ----------------------------------------

def sqlite_file(page_size, rows):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "store.sqlite")
        connection = sqlite3.connect(path)
        connection.execute("PRAGMA page_size = %d" % page_size)
        connection.execute("CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT)")
        connection.executemany("INSERT INTO notes (body) VALUES (?)", [(text(300).decode(),) for _ in range(rows)])
        connection.commit()
        connection.close()
        return open(path, "rb").read()


def sqlite_samples():
    data = sqlite_file(1024, 40)
    pages = len(data) // 1024
    sample("store.sqlite", "Sqlite", "sqlite3: a table of 40 rows in pages of 1024 bytes", data, pages)
    splice("store.sqlite", "cut inside the last page", len(data) - 100, b"", len(data), "Size",
           (pages - 1) * 1024, 0)
    splice("store.sqlite", "the last page cut off", len(data) - 1024, b"", len(data), "Size", 28, 0)
    put("store.sqlite", "a page size of 1000", 16, struct.pack(">H", 1000), "Structure", 0, 0)
    put("store.sqlite", "a maximum payload fraction of 65", 21, b"\x41", "Structure", 0, 0)
    put("store.sqlite", "the header string", 0, b"SQLite format 4", "Signature", 0, 0)
    truncate("store.sqlite", "cut inside the header", 50, "Truncated", 0)
    # A change counter that no longer matches version-valid-for makes the in-header size invalid
    # (1.3.7), so the file's size alone counts.
    counter = struct.unpack_from(">I", data, 24)[0]
    splice("store.sqlite", "the last page cut off, the in-header size no longer valid", 24,
           struct.pack(">I", counter + 1) + data[28:len(data) - 1024], len(data), "None")
    data = sqlite_file(65536, 1)
    sample("large-pages.sqlite", "Sqlite", "sqlite3: pages of 65536 bytes (page size field 1)", data,
           len(data) // 65536)


# ---- 7z (7zFormat.txt) ----------------------------------------------------------------------

def seven_zip(packed, next_header):
    start = struct.pack("<QQI", len(packed), len(next_header), zlib.crc32(next_header))
    return b"7z\xbc\xaf\x27\x1c\x00\x04" + struct.pack("<I", zlib.crc32(start)) + start + packed + next_header


def seven_zip_samples():
    packed = text(100)
    # kHeader; kMainStreamsInfo: kPackInfo (pack position 0, one stream, kSize 100), kUnPackInfo
    # (one folder of one Copy coder, unpacked size 100), kEnd; kFilesInfo: one file, kName; kEnd.
    name = "notes.txt".encode("utf-16-le") + b"\0\0"
    next_header = (b"\x01\x04\x06\x00\x01\x09\x64\x00\x07\x0b\x01\x00\x01\x01\x00\x0c\x64\x00\x00"
                   b"\x05\x01\x11" + bytes([len(name) + 1]) + b"\x00" + name + b"\x00\x00")
    data = sample("bundle.7z", "7z", "by hand: a stored file and its header (7zFormat.txt)",
                  seven_zip(packed, next_header), 2)
    flip("bundle.7z", "the start header's CRC", 9, "Crc", 0, 1)
    flip("bundle.7z", "the next header's size, under the start header's CRC", 20, "Crc", 0, 1)
    flip("bundle.7z", "a byte of the next header", 32 + 100 + 5, "Crc", 132, 2)
    put("bundle.7z", "a next header that opens with no header's property", 132, b"\x02", "Structure", 132, 2)
    put("bundle.7z", "version 1", 6, b"\x01", "Structure", 0, 1)
    flip("bundle.7z", "a byte of the packed stream: not looked at", 40, "None")
    truncate("bundle.7z", "cut inside the next header", len(data) - 3, "Truncated", 2)
    truncate("bundle.7z", "cut inside the signature header", 20, "Truncated", 1)
    sample("empty.7z", "7z", "by hand: an empty archive, the signature header alone", seven_zip(b"", b""), 1)


# ---- RAR 4 (technote.txt) and RAR 5.0 -------------------------------------------------------

def rar4_block(kind, flags, fields, data=b""):
    body = bytes([kind]) + struct.pack("<HH", flags, 2 + 1 + 2 + 2 + len(fields)) + fields
    return struct.pack("<H", zlib.crc32(body) & 0xffff) + body + data


def rar4_file(name, data, large=False):
    flags = 0x8000 | (0x0100 if large else 0)
    fields = struct.pack("<IIBIIBBHI", len(data), len(data), 2, zlib.crc32(data), 0x5C616000, 29, 0x30,
                         len(name), 0x20)
    if large:
        fields += struct.pack("<II", 0, 0)
    return rar4_block(0x74, flags, fields + name, data)


def vint(value):
    out = bytearray()
    while True:
        out.append((value & 0x7F) | (0x80 if value > 0x7F else 0))
        value >>= 7
        if not value:
            return bytes(out)


def rar5_header(kind, flags, fields, extra=b"", data=b""):
    body = vint(kind) + vint(flags | (0x0001 if extra else 0) | (0x0002 if data else 0))
    if extra:
        body += vint(len(extra))
    if data:
        body += vint(len(data))
    body += fields + extra
    sized = vint(len(body)) + body
    return struct.pack("<I", zlib.crc32(sized)) + sized + data


def rar_samples():
    first, second = text(3000), noise(700)
    blocks = [b"Rar!\x1a\x07\x00",
              rar4_block(0x73, 0, bytes(6)),
              rar4_file(b"notes.txt", first),
              rar4_block(0x7a, 0x8000, struct.pack("<IIBIIBBHI", 5, 5, 2, zlib.crc32(b"hello"), 0, 29, 0x30, 3, 0) + b"CMT",
                         b"hello"),
              rar4_file(b"data.bin", second, large=True),
              rar4_block(0x7b, 0x4000, b"")]
    data = sample("old.rar", "Rar", "by hand: RAR 4 blocks: main, two stored files (one with "
                  "LHD_LARGE), a comment sub-block, the end of the archive", b"".join(blocks), 5)
    at = [0]
    for block in blocks:
        at.append(at[-1] + len(block))
    flip("old.rar", "the main header's CRC", at[1], "Crc", at[1], 1)
    flip("old.rar", "a byte of the first file's name", at[2] + 32 + 2, "Crc", at[2], 2)
    flip("old.rar", "a byte of the first file's data: not looked at", at[3] - 10, "None")
    put("old.rar", "a block of unknown type 0x70", at[5] + 2, b"\x70", "Structure", at[5], 5)
    put("old.rar", "the second file's header size below its fields", at[4] + 5, struct.pack("<H", 20),
        "Structure", at[4], 4)
    truncate("old.rar", "cut before the end of the archive", at[5], "End", 0)
    truncate("old.rar", "cut inside the second file's data", at[5] - 100, "Truncated", 4)
    put("old.rar", "the marker block's last byte 2", 6, b"\x02", "Signature", 0, 0)
    sample("locked.rar", "Rar", "by hand: RAR 4 whose block headers are encrypted (MHD_PASSWORD), "
           "checked to its main header", blocks[0] + rar4_block(0x73, 0x0080, bytes(6)) + noise(400), 1, 1)

    content = text(2500)
    file_fields = vint(0x0004) + vint(len(content)) + vint(0x20) + struct.pack("<I", zlib.crc32(content)) + \
        vint(0) + vint(1) + vint(len(b"notes.txt")) + b"notes.txt"
    time_record = vint(6) + vint(3) + vint(0x0003) + struct.pack("<I", 1767000000)
    headers = [b"Rar!\x1a\x07\x01\x00",
               rar5_header(1, 0, vint(0)),
               rar5_header(2, 0, file_fields, extra=time_record, data=content),
               rar5_header(3, 0, vint(0) + vint(5) + vint(0) + vint(0) + vint(1) + vint(3) + b"CMT", data=b"hello"),
               rar5_header(5, 0, vint(0))]
    data = sample("new.rar", "Rar", "by hand: RAR 5.0 headers: main, a stored file with a time "
                  "record, a comment service header, the end of the archive", b"".join(headers), 4)
    at = [0]
    for header in headers:
        at.append(at[-1] + len(header))
    flip("new.rar", "the file header's CRC-32", at[2] + 1, "Crc", at[2], 2)
    flip("new.rar", "a byte of the file's time record", at[3] - len(content) - 3, "Crc", at[2], 2)
    put("new.rar", "a header size of 4 bytes", at[1] + 4, b"\x80\x80\x80\x01", "Structure", at[1], 1)
    truncate("new.rar", "cut before the end of the archive", at[4], "End", 0)
    truncate("new.rar", "cut inside the file's data", at[3] - 1000, "Truncated", 2)
    truncate("new.rar", "cut inside the end header", len(data) - 1, "Truncated", 4)
    put("new.rar", "the signature's last byte 1", 7, b"\x01", "Signature", 0, 0)
    sample("locked5.rar", "Rar", "by hand: RAR 5.0 with the archive encryption header, checked to it",
           headers[0] + rar5_header(4, 0, vint(0) + vint(0) + vint(15) + noise(16) + noise(16)) + noise(300), 1, 1)


# ---- GIF (GIF89a) ---------------------------------------------------------------------------

def gif_image_data(pixels, code_size=2):
    """LZW codes (GIF89a Appendix F) that never grow past their first width: a clear code before
    every two pixels, so a decoder's table never fills the width."""
    clear, end, width = 1 << code_size, (1 << code_size) + 1, code_size + 1
    codes = []
    for i, pixel in enumerate(pixels):
        if i % 2 == 0:
            codes.append(clear)
        codes.append(pixel)
    codes.append(end)
    bits, count, out = 0, 0, bytearray()
    for code in codes:
        bits |= code << count
        count += width
        while count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            count -= 8
    if count:
        out.append(bits & 0xFF)
    blocks = b"".join(bytes([len(out[i:i + 255])]) + out[i:i + 255] for i in range(0, len(out), 255))
    return bytes([code_size]) + blocks + b"\0"


def gif_samples():
    width = height = 20
    pixels = [(x + y) % 4 for y in range(height) for x in range(width)]
    screen = b"GIF89a" + struct.pack("<HHBBB", width, height, 0xF1, 0, 0) + bytes((0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255))
    parts = [screen,
             b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00",
             b"\x21\xfe\x0emade by hand..\x00",
             b"\x21\xf9\x04\x04\x0a\x00\x00\x00",
             b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0) + gif_image_data(pixels),
             b"\x21\xf9\x04\x04\x0a\x00\x00\x00",
             b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0x81) + bytes(range(12)) +
             gif_image_data(pixels[::-1]),
             b"\x3b"]
    data = sample("anim.gif", "Gif", "by hand: two frames, the second with its own colour table, a "
                  "loop, a comment and graphic controls", b"".join(parts), 2)
    identify(data, "gif")
    at = [0]
    for part in parts:
        at.append(at[-1] + len(part))
    truncate("anim.gif", "cut before the trailer", at[7], "End", 0)
    truncate("anim.gif", "cut inside the second frame's data", at[7] - 20, "Truncated", 2)
    truncate("anim.gif", "cut inside the comment", at[2] + 6, "Truncated", 0)
    put("anim.gif", "a block of no kind", at[3], b"\x22", "Structure", at[3], 0)
    put("anim.gif", "a code size of 12", at[4] + 10, b"\x0c", "Structure", at[4], 1)
    put("anim.gif", "the version 88a", 3, b"88a", "Signature", 0, 0)
    append("anim.gif", "bytes after the trailer", b"\0\0")
    data = sample("still.gif", "Gif", "by hand: GIF87a, one image, no extension",
                  b"GIF87a" + struct.pack("<HHBBB", 4, 4, 0x80, 0, 0) + bytes(6) +
                  b"\x2c" + struct.pack("<HHHHB", 0, 0, 4, 4, 0) + gif_image_data([0, 1] * 8, 2) + b"\x3b", 1)
    identify(data, "gif")


def c_bytes(data):
    return ",".join(str(b) for b in data)


def c_text(value):
    return '"%s"' % value.replace("\\", "\\\\").replace('"', '\\"')


def c_count(value):
    return "CheckAny" if value is None else "%du" % value


FORMAT_NUMBERS = {"Zip": 1, "Png": 2, "Gzip": 3, "Jpeg": 4, "Pdf": 5, "Bmp": 6, "Sqlite": 7, "7z": 8,
                  "Rar": 9, "Gif": 10}


def make_all():
    zip_samples()
    png_samples()
    gzip_samples()
    jpeg_samples()
    pdf_samples()
    bmp_samples()
    sqlite_samples()
    seven_zip_samples()
    rar_samples()
    gif_samples()


def write_seeds(folder):
    """Each sample and each damaged file after the fuzzer's five bytes: the format, the seed."""
    os.makedirs(folder, exist_ok=True)
    formats = {name: fmt for name, fmt, *_ in SAMPLES}
    files = [(name, formats[name], data) for name, _, _, data, _, _ in SAMPLES]
    for number, (name, what, at, patch, resume, *_) in enumerate(DAMAGES):
        data = data_of(name)
        files.append(("%s-%d" % (name, number), formats[name], data[:at] + patch + data[resume:]))
    for name, fmt, data in files:
        with open(os.path.join(folder, name), "wb") as out:
            out.write(bytes([FORMAT_NUMBERS[fmt] - 1, 0, 0, 0, 0]) + data)


def main(output):
    make_all()
    blob = bytearray()
    rows = []
    for name, fmt, made, data, items, unchecked in SAMPLES:
        rows.append((name, fmt, made, len(blob), len(data), items, unchecked))
        blob += data
    damage_rows = []
    for name, what, at, patch, resume, failure, failed_at, item in DAMAGES:
        damage_rows.append((name, what, at, len(blob), len(patch), resume, failure, failed_at, item))
        blob += patch
    with open(output, "w") as out:
        out.write("// Generated by check_samples.py; do not edit.\n")
        out.write('#include "tests/recovery/check_samples.h"\n\n')
        out.write("static const uint8_t Data[] = {%s};\n" % c_bytes(blob))
        out.write("const CheckSample CheckSamples[] = {\n")
        for name, fmt, made, at, size, items, unchecked in rows:
            out.write("    {%s, CheckFormat%s, %s, Data + %d, %du, %s, %du},\n" %
                      (c_text(name), fmt, c_text(made), at, size, c_count(items), unchecked))
        out.write("};\n")
        out.write("const uint32_t CheckSampleCount = %d;\n" % len(rows))
        out.write("const CheckDamage CheckDamages[] = {\n")
        for name, what, at, patch_at, patch_size, resume, failure, failed_at, item in damage_rows:
            failure_name = "CheckAnyFailure" if failure is None else "CheckFailure" + failure
            out.write("    {%s, %s, %du, Data + %d, %du, %du, %s, %s, %s},\n" %
                      (c_text(name), c_text(what), at, patch_at, patch_size, resume, failure_name,
                       c_count(failed_at), c_count(item)))
        out.write("};\n")
        out.write("const uint32_t CheckDamageCount = %d;\n" % len(damage_rows))


if __name__ == "__main__":
    if sys.argv[1] == "--seeds":
        make_all()
        write_seeds(sys.argv[2])
    else:
        main(sys.argv[1])
