#!/usr/bin/env python3
"""A folder of ".crypt" files for the check benchmark: whole files of about the size asked that the
output check takes as sound, in turn a ZIP of several deflated entries (zipfile), a ZIP of stored
entries, a PNG of real zlib-compressed IDAT chunks, a gzip member, a baseline JPEG laid out segment
by segment with stuffed scan bytes and restart markers, and a PDF of deflated streams with a
cross-reference table; each encrypted by OpenSSL under built-in key (number mod 10). Writes KEYS
listing "name key" lines.
    make_check_folder.py KEYS_SOURCE FOLDER COUNT MIB
    make_check_folder.py KEYS_SOURCE FOLDER COUNT SIZEk   (SIZE KiB)
"""
import gzip
import io
import os
import random
import struct
import sys
import zipfile
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../tests/recovery"))
from check_samples import FIXED_TIME, png_chunk  # noqa: E402
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_crypt_folder import size_of, write_folder  # noqa: E402

WORDS = [b"alpha", b"beta", b"gamma", b"delta", b"report", b"budget", b"line", b"invoice",
         b"total", b"quarter", b"March", b"customer", b"order", b"shipped", b"the", b"of", b"and"]


def document_text(rng, size):
    """Text that deflates to about a quarter of its size, as logs and office documents do."""
    out = bytearray()
    while len(out) < size:
        words = rng.choices(WORDS, k=12)
        out += b"%06d %s %d.%02d\n" % (rng.randrange(10 ** 6), b" ".join(words), rng.randrange(10 ** 5),
                                       rng.randrange(100))
    return bytes(out[:size])


def deflated_zip(rng, size):
    """Documents and, like the pictures they hold, already-compressed parts stored deflated too."""
    out = io.BytesIO()
    number = 0
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as archive:
        while out.tell() < size:
            part = document_text(rng, 512 * 1024) if number % 3 != 2 else rng.randbytes(256 * 1024)
            archive.writestr(zipfile.ZipInfo("part%03d.%s" % (number, "xml" if number % 3 != 2 else "bin"),
                                             FIXED_TIME), part, zipfile.ZIP_DEFLATED)
            number += 1
    return out.getvalue()


def stored_zip(rng, size):
    out = io.BytesIO()
    number = 0
    with zipfile.ZipFile(out, "w", zipfile.ZIP_STORED) as archive:
        while out.tell() < size:
            archive.writestr(zipfile.ZipInfo("photo%03d.jpg" % number, FIXED_TIME),
                             rng.randbytes(min(384 * 1024, size - out.tell() + 1)), zipfile.ZIP_STORED)
            number += 1
    return out.getvalue()


def png_image(rng, size):
    """An RGB photograph's worth of pixels: a gradient with noise, so the image deflates as
    photographs do, cut into IDAT chunks of 64 KiB as most writers cut them."""
    width = 1024
    rows = []
    compressor = zlib.compressobj(6)
    idat = bytearray()
    row_number = 0
    while len(idat) < size:
        noise = rng.randbytes(width * 3)
        row = bytes((noise[i] & 0x3f) + (i + row_number) % 192 for i in range(0, width * 3, 1))
        rows.append(b"\x01" + row)
        idat += compressor.compress(rows[-1])
        row_number += 1
    idat += compressor.flush()
    header = png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, row_number, 8, 2, 0, 0, 0))
    chunks = [png_chunk(b"IDAT", bytes(idat[at:at + 65536])) for at in range(0, len(idat), 65536)]
    return b"\x89PNG\r\n\x1a\n" + header + png_chunk(b"tEXt", b"Comment\0benchmark") + b"".join(chunks) + \
        png_chunk(b"IEND", b"")


def gzip_log(rng, size):
    """A log compressed whole: about four times its size inflated."""
    out = io.BytesIO()
    with gzip.GzipFile(fileobj=out, mode="wb", mtime=1767000000) as member:
        while out.tell() < size:
            member.write(document_text(rng, 256 * 1024))
    return out.getvalue()


def jpeg_image(rng, size):
    """SOI, APP0, DQT, SOF0, DHT, DRI, one scan of coded bytes (0xFF stuffed, a restart marker every
    4 KiB), EOI: the segment chain of a baseline photograph; the coded bits are not a picture."""
    def segment(code, body):
        return bytes([0xFF, code]) + struct.pack(">H", len(body) + 2) + body

    head = (b"\xff\xd8" + segment(0xE0, b"JFIF\0\x01\x02\0\0\x01\0\x01\0\0") + segment(0xDB, b"\0" + bytes(range(1, 65))) +
            segment(0xC0, struct.pack(">BHHB", 8, 3000, 4000, 3) + b"\x01\x22\x00\x02\x11\x01\x03\x11\x01") +
            segment(0xC4, b"\x00" + bytes([0, 1] + [0] * 14) + b"\x05") + segment(0xDD, struct.pack(">H", 64)) +
            segment(0xDA, b"\x03\x01\x00\x02\x11\x03\x11\x00\x3f\x00"))
    scan = []
    length = len(head) + 2
    marker = 0
    while length < size:
        coded = rng.randbytes(4096).replace(b"\xff", b"\xff\x00") + bytes([0xFF, 0xD0 + marker % 8])
        marker += 1
        scan.append(coded)
        length += len(coded)
    return head + b"".join(scan) + b"\xff\xd9"


def pdf_document(rng, size):
    """Pages whose content streams and images are deflated, a cross-reference table, the trailer."""
    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = []

    def put(body):
        offsets.append(len(out))
        out.extend(b"%d 0 obj\n" % len(offsets) + body + b"\nendobj\n")

    put(b"<< /Type /Catalog /Pages 2 0 R >>")
    pages = max(1, size // (256 * 1024))
    kids = b" ".join(b"%d 0 R" % (3 + 3 * page) for page in range(pages))
    put(b"<< /Type /Pages /Kids [%s] /Count %d >>" % (kids, pages))
    for page in range(pages):
        base = 3 + 3 * page
        put(b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents %d 0 R "
            b"/Resources << /XObject << /Im0 %d 0 R >> >> >>" % (base + 1, base + 2))
        content = zlib.compress(document_text(rng, 96 * 1024))
        put(b"<< /Length %d /Filter /FlateDecode >>\nstream\n" % len(content) + content + b"\nendstream")
        picture = zlib.compress(rng.randbytes(224 * 1024))
        put(b"<< /Type /XObject /Subtype /Image /Width 256 /Height 299 /ColorSpace /DeviceRGB "
            b"/BitsPerComponent 8 /Length %d /Filter /FlateDecode >>\nstream\n" % len(picture) + picture +
            b"\nendstream")
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(offsets) + 1)
    out += b"".join(b"%010d 00000 n \n" % offset for offset in offsets)
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(offsets) + 1, xref)
    return bytes(out)


KINDS = [("deflated.zip", deflated_zip), ("stored.zip", stored_zip), ("image.png", png_image),
         ("log.gz", gzip_log), ("photo.jpg", jpeg_image), ("document.pdf", pdf_document)]


def main(keys_source, folder, count, mib):
    size = size_of(mib)
    rng = random.Random(20260302)
    plains = []
    for number in range(count):
        name, make = KINDS[number % len(KINDS)]
        plains.append((name, make(rng, size)))
    write_folder(keys_source, folder, plains)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4])
