// The signature table: every entry usable, and the types the program must know covered.
#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <string>

#include "recovery/file_signatures.h"
#include "recovery/key_identify.h"

namespace {

// Each entry is well formed, fits the head that is read, and gives a wrong key at least 24 bits
// to match by chance: magics shorter than three bytes come with a check of further fields.
TEST(SignatureTable, EveryEntryIsUsable) {
    for (uint32_t s = 0; s < FileSignatureCount; ++s) {
        const FileSignature& signature = FileSignatures[s];
        std::string extensions = signature.extensions;
        EXPECT_FALSE(extensions.empty());
        EXPECT_EQ(extensions.find("  "), std::string::npos) << extensions;
        EXPECT_NE(extensions.front(), ' ') << extensions;
        EXPECT_NE(extensions.back(), ' ') << extensions;
        for (char c : extensions) {
            EXPECT_TRUE((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ') << extensions;
        }
        uint32_t magicBytes = 0;
        for (const MagicBytes& magic : signature.magic) {
            EXPECT_EQ(magic.length == 0, magic.bytes == nullptr) << extensions;
            magicBytes += magic.length;
        }
        EXPECT_NE(signature.magic[0].length, 0) << extensions;
        EXPECT_LE(SignatureExtent(&signature), KeyHeadSize) << extensions;
        EXPECT_TRUE(magicBytes >= 3 || signature.check != NoFurtherCheck) << extensions;
    }
    // Types the program is expected to know.
    const wchar_t* known[] = {L"pdf", L"zip", L"docx", L"xlsx",   L"pptx", L"odt", L"png", L"jpg",
                              L"gif", L"bmp", L"doc",  L"xls",    L"ppt",  L"msg", L"rar", L"7z",
                              L"gz",  L"rtf", L"mp3",  L"sqlite", L"exe",  L"dll"};
    for (const wchar_t* extension : known) {
        bool covered = false;
        for (uint32_t s = 0; s < FileSignatureCount; ++s) {
            covered =
                covered || SignatureCoversExtension(&FileSignatures[s], extension,
                                                    static_cast<uint32_t>(std::wcslen(extension)));
        }
        EXPECT_TRUE(covered) << std::string(extension, extension + std::wcslen(extension));
    }
    EXPECT_FALSE(SignatureCoversExtension(&FileSignatures[0], L"pd", 2));
    EXPECT_FALSE(SignatureCoversExtension(&FileSignatures[0], L"pdfx", 4));
    EXPECT_TRUE(SignatureCoversExtension(&FileSignatures[0], L"PdF", 3));
}

} // namespace
