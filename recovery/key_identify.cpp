// Key identification: each candidate key decrypts just the bytes it needs from a file's head, and
// a key is taken only when it is the one candidate that fits.
#include "recovery/key_identify.h"

#include <cstring>
#include <cwchar>

#include "recovery/key_select.h"

constexpr int32_t CandidateCapacity = BuiltInDesKeyCount + 1;

// Candidate i is table index i; the password key, when asked for, comes last.
static int32_t PrepareCandidates(HeadKey* candidates, int32_t withPassword) {
    int32_t count = 0;
    for (int32_t index = 0; index < BuiltInDesKeyCount; ++index) {
        PrepareHeadKey(&candidates[count++], index);
    }
    if (withPassword) {
        PrepareHeadKey(&candidates[count++], KeySelectorPassword);
    }
    return count;
}

static uint32_t CandidateBit(int32_t selector) {
    return selector == KeySelectorPassword ? PasswordKeyBit : 1u << selector;
}

// Names the key when exactly one candidate fitted.
static KeySearchResult Decide(const HeadKey* candidates, int32_t count, KeyMatch* match) {
    int32_t fitted = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (match->fittingKeys & CandidateBit(candidates[i].selector)) {
            match->selector = candidates[i].selector;
            ++fitted;
        }
    }
    if (fitted == 1) {
        return KeyFound;
    }
    match->selector = KeySelectorNone;
    return fitted == 0 ? KeyNoneFits : KeySeveralFit;
}

KeySearchResult IdentifyKeyAmong(const FileSignature* signatures, uint32_t signatureCount,
                                 const wchar_t* extension, uint32_t extensionLength,
                                 const CipherHead* head, int32_t withPassword, KeyMatch* match) {
    match->selector = KeySelectorNone;
    match->fittingKeys = 0;
    bool known = false;
    bool longEnough = false;
    for (uint32_t s = 0; s < signatureCount; ++s) {
        if (SignatureCoversExtension(&signatures[s], extension, extensionLength)) {
            known = true;
            longEnough = longEnough || head->fileSize >= SignatureExtent(&signatures[s]);
        }
    }
    if (!known) {
        return KeyNoSignature;
    }
    if (!longEnough) {
        return KeyTooShort;
    }
    HeadKey candidates[CandidateCapacity];
    int32_t count = PrepareCandidates(candidates, withPassword);
    for (int32_t i = 0; i < count; ++i) {
        for (uint32_t s = 0; s < signatureCount; ++s) {
            if (SignatureCoversExtension(&signatures[s], extension, extensionLength) &&
                HeadShowsSignature(&signatures[s], &candidates[i], head)) {
                match->fittingKeys |= CandidateBit(candidates[i].selector);
                break;
            }
        }
    }
    return Decide(candidates, count, match);
}

KeySearchResult IdentifyKeyBySignature(const wchar_t* extension, uint32_t extensionLength,
                                       const CipherHead* head, int32_t withPassword,
                                       KeyMatch* match) {
    return IdentifyKeyAmong(FileSignatures, FileSignatureCount, extension, extensionLength, head,
                            withPassword, match);
}

KeySearchResult FindPairKeyInHeads(const uint8_t* original, uint64_t originalSize,
                                   const CipherHead* encrypted, int32_t withPassword,
                                   KeyMatch* match) {
    match->selector = KeySelectorNone;
    match->fittingKeys = 0;
    if (originalSize != encrypted->fileSize) {
        return KeySizesDiffer;
    }
    if (originalSize < PairLeastSize) {
        return KeyTooShort;
    }
    uint32_t compared = encrypted->length;
    if (compared > originalSize) {
        compared = static_cast<uint32_t>(originalSize);
    }
    HeadKey candidates[CandidateCapacity];
    int32_t count = PrepareCandidates(candidates, withPassword);
    for (int32_t i = 0; i < count; ++i) {
        // Block by block, so a wrong key is dropped after its first block.
        bool same = true;
        for (uint32_t at = 0; same && at < compared; at += 8) {
            uint32_t length = compared - at < 8 ? compared - at : 8;
            uint8_t plain[8];
            same = DecryptHeadBytes(&candidates[i], encrypted, at, length, plain) &&
                   std::memcmp(plain, original + at, length) == 0;
        }
        if (same) {
            match->fittingKeys |= CandidateBit(candidates[i].selector);
        }
    }
    return Decide(candidates, count, match);
}

bool IsCryptName(const wchar_t* path) {
    const wchar_t* dot = std::wcsrchr(path, L'.');
    return dot != nullptr && std::wcscmp(dot, CryptExtension) == 0;
}

const wchar_t* TypeExtensionOfCryptName(const wchar_t* path, uint32_t* length) {
    *length = 0;
    if (!IsCryptName(path)) {
        return nullptr;
    }
    const wchar_t* end = path + std::wcslen(path) - CryptExtensionLength;
    const wchar_t* start = end;
    while (start != path) {
        wchar_t c = start[-1];
        if (c == L'\\' || c == L'/' || c == L':') {
            return nullptr; // the name itself had no extension
        }
        if (c == L'.') {
            *length = static_cast<uint32_t>(end - start);
            return *length != 0 ? start : nullptr;
        }
        --start;
    }
    return nullptr;
}
