// Writing the journal: WriteFile per line, FlushFileBuffers at most once a second.
#include "cli/journal_writer.h"
#include "cli/journal_format.h"
#include "res/version.h"
#include <windows.h>

namespace {

const DWORD FlushIntervalMs = 1000;

struct JournalFileRecord {
    HANDLE file;
    int unflushed;        // lines written since the last flush
    DWORD firstUnflushed; // GetTickCount when the first of them was written
};
JournalFileRecord Journal = {INVALID_HANDLE_VALUE, 0, 0};

int WriteWhole(const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(Journal.file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
                   written == bytes.size()
               ? 1
               : 0;
}

} // namespace

int CreateJournal(const std::wstring& path, uint32_t* error) {
    *error = 0;
    // CREATE_NEW: an existing file may be the journal of an earlier restore, the only record
    // from which that one can be undone. Others may read it while it grows, not change it.
    Journal.file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (Journal.file == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return 0;
    }
    if (!WriteWhole(JournalHeaderLine(RESCINDO_VERSION_TEXT)) || !FlushFileBuffers(Journal.file)) {
        *error = GetLastError();
        CloseHandle(Journal.file);
        Journal.file = INVALID_HANDLE_VALUE;
        DeleteFileW(path.c_str()); // made here a moment ago, holding no rename
        return 0;
    }
    Journal.unflushed = 0;
    return 1;
}

int WriteJournalLine(const std::string& line) {
    if (!WriteWhole(line)) {
        return 0;
    }
    if (Journal.unflushed == 0) {
        Journal.firstUnflushed = GetTickCount();
    }
    Journal.unflushed += 1;
    return FlushJournalWhenDue();
}

int FlushJournalWhenDue() {
    if (Journal.file == INVALID_HANDLE_VALUE || Journal.unflushed == 0 ||
        GetTickCount() - Journal.firstUnflushed < FlushIntervalMs) {
        return 1;
    }
    Journal.unflushed = 0;
    // A journal on a share may learn only here that its writes did not reach the disk.
    return FlushFileBuffers(Journal.file) ? 1 : 0;
}

int CloseJournal() {
    if (Journal.file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    BOOL flushed = FlushFileBuffers(Journal.file);
    BOOL closed = CloseHandle(Journal.file);
    Journal.file = INVALID_HANDLE_VALUE;
    Journal.unflushed = 0;
    return flushed && closed ? 1 : 0;
}
