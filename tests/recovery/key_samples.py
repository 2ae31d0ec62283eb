#!/usr/bin/env python3
"""Sample files of well-known types, encrypted into the ".crypt" format by OpenSSL (through
openssl_oracle.py), for the key identification tests. Where Python's standard library writes the
format (ZIP and the Office and OpenDocument packages, gzip, tar, SQLite, WAV) the file is made by
it; the others are headers laid out from each format's published description, independently of the
program's signature table.
    key_samples.py KEYS_SOURCE OUTPUT.cpp
"""
import io
import os
import random
import sqlite3
import struct
import sys
import tarfile
import tempfile
import wave
import zipfile
import zlib
import gzip

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from openssl_oracle import Blowfish, TwoKeyTripleDes, crypt_file, password_key, read_built_in_keys  # noqa: E402

SAMPLE_PASSWORD = b"samples password"
PASSWORD = 256
FIXED_TIME = (2026, 1, 2, 3, 4, 6)
rng = random.Random(20260110)


def noise(count):
    return bytes(rng.randrange(256) for _ in range(count))


def zip_package(members, first_stored=None):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as archive:
        if first_stored:
            name, data = first_stored  # OpenDocument: "mimetype" first, stored, no extra field
            archive.writestr(zipfile.ZipInfo(name, FIXED_TIME), data, zipfile.ZIP_STORED)
        for name, data in members:
            archive.writestr(zipfile.ZipInfo(name, FIXED_TIME), data, zipfile.ZIP_DEFLATED)
    return out.getvalue()


def docx():
    types = b'<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>'
    return zip_package([("[Content_Types].xml", types), ("_rels/.rels", b"<Relationships/>"),
                        ("word/document.xml", b"<w:document>" + b"text " * 100 + b"</w:document>")])


def odt():
    return zip_package([("content.xml", b"<office:document-content/>" * 20), ("META-INF/manifest.xml", b"<manifest/>")],
                       first_stored=("mimetype", b"application/vnd.oasis.opendocument.text"))


def png():  # PNG (ISO/IEC 15948): signature, IHDR, IDAT, IEND, each chunk with its CRC
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + b"".join(bytes((x * 16, y * 16, 128)) for x in range(16)) for y in range(16))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 16, 16, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def jpeg():  # T.81: SOI, then an APP0 JFIF segment (JFIF 1.02), DQT..., EOI
    app0 = b"\xff\xe0" + struct.pack(">H", 16) + b"JFIF\0\x01\x02\0\0\x01\0\x01\0\0"
    return b"\xff\xd8" + app0 + b"\xff\xdb\x00\x43\x00" + noise(64) + noise(300) + b"\xff\xd9"


def gif():  # GIF89a: header, logical screen descriptor, one-pixel image, trailer
    return (b"GIF89a" + struct.pack("<HHBBB", 1, 1, 0x80, 0, 0) + b"\0\0\0\xff\xff\xff" +
            b"\x2c" + struct.pack("<HHHHB", 0, 0, 1, 1, 0) + b"\x02\x02\x44\x01\0\x3b")


def bmp():  # BITMAPFILEHEADER and BITMAPINFOHEADER, 8x8 pixels of 24 bits
    pixels = noise(8 * 8 * 3)
    info = struct.pack("<IiiHHIIiiII", 40, 8, 8, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + info + pixels


def compound_file():  # [MS-CFB] 2.2: the 512-byte header of a version 3 file, then sectors
    header = (b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1" + bytes(16) + struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6) +
              bytes(6) + struct.pack("<IIIIIIII", 0, 1, 1, 0, 0x1000, 2, 1, 0xFFFFFFFE) + bytes(4))
    header += struct.pack("<I", 0) + b"\xff" * (512 - len(header) - 4)
    return header + noise(1024)


def rar5():  # RAR 5.0 technical note: signature, then the main archive header
    return b"Rar!\x1a\x07\x01\0" + noise(200)


def seven_zip():  # 7zFormat.txt SignatureHeader: signature, version 0.4, CRCs and offsets
    return b"7z\xbc\xaf\x27\x1c\x00\x04" + noise(24) + noise(150)


def gzip_file():
    return gzip.compress(b"a line of a log file\n" * 300, mtime=0)


def rtf():
    return b"{\\rtf1\\ansi\\deff0 {\\fonttbl {\\f0 Times;}}\\f0 A letter.\\par}\n"


def mp3():  # ID3v2.3 header with a TIT2 frame, then MPEG audio frames' sync words
    frame = b"TIT2" + struct.pack(">I", 6) + b"\0\0" + b"\0Song\0"
    size = len(frame) + 20
    synchsafe = bytes(((size >> shift) & 0x7F) for shift in (21, 14, 7, 0))
    return b"ID3\x03\x00\x00" + synchsafe + frame + bytes(20) + (b"\xff\xfb\x90\x64" + noise(413)) * 2


def sqlite():
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "store.sqlite")
        connection = sqlite3.connect(path)
        connection.execute("CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT)")
        connection.execute("INSERT INTO notes (body) VALUES ('remember the milk')")
        connection.commit()
        connection.close()
        return open(path, "rb").read()


