// Reads the heads of files for key identification and streams a pair through the decryption
// that will be used, comparing it with the original.
#include "recovery/key_files.h"

#include <windows.h>
#include <cstring>

#include "recovery/key_select.h"

// Large reads keep the whole-file comparison of a pair near the speed of the cipher.
constexpr DWORD ConfirmChunkSize = 32768;

// Reads until `count` bytes are in or the file ends; false on a failed read.
static bool ReadFully(HANDLE file, uint8_t* buffer, uint32_t count, uint32_t* got) {
    *got = 0;
    while (*got < count) {
        DWORD done = 0;
        if (!ReadFile(file, buffer + *got, count - *got, &done, nullptr)) {
            return false;
        }
        if (done == 0) {
            break;
        }
        *got += done;
    }
    return true;
}

// Opens a regular file for reading, as the decryptor does, and takes its size.
static KeySearchResult OpenForReading(const wchar_t* path, HANDLE* file, uint64_t* size) {
    *file = INVALID_HANDLE_VALUE;
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return KeyOpenFailed;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return KeyNotAFile;
    }
    HANDLE opened = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        return KeyOpenFailed;
    }
    if (GetFileType(opened) != FILE_TYPE_DISK) {
        CloseHandle(opened);
        return KeyNotAFile;
    }
    LARGE_INTEGER fileSize;
    if (!GetFileSizeEx(opened, &fileSize)) {
        CloseHandle(opened);
        return KeyReadFailed;
    }
    *file = opened;
    *size = static_cast<uint64_t>(fileSize.QuadPart);
    return KeyFound;
}

// Fills head with the file's first KeyHeadSize bytes (all of a shorter file).
static KeySearchResult ReadHead(HANDLE file, uint64_t size, uint8_t* buffer, CipherHead* head) {
    uint32_t wanted = size < KeyHeadSize ? static_cast<uint32_t>(size) : KeyHeadSize;
    uint32_t got = 0;
    if (!ReadFully(file, buffer, wanted, &got) || got != wanted) {
        return KeyReadFailed;
    }
    head->bytes = buffer;
    head->length = got;
    head->fileSize = size;
    return KeyFound;
}

KeySearchResult IdentifyCryptFileKey(const wchar_t* path, int32_t withPassword, KeyMatch* match) {
    match->selector = KeySelectorNone;
    match->fittingKeys = 0;
    if (!IsCryptName(path)) {
        return KeyNotCryptName;
    }
    uint32_t extensionLength = 0;
    const wchar_t* extension = TypeExtensionOfCryptName(path, &extensionLength);
    if (extension == nullptr) {
        return KeyNoSignature;
    }
    HANDLE file;
    uint64_t size = 0;
    KeySearchResult result = OpenForReading(path, &file, &size);
    if (result != KeyFound) {
        return result;
    }
    uint8_t buffer[KeyHeadSize];
    CipherHead head;
    result = ReadHead(file, size, buffer, &head);
    CloseHandle(file);
    if (result != KeyFound) {
        return result;
    }
    return IdentifyKeyBySignature(extension, extensionLength, &head, withPassword, match);
}

KeySearchResult TypeAcceptsKey(const wchar_t* path, int32_t selector) {
    KeyMatch match;
    KeySearchResult found =
        IdentifyCryptFileKey(path, selector == KeySelectorPassword ? 1 : 0, &match);
    uint32_t bit = selector == KeySelectorPassword ? PasswordKeyBit : 1u << selector;
    switch (found) {
    case KeyFound:
    case KeySeveralFit:
    case KeyNoneFits:
        return (match.fittingKeys & bit) != 0 ? KeyFound : KeyRefutedByType;
    default:
        return found;
    }
}

// Decrypts the encrypted file in the chain the decryptor uses and compares it with the original,
// from the heads already read to the end of both.
static KeySearchResult ConfirmPair(int32_t selector, HANDLE original, HANDLE encrypted,
                                   uint8_t* originalHead, uint8_t* encryptedHead,
                                   uint32_t headLength, uint64_t size, int (*stopRequested)()) {
    SelectKey(selector);
    static uint8_t originalChunk[ConfirmChunkSize];
    static uint8_t encryptedChunk[ConfirmChunkSize];
    uint8_t* expected = originalHead;
    uint8_t* decrypted = encryptedHead;
    uint32_t count = headLength;
    uint64_t remaining = size;
    for (;;) {
        if (selector == KeySelectorPassword) {
            BlowfishCbcDecrypt(&ProcessBlowfish, decrypted, decrypted, count);
        } else {
            TripleDesCbcDecrypt(decrypted, decrypted, count);
        }
        if (std::memcmp(decrypted, expected, count) != 0) {
            return KeyWholeFileDiffers;
        }
        remaining -= count;
        if (remaining == 0) {
            return KeyFound;
        }
        if (stopRequested != nullptr && stopRequested() != 0) {
            return KeyStopped;
        }
        uint32_t wanted =
            remaining < ConfirmChunkSize ? static_cast<uint32_t>(remaining) : ConfirmChunkSize;
        uint32_t gotOriginal = 0, gotEncrypted = 0;
        if (!ReadFully(original, originalChunk, wanted, &gotOriginal) ||
            !ReadFully(encrypted, encryptedChunk, wanted, &gotEncrypted) || gotOriginal != wanted ||
            gotEncrypted != wanted) {
            return KeyReadFailed; // a file that shrank while read is a failed read too
        }
        expected = originalChunk;
        decrypted = encryptedChunk;
        count = wanted;
    }
}

KeySearchResult FindPairFileKey(const wchar_t* original, const wchar_t* encrypted,
                                int32_t withPassword, KeyMatch* match, int (*stopRequested)()) {
    match->selector = KeySelectorNone;
    match->fittingKeys = 0;
    HANDLE originalFile, encryptedFile;
    uint64_t originalSize = 0, encryptedSize = 0;
    KeySearchResult result = OpenForReading(original, &originalFile, &originalSize);
    if (result != KeyFound) {
        return result;
    }
    result = OpenForReading(encrypted, &encryptedFile, &encryptedSize);
    if (result != KeyFound) {
        CloseHandle(originalFile);
        return result;
    }
    uint8_t originalBuffer[KeyHeadSize];
    uint8_t encryptedBuffer[KeyHeadSize];
    CipherHead originalHead, encryptedHead;
    if (originalSize != encryptedSize) {
        result = KeySizesDiffer;
    } else {
        result = ReadHead(originalFile, originalSize, originalBuffer, &originalHead);
    }
    if (result == KeyFound) {
        result = ReadHead(encryptedFile, encryptedSize, encryptedBuffer, &encryptedHead);
    }
    if (result == KeyFound) {
        result =
            FindPairKeyInHeads(originalBuffer, originalSize, &encryptedHead, withPassword, match);
    }
    if (result == KeyFound) {
        result = ConfirmPair(match->selector, originalFile, encryptedFile, originalBuffer,
                             encryptedBuffer, encryptedHead.length, encryptedSize, stopRequested);
        if (result != KeyFound) {
            match->selector = KeySelectorNone;
        }
    }
    CloseHandle(originalFile);
    CloseHandle(encryptedFile);
    return result;
}
