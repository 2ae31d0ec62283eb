// Converts UTF-16 text to the narrow code page the file functions currently use.
#include <windows.h>

#include "recovery/file_utilities.h"

namespace {

// The code pages for which WideCharToMultiByte refuses WC_COMPOSITECHECK and WC_SEPCHARS
// (ERROR_INVALID_FLAGS): the ISO-2022 and ISCII families, UTF-7, Symbol, GB18030 and UTF-8, the
// code page of Windows' "Unicode UTF-8 for worldwide language support" setting.
bool TakesConversionFlags(UINT codePage) {
    switch (codePage) {
    case 42:    // Symbol
    case 50220: // ISO-2022 Japanese and its variants
    case 50221:
    case 50222:
    case 50225: // ISO-2022 Korean
    case 50227: // ISO-2022 Simplified Chinese
    case 50229: // ISO-2022 Traditional Chinese
    case 54936: // GB18030
    case 65000: // UTF-7
    case 65001: // UTF-8
        return false;
    default:
        return !(codePage >= 57002 && codePage <= 57011); // ISCII
    }
}

} // namespace

int ToFileApiNarrow(const wchar_t* source, int sourceLength, char* destination,
                    int destinationSize) {
    // The file functions follow SetFileApisToOEM / SetFileApisToANSI, so the text must too.
    UINT codePage = AreFileApisANSI() ? GetACP() : GetOEMCP();
    DWORD flags = TakesConversionFlags(codePage) ? WC_COMPOSITECHECK | WC_SEPCHARS : 0;
    return WideCharToMultiByte(codePage, flags, source, sourceLength, destination, destinationSize,
                               nullptr, nullptr);
}
