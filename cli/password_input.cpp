// Reading a password and making its key, in fixed buffers that are wiped after use.
#include "cli/password_input.h"
#include "recovery/password_text.h"
#include "report/decrypt_words.h"
#include <windows.h>

namespace {

// Far longer than any password the engine takes (31 bytes): a longer first line is refused.
const DWORD RawCapacity = 4096;
const int TextCapacity = 1024;

// What reading a line gives besides its length.
const int LineTooLong = -1;
const int LineUnreadable = -2; // the reason is given
const int LineNotUtf8 = -3;    // a UTF-8 byte-order mark, then bytes that are not UTF-8

struct PasswordBuffers {
    char raw[RawCapacity];      // as read from a pipe or a file
    wchar_t text[TextCapacity]; // the line as text
};
PasswordBuffers Buffers;

void WipeBuffers() {
    SecureZeroMemory(&Buffers, sizeof Buffers);
}

// The console's input mode while the password is typed, put back however the prompt ends.
struct PromptRecord {
    HANDLE input;
    DWORD savedMode;
    volatile LONG modeChanged;
};
PromptRecord Prompt = {};

void RestoreConsoleMode() {
    if (InterlockedExchange(&Prompt.modeChanged, 0) != 0) {
        SetConsoleMode(Prompt.input, Prompt.savedMode);
    }
}

// Ctrl+C at the prompt ends the program as usual, but with the echo back on.
BOOL WINAPI RestoreModeOnCtrlC(DWORD) {
    RestoreConsoleMode();
    return FALSE;
}

void WriteToConsole(const wchar_t* text) {
    HANDLE output =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (output == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteConsoleW(output, text, lstrlenW(text), &written, nullptr);
    CloseHandle(output);
}

// Reads one line from the console into Buffers.text, echo off. A line longer than the buffer is
// read to its end all the same, so that no part of it is left for the next program to read.
// Returns the length, LineTooLong or LineUnreadable.
int ReadConsoleLine(HANDLE input, std::wstring* reason) {
    Prompt.input = input;
    GetConsoleMode(input, &Prompt.savedMode);
    SetConsoleCtrlHandler(RestoreModeOnCtrlC, TRUE);
    DWORD mode = (Prompt.savedMode | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT) &
                 ~static_cast<DWORD>(ENABLE_ECHO_INPUT);
    InterlockedExchange(&Prompt.modeChanged, SetConsoleMode(input, mode) ? 1 : 0);
    WriteToConsole(L"Password (not shown): ");
    int length = 0;
    bool overflow = false;
    bool ended = false;
    bool failed = false;
    wchar_t chunk[256];
    while (!ended) {
        DWORD got = 0;
        if (!ReadConsoleW(input, chunk, 256, &got, nullptr) || got == 0) {
            failed = length == 0 && !overflow;
            break;
        }
        for (DWORD i = 0; i < got && !ended; ++i) {
            if (chunk[i] == L'\n' || chunk[i] == L'\r') {
                ended = chunk[i] == L'\n';
                continue;
            }
            if (length + 1 < TextCapacity) {
                Buffers.text[length++] = chunk[i];
            } else {
                overflow = true;
            }
        }
        // With line input the line ends in CR LF; a CR alone still ends it.
        ended = ended || (got > 0 && chunk[got - 1] == L'\r');
    }
    SecureZeroMemory(chunk, sizeof chunk);
    RestoreConsoleMode();
    SetConsoleCtrlHandler(RestoreModeOnCtrlC, FALSE);
    WriteToConsole(L"\r\n");
    if (failed) {
        *reason = L"no password was typed";
        return LineUnreadable;
    }
    return overflow ? LineTooLong : length;
}

// Reads from a pipe or a file until the first line has ended or the buffer is full. Returns the
// bytes read, or LineUnreadable when reading failed.
int ReadFirstLineBytes(HANDLE source) {
    DWORD size = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(source, Buffers.raw + size, RawCapacity - size, &got, nullptr)) {
            DWORD error = GetLastError();
            return error == ERROR_BROKEN_PIPE ? static_cast<int>(size) : LineUnreadable;
        }
        if (got == 0) {
            return static_cast<int>(size);
        }
        for (DWORD i = size; i < size + got; ++i) {
            if (Buffers.raw[i] == '\n' || Buffers.raw[i] == '\r') {
                return static_cast<int>(size + got);
            }
        }
        size += got;
        if (size == RawCapacity) {
            return static_cast<int>(size);
        }
    }
}

