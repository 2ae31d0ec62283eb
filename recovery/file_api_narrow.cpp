// Converts UTF-16 text to the narrow code page the file functions currently use.
#include <windows.h>

#include "recovery/file_utilities.h"

int ToFileApiNarrow(const wchar_t* source, int sourceLength, char* destination,
                    int destinationSize) {
    // The file functions follow SetFileApisToOEM / SetFileApisToANSI, so the text must too.
    UINT codePage = AreFileApisANSI() ? CP_ACP : CP_OEMCP;
    return WideCharToMultiByte(codePage, WC_COMPOSITECHECK | WC_SEPCHARS, source, sourceLength,
                               destination, destinationSize, nullptr, nullptr);
}
