// The saved report of a run.
#include "decrypt_app/run_report.h"

#include <windows.h>

LastRunRecord LastRun = {};

std::wstring ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? std::wstring(name, size) : L"";
}

std::string ReportText() {
    std::string text;
    for (size_t i = 0; i < LastRun.paths.size(); ++i) {
        text += DecryptFileJson(LastRun.paths[i].c_str(), LastRun.results[i]) + "\r\n";
    }
    return text + DecryptSummaryJson(LastRun.facts, LastRun.totals) + "\r\n";
}

uint32_t WriteReport(const std::wstring& path) {
    std::string text = ReportText();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return GetLastError();
    }
    DWORD written = 0;
    uint32_t error = 0;
    if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
        error = GetLastError();
    } else if (written != text.size()) {
        error = ERROR_DISK_FULL;
    }
    if (!CloseHandle(file) && error == 0) {
        error = GetLastError();
    }
    return error;
}
