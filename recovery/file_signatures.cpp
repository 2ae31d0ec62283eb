// The table of file signatures and the header checks for the shortest of them.
#include "recovery/file_signatures.h"

// The length of a magic is that of its literal, so embedded zero bytes count and none is
// miscounted by hand.
// clang-format off
#define MAGIC(offset, text) {offset, sizeof(text) - 1, text}
#define NO_MAGIC {0, 0, nullptr}
// clang-format on

// Each entry names its source. Alternatives for one type are separate entries with the same
// extension; a file fits its type when it shows any one of them.
const FileSignature FileSignatures[] = {
    // ISO 32000-1:2008, 7.5.2 File header: "%PDF-" and the version.
    {"pdf", {MAGIC(0, "%PDF-"), NO_MAGIC}, NoFurtherCheck},
    // PKWARE APPNOTE.TXT 6.3, 4.3.7: a local file header, signature 0x04034b50, opens the archive.
    // Office Open XML (ECMA-376 Part 2), OpenDocument (ODF 1.2 Part 3, 3.3), EPUB (OCF 3.0) and
    // the Java and Android packages are ZIP archives.
    {"zip docx docm dotx dotm xlsx xlsm xltx xltm xlsb xlam pptx pptm potx potm ppsx ppsm vsdx "
     "odt ods odp odg odf ott ots otp otg epub jar apk xpi xps oxps kmz 3mf nupkg cbz",
     {MAGIC(0, "PK\x03\x04"), NO_MAGIC},
     NoFurtherCheck},
    // APPNOTE.TXT 4.3.16: an empty archive is its end-of-central-directory record alone.
    {"zip", {MAGIC(0, "PK\x05\x06"), NO_MAGIC}, NoFurtherCheck},
    // PNG (ISO/IEC 15948:2004) 5.2 signature, then 5.6: IHDR is the first chunk, 13 bytes long.
    {"png", {MAGIC(0, "\x89PNG\r\n\x1a\n"), MAGIC(8, "\0\0\0\x0dIHDR")}, NoFurtherCheck},
    // ITU-T T.81 (JPEG) Annex B: the SOI marker, then the 0xFF that opens the next marker.
    {"jpg jpeg jpe jfif", {MAGIC(0, "\xff\xd8\xff"), NO_MAGIC}, NoFurtherCheck},
    // GIF89a (CompuServe, 1990), 17. Header: signature "GIF" and version "87a" or "89a".
    {"gif", {MAGIC(0, "GIF87a"), NO_MAGIC}, NoFurtherCheck},
    {"gif", {MAGIC(0, "GIF89a"), NO_MAGIC}, NoFurtherCheck},
    // Microsoft Windows SDK, BITMAPFILEHEADER: bfType "BM".
    {"bmp dib", {MAGIC(0, "BM"), NO_MAGIC}, BitmapHeaderCheck},
    // TIFF 6.0, section 2, image file header: byte order "II" or "MM", then 42.
    {"tif tiff dng", {MAGIC(0, "II*\0"), NO_MAGIC}, NoFurtherCheck},
    {"tif tiff dng", {MAGIC(0, "MM\0*"), NO_MAGIC}, NoFurtherCheck},
    // RFC 9649 (WebP), RIFF File Format: "RIFF", the size, "WEBP".
    {"webp", {MAGIC(0, "RIFF"), MAGIC(8, "WEBP")}, NoFurtherCheck},
    // IBM and Microsoft, Multimedia Programming Interface and Data 1.0 (1991):
    // RIFF forms "WAVE" and "AVI ".
    {"wav", {MAGIC(0, "RIFF"), MAGIC(8, "WAVE")}, NoFurtherCheck},
    {"avi", {MAGIC(0, "RIFF"), MAGIC(8, "AVI ")}, NoFurtherCheck},
    // Adobe Photoshop File Formats, File Header: "8BPS", version 1 (PSD) or 2 (PSB).
    {"psd", {MAGIC(0, "8BPS\0\x01"), NO_MAGIC}, NoFurtherCheck},
    {"psb", {MAGIC(0, "8BPS\0\x02"), NO_MAGIC}, NoFurtherCheck},
    // ISO/IEC 15444-1 (JPEG 2000) I.5.1: the signature box.
    {"jp2", {MAGIC(0, "\0\0\0\x0cjP  \r\n\x87\n"), NO_MAGIC}, NoFurtherCheck},
    // [MS-CFB] 2.2 Compound File Header: the signature, and byte order 0xFFFE at offset 28.
    {"doc dot xls xlt xla ppt pot pps msg msi vsd pub mpp db",
     {MAGIC(0, "\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1"), MAGIC(28, "\xfe\xff")},
     NoFurtherCheck},
    // RAR technical note: the marker block of RAR 1.5 to 4.x, and the RAR 5.0 signature.
    {"rar", {MAGIC(0, "Rar!\x1a\x07\0"), NO_MAGIC}, NoFurtherCheck},
    {"rar", {MAGIC(0, "Rar!\x1a\x07\x01\0"), NO_MAGIC}, NoFurtherCheck},
    // 7z format description (7zFormat.txt), SignatureHeader: kSignature.
    {"7z", {MAGIC(0, "7z\xbc\xaf\x27\x1c"), NO_MAGIC}, NoFurtherCheck},
    // RFC 1952 (gzip) 2.3.1: ID1 ID2.
    {"gz tgz", {MAGIC(0, "\x1f\x8b"), NO_MAGIC}, GzipHeaderCheck},
    // bzip2 1.0.8 reference sources: stream header "BZh", block size '1'..'9', then the first
    // block's magic (the digits of pi in BCD).
    {"bz2 tbz2", {MAGIC(0, "BZh"), MAGIC(4, "\x31\x41\x59\x26\x53\x59")}, NoFurtherCheck},
    // The .xz File Format, 2.1.1.1 Header Magic Bytes.
    {"xz txz",
     {MAGIC(0, "\xfd"
               "7zXZ\0"),
      NO_MAGIC},
     NoFurtherCheck},
    // RFC 8878 (Zstandard) 3.1.1: the frame's magic number 0xFD2FB528, little-endian.
    {"zst", {MAGIC(0, "\x28\xb5\x2f\xfd"), NO_MAGIC}, NoFurtherCheck},
    // POSIX.1-2017, pax, ustar Interchange Format: the magic field at offset 257.
    {"tar", {MAGIC(257, "ustar"), NO_MAGIC}, NoFurtherCheck},
    // [MS-CAB] 2.1 CFHEADER: signature "MSCF", reserved1 zero.
    {"cab", {MAGIC(0, "MSCF\0\0\0\0"), NO_MAGIC}, NoFurtherCheck},
    // Microsoft RTF 1.9.1, the header: "{\rtf1".
    {"rtf", {MAGIC(0, "{\\rtf1"), NO_MAGIC}, NoFurtherCheck},
    // ID3 tag version 2.4.0 - Main Structure, 3.1 ID3v2 header: "ID3" (also 2.3.0 and 2.2.0).
    {"mp3", {MAGIC(0, "ID3"), NO_MAGIC}, Id3TagCheck},
    // RFC 9639 (FLAC): a stream begins with the marker "fLaC".
    {"flac", {MAGIC(0, "fLaC"), NO_MAGIC}, NoFurtherCheck},
    // RFC 3533 (Ogg) 6: capture pattern "OggS", stream structure version 0.
    {"ogg oga ogv opus spx", {MAGIC(0, "OggS\0"), NO_MAGIC}, NoFurtherCheck},
    // ISO/IEC 14496-12 4.3: the FileTypeBox leads, its type "ftyp" after the 4-byte size.
    {"mp4 m4a m4v m4b 3gp 3g2 heic heif avif", {MAGIC(4, "ftyp"), NO_MAGIC}, NoFurtherCheck},
    // RFC 8794 (EBML): the ID of the EBML header element, which Matroska and WebM files open with.
    {"mkv mka webm", {MAGIC(0, "\x1a\x45\xdf\xa3"), NO_MAGIC}, NoFurtherCheck},
    // Advanced Systems Format 3.1: the Header Object's GUID.
    {"wmv wma asf",
     {MAGIC(0, "\x30\x26\xb2\x75\x8e\x66\xcf\x11\xa6\xd9\0\xaa\0\x62\xce\x6c"), NO_MAGIC},
     NoFurtherCheck},
    // SQLite file format, 1.3.1 Magic Header String.
    {"sqlite sqlite3 db db3 s3db sl3", {MAGIC(0, "SQLite format 3\0"), NO_MAGIC}, NoFurtherCheck},
    // [MS-PST] 2.2.2.6 HEADER: dwMagic "!BDN", wMagicClient "SM".
    {"pst ost", {MAGIC(0, "!BDN"), MAGIC(8, "SM")}, NoFurtherCheck},
    // [MS-SHLLINK] 2.1 ShellLinkHeader: HeaderSize 0x4C, LinkCLSID 00021401-0000-0000-C000-...46.
    {"lnk",
     {MAGIC(0, "\x4c\0\0\0\x01\x14\x02\0\0\0\0\0\xc0\0\0\0\0\0\0\x46"), NO_MAGIC},
     NoFurtherCheck},
    // [MS-VHDX] 2.2.1 File Type Identifier: "vhdxfile".
    {"vhdx", {MAGIC(0, "vhdxfile"), NO_MAGIC}, NoFurtherCheck},
    // The Java Virtual Machine, 4.1 (class file): magic 0xCAFEBABE.
    {"class", {MAGIC(0, "\xca\xfe\xba\xbe"), NO_MAGIC}, NoFurtherCheck},
    // OpenType, Table Directory: sfntVersion 0x00010000 or "OTTO"; W3C WOFF 1.0
    // and WOFF 2.0, section 3: "wOFF" and "wOF2".
    {"ttf", {MAGIC(0, "\0\x01\0\0"), NO_MAGIC}, NoFurtherCheck},
    {"otf", {MAGIC(0, "OTTO"), NO_MAGIC}, NoFurtherCheck},
    {"woff", {MAGIC(0, "wOFF"), NO_MAGIC}, NoFurtherCheck},
    {"woff2", {MAGIC(0, "wOF2"), NO_MAGIC}, NoFurtherCheck},
    // Adobe Document Structuring Conventions 3.0: "%!PS"; Encapsulated PostScript 3.0: the binary
    // header of a DOS EPS file.
    {"ps eps", {MAGIC(0, "%!PS"), NO_MAGIC}, NoFurtherCheck},
    {"eps", {MAGIC(0, "\xc5\xd0\xd3\xc6"), NO_MAGIC}, NoFurtherCheck},
    // Microsoft PE Format, MS-DOS Stub (Image Only): "MZ", and at 0x3C the offset of "PE\0\0".
    {"exe dll sys ocx scr cpl drv efi", {MAGIC(0, "MZ"), NO_MAGIC}, PortableExecutableCheck},
};
const uint32_t FileSignatureCount = sizeof FileSignatures / sizeof FileSignatures[0];

