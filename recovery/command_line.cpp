// Copies the process command line, split into arguments, into one caller-owned block.
#include <windows.h>
#include <shellapi.h>
#include <cstdint>
#include <cwchar>
#include <cstring>

#include "recovery/file_utilities.h"

// Block layout: argc pointer slots, then every argument with its NUL, back to back. The size
// allows four characters for each slot, enough for a pointer of either width, and 16 spare.
wchar_t* CopyCommandLine(int32_t* count) {
    *count = 0;
    int argc = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (arguments == nullptr) {
        return nullptr;
    }

    uint64_t characters = 16;
    for (int i = 0; i < argc; ++i) {
        characters += std::wcslen(arguments[i]) + 1;
    }
    characters += 4 * static_cast<uint64_t>(argc);
    // A size past 32 bits asks for more than can ever be had, so the allocation throws instead
    // of wrapping round to a small block.
    uint64_t bytes = characters * sizeof(wchar_t);
    size_t request =
        bytes > UINT32_MAX ? SIZE_MAX / sizeof(wchar_t) : static_cast<size_t>(characters);
    wchar_t* block = new wchar_t[request];

    *count = argc;
    wchar_t** slots = reinterpret_cast<wchar_t**>(block);
    wchar_t* text = reinterpret_cast<wchar_t*>(slots + argc); // right after the last slot
    for (int i = 0; i < argc; ++i) {
        size_t length = std::wcslen(arguments[i]) + 1;
        slots[i] = text;
        std::memcpy(text, arguments[i], length * sizeof(wchar_t));
        text += length;
    }
    LocalFree(arguments);
    return block;
}