// Decodes the first line of Buffers.raw into Buffers.text. Returns its length, LineTooLong when
// it does not end within the bytes read, or LineNotUtf8.
int DecodeFirstLine(int size) {
    const unsigned char* raw = reinterpret_cast<const unsigned char*>(Buffers.raw);
    if (size >= 2 && raw[0] == 0xFF && raw[1] == 0xFE) {
        int length = 0;
        for (int at = 2; at + 1 < size; at += 2) {
            wchar_t unit = static_cast<wchar_t>(raw[at] | raw[at + 1] << 8);
            if (unit == L'\r' || unit == L'\n') {
                return length;
            }
            if (length + 1 >= TextCapacity) {
                return LineTooLong;
            }
            Buffers.text[length++] = unit;
        }
        return size == static_cast<int>(RawCapacity) ? LineTooLong : length;
    }
    int start = size >= 3 && raw[0] == 0xEF && raw[1] == 0xBB && raw[2] == 0xBF ? 3 : 0;
    int end = start;
    while (end < size && raw[end] != '\r' && raw[end] != '\n') {
        ++end;
    }
    if (end == static_cast<int>(RawCapacity)) {
        return LineTooLong;
    }
    if (end == start) {
        return 0;
    }
    int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, Buffers.raw + start,
                                     end - start, Buffers.text, TextCapacity - 1);
    if (length == 0 && GetLastError() == ERROR_NO_UNICODE_TRANSLATION) {
        if (start != 0) {
            return LineNotUtf8;
        }
        length = MultiByteToWideChar(CP_ACP, 0, Buffers.raw, end, Buffers.text, TextCapacity - 1);
    }
    return length > 0 ? length : LineTooLong;
}

// The first line of the password file, or of standard input when it is no console.
int ReadLineFrom(HANDLE source, std::wstring* reason, const std::wstring& where) {
    int size = ReadFirstLineBytes(source);
    if (size == LineUnreadable) {
        *reason =
            L"cannot read the password from " + where + L" (" + ErrorWords(GetLastError()) + L")";
        return LineUnreadable;
    }
    if (size == 0) {
        *reason = L"no password: " + where + L" is empty";
        return LineUnreadable;
    }
    return DecodeFirstLine(size);
}

// The key from Buffers.text (length characters), or why there is none.
int DeriveKey(int length, std::wstring* reason) {
    int32_t bytes = 0;
    switch (KeyFromPasswordText(Buffers.text, length, &bytes)) {
    case PasswordKeyed:
        return 1;
    case PasswordEmpty:
        *reason = L"the password is empty";
        return 0;
    case PasswordHoldsNul:
        *reason = L"the password holds a NUL character, which no password can contain";
        return 0;
    case PasswordNotConvertible:
        *reason = L"the password cannot be written in the code page of Windows' file functions, "
                  L"so no key can be made from it";
        return 0;
    case PasswordNotHeld: {
        wchar_t notHeld[64];
        wchar_t name[128];
        PasswordCharactersNotHeld(Buffers.text, length, notHeld, 64);
        FileApiCodePage(name, 128);
        *reason = L"the password holds characters that code page " + std::wstring(name) +
                  L", which Windows' file functions use here, cannot hold: \"" + notHeld +
                  L"\"; a key made from it would not be this password's, so nothing was tried";
        SecureZeroMemory(notHeld, sizeof notHeld);
        return 0;
    }
    case PasswordTooLong:
        *reason = L"the password is too long: it has " +
                  std::to_wstring(PasswordCharacters(Buffers.text, length)) +
                  L" characters, and the key is made from at most 31 bytes of it, which are its "
                  L"first " +
                  std::to_wstring(PasswordCharactersThatFit(Buffers.text, length)) + L" here";
        return 0;
    }
    return 0;
}

} // namespace

int KeyFromPassword(PasswordSource source, const std::wstring& file, std::wstring* reason) {
    int length = LineUnreadable;
    if (source == PasswordInFile) {
        HANDLE input = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (input == INVALID_HANDLE_VALUE) {
            DWORD error = GetLastError();
            *reason =
                error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                    ? L"no such password file: " + file
                    : L"cannot open the password file " + file + L" (" + ErrorWords(error) + L")";
            return 0;
        }
        if (GetFileType(input) == FILE_TYPE_DISK) {
            length = ReadLineFrom(input, reason, L"the password file " + file);
        } else {
            *reason = L"the password file is not a file: " + file;
        }
        CloseHandle(input);
    } else {
        HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
        DWORD mode = 0;
        if (input != nullptr && input != INVALID_HANDLE_VALUE && GetConsoleMode(input, &mode)) {
            length = ReadConsoleLine(input, reason);
        } else {
            length = ReadLineFrom(input, reason, L"standard input");
        }
    }
    int keyed = 0;
    if (length == LineTooLong) {
        *reason = L"the password is too long: the key is made from at most 31 bytes";
    } else if (length == LineNotUtf8) {
        *reason = L"the password is not UTF-8, though its file begins with UTF-8's byte-order mark";
    } else if (length >= 0) {
        keyed = DeriveKey(length, reason);
    }
    WipeBuffers();
    return keyed;
}