static uint32_t LoadLittleEndian32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[3]) << 24 | static_cast<uint32_t>(bytes[2]) << 16 |
           static_cast<uint32_t>(bytes[1]) << 8 | bytes[0];
}

static wchar_t AsciiLower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool SignatureCoversExtension(const FileSignature* signature, const wchar_t* extension,
                              uint32_t extensionLength) {
    const char* word = signature->extensions;
    while (*word != '\0') {
        uint32_t length = 0;
        while (word[length] != '\0' && word[length] != ' ') {
            ++length;
        }
        bool same = length == extensionLength;
        for (uint32_t i = 0; same && i < length; ++i) {
            same = AsciiLower(extension[i]) == static_cast<wchar_t>(word[i]);
        }
        if (same) {
            return true;
        }
        word += length;
        if (*word == ' ') {
            ++word;
        }
    }
    return false;
}

// The bytes each check reads at fixed offsets: it cannot pass in a shorter file.
static uint32_t CheckExtent(SignatureCheck check) {
    switch (check) {
    case BitmapHeaderCheck:
        return 18; // through the info header's size
    case PortableExecutableCheck:
        return 0x40; // through the offset of the PE signature
    case GzipHeaderCheck:
    case Id3TagCheck:
        return 10; // the whole fixed header
    case NoFurtherCheck:
        break;
    }
    return 0;
}

