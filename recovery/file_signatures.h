// Well-known file signatures by file-name extension: the bytes a file of the type begins with,
// and for the shortest of them the header fields that make a chance match unlikely.
#pragma once
#include <cstdint>

#include "recovery/head_decrypt.h"

// Fields checked beyond the magic bytes, each as the format's own description defines them.
enum SignatureCheck : uint8_t {
    NoFurtherCheck,
    BitmapHeaderCheck,       // reserved words zero, a known header size, pixels inside the file
    PortableExecutableCheck, // the offset at 0x3C leads to "PE\0\0"
    GzipHeaderCheck,         // deflate, reserved flags clear, a defined operating system
    Id3TagCheck,             // a known major version, clear low flags, sync-safe size bytes
};

// Published bytes at a fixed offset from the start of the file; length 0 marks an unused part.
struct MagicBytes {
    uint16_t offset;
    uint8_t length;
    const char* bytes;
};

struct FileSignature {
    const char* extensions; // lower case, separated by single spaces
    MagicBytes magic[2];
    SignatureCheck check;
};

extern const FileSignature FileSignatures[];
extern const uint32_t FileSignatureCount;

// Whether the signature is one of `extension`'s (compared without regard to ASCII case).
bool SignatureCoversExtension(const FileSignature* signature, const wchar_t* extension,
                              uint32_t extensionLength);
// The least file size at which every byte the signature looks at before any offset it reads from
// the file can be present.
uint32_t SignatureExtent(const FileSignature* signature);
// Whether the file's plaintext under `key` shows the signature: every magic part in place and the
// further check passed, all within the bytes read.
bool HeadShowsSignature(const FileSignature* signature, const HeadKey* key, const CipherHead* head);