def portable_executable():  # PE Format: MS-DOS header, e_lfanew at 0x3C, "PE\0\0", COFF header
    dos = bytearray(b"MZ" + bytes(0x3A))
    dos += struct.pack("<I", 0x80)
    dos += b"\x0e\x1f\xba\x0e\x00\xb4\x09\xcd\x21\xb8\x01\x4c\xcd\x21This program cannot be run in DOS mode.\r\r\n$"
    dos += bytes(0x80 - len(dos))
    coff = struct.pack("<HHIIIHH", 0x14C, 1, 0, 0, 0, 0xE0, 0x0102)
    return bytes(dos) + b"PE\0\0" + coff + noise(0xE0) + noise(600)


def tar():
    out = io.BytesIO()
    with tarfile.open(fileobj=out, mode="w", format=tarfile.USTAR_FORMAT) as archive:
        data = b"inside the archive\n" * 20
        info = tarfile.TarInfo("notes/inside.txt")
        info.size, info.mtime = len(data), 1767323046
        archive.addfile(info, io.BytesIO(data))
    return out.getvalue()


def wav():
    out = io.BytesIO()
    with wave.open(out, "wb") as sound:
        sound.setnchannels(1)
        sound.setsampwidth(2)
        sound.setframerate(8000)
        sound.writeframes(noise(800))
    return out.getvalue()


# name, plaintext, selector, expected result of identification by signature
SAMPLES = [
    ("report.pdf", b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n1 0 obj\n<< /Type /Catalog >>\nendobj\ntrailer\n<< /Root 1 0 R >>\n%%EOF\n", 0, "KeyFound"),
    ("archive.zip", zip_package([("a.txt", b"alpha " * 50), ("b.txt", b"beta")]), 1, "KeyFound"),
    ("letter.docx", docx(), 2, "KeyFound"),
    ("sheet.xlsx", zip_package([("[Content_Types].xml", b"<Types/>"), ("xl/workbook.xml", b"<workbook/>")]), 3, "KeyFound"),
    ("notes.odt", odt(), 4, "KeyFound"),
    ("picture.png", png(), 5, "KeyFound"),
    ("photo.jpg", jpeg(), 6, "KeyFound"),
    ("anim.gif", gif(), 7, "KeyFound"),
    ("image.bmp", bmp(), 8, "KeyFound"),
    ("old.doc", compound_file(), 9, "KeyFound"),
    ("data.rar", rar5(), PASSWORD, "KeyFound"),
    ("bundle.7z", seven_zip(), 0, "KeyFound"),
    ("log.txt.gz", gzip_file(), 1, "KeyFound"),
    ("memo.rtf", rtf(), 2, "KeyFound"),
    ("song.mp3", mp3(), 3, "KeyFound"),
    ("store.sqlite", sqlite(), 4, "KeyFound"),
    ("setup.exe", portable_executable(), 5, "KeyFound"),
    ("backup.tar", tar(), 6, "KeyFound"),
    ("voice.wav", wav(), 7, "KeyFound"),
    ("slides.pptx", zip_package([("ppt/presentation.xml", b"<p:presentation/>" * 30)]), PASSWORD, "KeyFound"),
    ("mail.msg", compound_file(), 8, "KeyFound"),
    ("tiny.jpg", b"\xff\xd8\xff", 9, "KeyFound"),  # 3 bytes: all of it the short tail
    ("readme.txt", b"Plain text has no signature.\r\n" * 10, 0, "KeyNoSignature"),
    ("empty.pdf", b"", 1, "KeyTooShort"),
    ("stub.bmp", b"BM\0", 2, "KeyTooShort"),
    ("large.bin", noise(100003), 3, "KeyNoSignature"),  # three read chunks and a tail, for pairs
]


def c_bytes(data):
    return ",".join(str(b) for b in data)


def main(keys_source, output):
    keys = read_built_in_keys(keys_source)
    blowfish = Blowfish(password_key(SAMPLE_PASSWORD))
    blob = bytearray()
    rows = []
    for name, plain, selector, expected in SAMPLES:
        cipher = blowfish if selector == PASSWORD else TwoKeyTripleDes(keys[selector])
        rows.append((name, selector, expected, len(plain), len(blob), len(blob) + len(plain)))
        blob += plain + crypt_file(cipher, plain)
    with open(output, "w") as out:
        out.write("// Generated by key_samples.py with OpenSSL's libcrypto; do not edit.\n")
        out.write('#include "tests/recovery/key_samples.h"\n\n')
        out.write('const char KeySamplePassword[] = "%s";\n' % SAMPLE_PASSWORD.decode())
        out.write("static const uint8_t Data[] = {%s};\n" % c_bytes(blob))
        out.write("const KeySample KeySamples[] = {\n")
        for name, selector, expected, size, plain_at, cipher_at in rows:
            out.write('    {"%s", %d, %s, %d, Data + %d, Data + %d},\n' % (name, selector, expected, size, plain_at, cipher_at))
        out.write("};\n")
        out.write("const uint32_t KeySampleCount = %d;\n" % len(rows))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