uint32_t SignatureExtent(const FileSignature* signature) {
    uint32_t extent = CheckExtent(signature->check);
    for (const MagicBytes& magic : signature->magic) {
        uint32_t end = static_cast<uint32_t>(magic.offset) + magic.length;
        extent = end > extent ? end : extent;
    }
    return extent;
}

// BITMAPFILEHEADER: bfReserved1 and bfReserved2 must be zero, bfOffBits lies within the file.
// The info header that follows starts with its own size, one of the published header versions:
// BITMAPCOREHEADER 12, BITMAPINFOHEADER 40, the V2 and V3 extensions 52 and 56, OS/2's 64,
// BITMAPV4HEADER 108, BITMAPV5HEADER 124.
static bool BitmapHeaderFits(const HeadKey* key, const CipherHead* head) {
    uint8_t header[18];
    if (!DecryptHeadBytes(key, head, 0, sizeof header, header)) {
        return false;
    }
    uint32_t reserved = LoadLittleEndian32(header + 6);
    uint32_t pixelOffset = LoadLittleEndian32(header + 10);
    uint32_t infoSize = LoadLittleEndian32(header + 14);
    bool knownInfo = infoSize == 12 || infoSize == 40 || infoSize == 52 || infoSize == 56 ||
                     infoSize == 64 || infoSize == 108 || infoSize == 124;
    return reserved == 0 && knownInfo && pixelOffset >= 14 + infoSize &&
           pixelOffset <= head->fileSize;
}

