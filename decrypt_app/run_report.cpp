// The saved report of a run.
#include "decrypt_app/run_report.h"

#include <windows.h>

#include "decrypt_app/decrypt_dialog.h"
#include "decrypt_app/decrypt_worker.h"
#include "decrypt_app/dialog_parts.h"
#include "decrypt_app/file_pickers.h"
#include "decrypt_app/file_rows.h"

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

void KeepRunReport() {
    const DecryptJob& run = Job.decrypt;
    LastRun.have = 1;
    LastRun.paths.clear();
    LastRun.results.clear();
    int64_t done = run.filesDone.load();
    for (int64_t i = 0; i < done; ++i) {
        LastRun.paths.push_back(run.files.files[static_cast<size_t>(i)].path);
        LastRun.results.push_back(run.results[static_cast<size_t>(i)]);
    }
    LastRun.totals = run.totals;
    LastRun.facts.computer = ComputerName();
    LastRun.facts.paths = DecryptWindow.namedPaths;
    LastRun.facts.plan = run.plan;
    LastRun.facts.stopped = Job.stop.load() != 0 ? 1 : 0;
    // The console program's codes: 0 when the run did all it was asked, else 1.
    LastRun.facts.exitCode = run.complete ? 0 : 1;
}

void SaveReport() {
    if (WorkerBusy() || !LastRun.have) {
        return;
    }
    std::wstring path;
    if (!PickReportFile(DecryptWindow.dialog, &path)) {
        return;
    }
    uint32_t error = WriteReport(path);
    if (error != 0) {
        ShowMessage(Format(TextReportNotWritten, {path, ErrorWords(error, WindowWords())}));
        return;
    }
    SetStatus(Format(TextStatusReportSaved, {path}));
}