// PE Format: the 32-bit file offset at 0x3C points past the MS-DOS header to "PE\0\0".
static bool PortableExecutableFits(const HeadKey* key, const CipherHead* head) {
    uint8_t field[4];
    if (!DecryptHeadBytes(key, head, 0x3C, 4, field)) {
        return false;
    }
    uint32_t signatureOffset = LoadLittleEndian32(field);
    uint8_t signature[4];
    return signatureOffset >= 0x40 && DecryptHeadBytes(key, head, signatureOffset, 4, signature) &&
           signature[0] == 'P' && signature[1] == 'E' && signature[2] == 0 && signature[3] == 0;
}

// RFC 1952 2.3.1: CM 8 is deflate, the only method defined; FLG bits 5 to 7 are reserved and
// must be zero; OS is one of the defined values 0 to 13, or 255 for unknown.
static bool GzipHeaderFits(const HeadKey* key, const CipherHead* head) {
    uint8_t header[10];
    if (!DecryptHeadBytes(key, head, 0, sizeof header, header)) {
        return false;
    }
    return header[2] == 8 && (header[3] & 0xE0) == 0 && (header[9] <= 13 || header[9] == 255);
}

// ID3v2 header (2.4.0 Main Structure 3.1, 2.3.0 3.1): major version 2, 3 or 4, revision never
// 0xFF, the flags' low four bits clear, and four size bytes each below 0x80.
static bool Id3TagFits(const HeadKey* key, const CipherHead* head) {
    uint8_t header[10];
    if (!DecryptHeadBytes(key, head, 0, sizeof header, header)) {
        return false;
    }
    bool sizeSyncSafe = ((header[6] | header[7] | header[8] | header[9]) & 0x80) == 0;
    return header[3] >= 2 && header[3] <= 4 && header[4] != 0xFF && (header[5] & 0x0F) == 0 &&
           sizeSyncSafe;
}

bool HeadShowsSignature(const FileSignature* signature, const HeadKey* key,
                        const CipherHead* head) {
    for (const MagicBytes& magic : signature->magic) {
        uint8_t plain[255]; // the longest magic a length byte can describe
        if (magic.length == 0) {
            continue;
        }
        if (!DecryptHeadBytes(key, head, magic.offset, magic.length, plain)) {
            return false;
        }
        for (uint32_t i = 0; i < magic.length; ++i) {
            if (plain[i] != static_cast<uint8_t>(magic.bytes[i])) {
                return false;
            }
        }
    }
    switch (signature->check) {
    case BitmapHeaderCheck:
        return BitmapHeaderFits(key, head);
    case PortableExecutableCheck:
        return PortableExecutableFits(key, head);
    case GzipHeaderCheck:
        return GzipHeaderFits(key, head);
    case Id3TagCheck:
        return Id3TagFits(key, head);
    case NoFurtherCheck:
        break;
    }
    return true;
}
