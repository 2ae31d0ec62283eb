// A run as the window shows it: the plan from the key controls, the files handed to the worker,
// each row's result as it comes, the progress by bytes, the status line, and the report.
#include <windows.h>
#include <commctrl.h>

#include "decrypt_app/decrypt_dialog.h"
#include "decrypt_app/decrypt_worker.h"
#include "decrypt_app/dialog_parts.h"
#include "decrypt_app/file_pickers.h"
#include "decrypt_app/file_rows.h"
#include "decrypt_app/run_report.h"
#include "recovery/password_text.h"
#include "res/decrypt_resource.h"
#include "unlock/path_forms.h"
#include "unlock/path_text.h"

namespace {

constexpr int ProgressRange = 1000;
constexpr size_t LongPathCapacity = 4096;

bool Checked(int id) {
    return IsDlgButtonChecked(DecryptWindow.dialog, id) == BST_CHECKED;
}

void RedrawRow(int row) {
    SendMessageW(DecryptWindow.list, LVM_REDRAWITEMS, row, row);
}

// Makes the password's key from the edit box. The copy read out of the box is wiped at once;
// KeyFromPasswordText wipes its own.
bool KeyFromPasswordBox() {
    HWND box = GetDlgItem(DecryptWindow.dialog, IDC_PASSWORD);
    int length = GetWindowTextLengthW(box);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    int got = GetWindowTextW(box, text.data(), length + 1);
    int32_t bytes = 0;
    PasswordVerdict verdict = KeyFromPasswordText(text.data(), got, &bytes);
    SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));
    switch (verdict) {
    case PasswordKeyed:
        return true;
    case PasswordEmpty:
        ShowMessage(Text(TextPasswordEmpty));
        break;
    case PasswordHoldsNul:
        ShowMessage(Text(TextPasswordHoldsNul));
        break;
    case PasswordNotConvertible:
        ShowMessage(Text(TextPasswordNotConvertible));
        break;
    case PasswordTooLong:
        ShowMessage(Format(TextPasswordTooLong, {std::to_wstring(bytes)}));
        break;
    }
    KeepFocusOn(box);
    SetFocus(box);
    return false;
}

// The plan of the key controls; false (having told the user why) when it cannot be made. A
// password typed beside the automatic way or a pair is one more key to try.
bool PlanFromControls(DecryptPlan* plan) {
    KeyMethod method = KeyByType;
    int32_t builtInKey = 0;
    bool typed = GetWindowTextLengthW(GetDlgItem(DecryptWindow.dialog, IDC_PASSWORD)) > 0;
    bool password = false;
    if (Checked(IDC_KEY_BUILT_IN)) {
        method = KeyBuiltIn;
        builtInKey = static_cast<int32_t>(
            SendDlgItemMessageW(DecryptWindow.dialog, IDC_KEY_NUMBER, CB_GETCURSEL, 0, 0));
    } else if (Checked(IDC_KEY_PAIR)) {
        method = KeyByPair;
        password = typed;
        if (DecryptWindow.pairOriginal.empty() || DecryptWindow.pairEncrypted.empty()) {
            ShowMessage(Text(TextPairMissing));
            return false;
        }
    } else if (Checked(IDC_KEY_PASSWORD)) {
        method = KeyByPassword;
        password = true;
    } else {
        password = typed;
    }
    if (password && !KeyFromPasswordBox()) {
        return false;
    }
    return MakeDecryptPlan(method, builtInKey, password ? 1 : 0, plan) == PlanReady;
}

void ShowProgress() {
    int64_t current = Worker.current.load();
    int64_t bytes = DecryptWindow.bytesBefore + (current >= 0 ? Worker.bytesInFile.load() : 0);
    int position = DecryptWindow.runBytes > 0
                       ? static_cast<int>(bytes * ProgressRange / DecryptWindow.runBytes)
                       : 0;
    SendDlgItemMessageW(DecryptWindow.dialog, IDC_PROGRESS, PBM_SETPOS, position, 0);
    if (current < 0 || DecryptWindow.stopping) {
        return;
    }
    uint64_t elapsedMs = GetTickCount64() - DecryptWindow.runStartedMs;
    double rate =
        elapsedMs > 0 ? static_cast<double>(bytes) / 1e3 / static_cast<double>(elapsedMs) : 0.0;
    const RunFile& file = Worker.files[static_cast<size_t>(current)];
    SetStatus(Format(TextStatusDecrypting,
                     {FinalNameOf(file.pathText.c_str()), std::to_wstring(current + 1),
                      std::to_wstring(Worker.files.size()), DecimalText(rate)}));
}

std::wstring RunSummary() {
    const DecryptTotalsRecord& totals = Worker.totals;
    std::wstring count = std::to_wstring(Worker.files.size());
    std::wstring decrypted = std::to_wstring(totals.decrypted);
    if (totals.notTried > 0) {
        return Format(TextStatusStopped, {decrypted, count, std::to_wstring(totals.notTried)});
    }
    if (totals.decrypted == static_cast<int64_t>(Worker.files.size())) {
        return Format(TextStatusDone, {decrypted, count});
    }
    return Format(TextStatusDoneWithLeft,
                  {decrypted, count, std::to_wstring(totals.notIdentified),
                   std::to_wstring(totals.failed), std::to_wstring(totals.skipped)});
}

void KeepReport() {
    LastRun.have = 1;
    LastRun.paths.clear();
    LastRun.results.clear();
    int64_t done = Worker.filesDone.load();
    for (int64_t i = 0; i < done; ++i) {
        const RunFile& file = Worker.files[static_cast<size_t>(i)];
        if (file.result.outcome != CryptPending) {
            LastRun.paths.push_back(file.pathText);
            LastRun.results.push_back(file.result);
        }
    }
    LastRun.totals = Worker.totals;
    LastRun.facts.computer = ComputerName();
    LastRun.facts.paths = DecryptWindow.namedPaths;
    LastRun.facts.plan = Worker.plan;
    LastRun.facts.stopped = Worker.stop.load() != 0 ? 1 : 0;
    // The console program's codes: 0 when the run did all it was asked, else 1.
    LastRun.facts.exitCode = Worker.complete ? 0 : 1;
}

} // namespace

void StartDecrypt() {
    // A second Decrypt while a run is going does nothing.
    if (WorkerBusy() || FileRows.rows.empty()) {
        return;
    }
    std::vector<int> rows;
    for (size_t i = 0; i < FileRows.rows.size(); ++i) {
        if (!IsDecryptedRow(FileRows.rows[i])) {
            rows.push_back(static_cast<int>(i));
        }
    }
    if (rows.empty()) {
        SetStatus(Text(TextStatusAllDecryptedAlready));
        return;
    }
    DecryptPlan plan = {};
    if (!PlanFromControls(&plan)) {
        return;
    }
    Worker.plan = plan;
    Worker.pairOriginal = DecryptWindow.pairOriginal;
    Worker.pairEncrypted = DecryptWindow.pairEncrypted;
    Worker.foldersSearched = DecryptWindow.foldersSearched;
    Worker.foldersNotSearched = DecryptWindow.foldersNotSearched;
    Worker.files.clear();
    DecryptWindow.runBytes = 0;
    for (int row : rows) {
        const FileRow& file = FileRows.rows[static_cast<size_t>(row)];
        RunFile entry;
        entry.pathText = file.path;
        entry.found = {nullptr, file.size, file.foundOutcome, file.foundReason};
        entry.result = CryptFileResult();
        entry.row = row;
        Worker.files.push_back(entry);
        DecryptWindow.runBytes += file.size;
    }
    DecryptWindow.bytesBefore = 0;
    DecryptWindow.filesShown = 0;
    DecryptWindow.stopping = 0;
    DecryptWindow.runStartedMs = GetTickCount64();
    if (!StartWorker(JobDecrypt)) {
        return;
    }
    SendDlgItemMessageW(DecryptWindow.dialog, IDC_PROGRESS, PBM_SETPOS, 0, 0);
    SetStatus(plan.method == KeyByPair ? Text(TextStatusFindingPairKey) : L"");
    UpdateControls();
    SendMessageW(DecryptWindow.dialog, WM_NEXTDLGCTL,
                 reinterpret_cast<WPARAM>(GetDlgItem(DecryptWindow.dialog, IDC_STOP)), TRUE);
}

void ShowRunNews() {
    // Cleared before reading, so that anything the worker does from here on posts again.
    Worker.runPosted.store(0);
    int64_t done = Worker.filesDone.load();
    for (int64_t i = DecryptWindow.filesShown; i < done; ++i) {
        const RunFile& file = Worker.files[static_cast<size_t>(i)];
        FileRow& row = FileRows.rows[static_cast<size_t>(file.row)];
        row.result = file.result;
        row.state = file.result.outcome == CryptPending ? RowStopped : RowDone;
        DecryptWindow.bytesBefore += file.found.size;
        RedrawRow(file.row);
    }
    DecryptWindow.filesShown = done;
    int64_t current = Worker.current.load();
    if (current >= done && current < static_cast<int64_t>(Worker.files.size())) {
        int row = Worker.files[static_cast<size_t>(current)].row;
        if (FileRows.rows[static_cast<size_t>(row)].state != RowDecrypting) {
            FileRows.rows[static_cast<size_t>(row)].state = RowDecrypting;
            RedrawRow(row);
            SendMessageW(DecryptWindow.list, LVM_ENSUREVISIBLE, row, FALSE);
        }
    }
    ShowProgress();
}

void EndRun() {
    ShowRunNews();
    ReleaseWorker();
    if (Worker.pairResult != KeyFound) {
        SetStatus(Text(TextStatusNoPairKey));
        UpdateControls();
        // Closing the window during the pair's search wants no message on the way out.
        if (DecryptWindow.closeWhenEnded) {
            return;
        }
        CryptFileResult why = {};
        why.reason = CryptReasonKeySearch;
        why.keyResult = Worker.pairResult;
        ShowMessage(Format(TextPairNoKey, {ShownLongPath(Worker.pairEncrypted),
                                           ShownLongPath(Worker.pairOriginal), ReasonText(why)}));
        return;
    }
    for (size_t i = static_cast<size_t>(Worker.filesDone.load()); i < Worker.files.size(); ++i) {
        int row = Worker.files[i].row;
        FileRows.rows[static_cast<size_t>(row)].state = RowStopped;
        RedrawRow(row);
    }
    if (Worker.totals.notTried == 0) {
        SendDlgItemMessageW(DecryptWindow.dialog, IDC_PROGRESS, PBM_SETPOS, ProgressRange, 0);
    }
    KeepReport();
    DecryptWindow.stopping = 0;
    SetStatus(RunSummary());
    UpdateControls();
    KeepFocusOn(DecryptWindow.list);
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
        ShowMessage(Format(TextReportNotWritten,
                           {path, Format(TextSystemError, {std::to_wstring(error)})}));
        return;
    }
    SetStatus(Format(TextStatusReportSaved, {path}));
}

void ChoosePairFile(int button) {
    bool original = button == IDC_PAIR_ORIGINAL_CHOOSE;
    std::wstring chosen;
    if (!PickOneFile(DecryptWindow.dialog, original ? TextOriginalTitle : TextEncryptedTitle,
                     &chosen)) {
        return;
    }
    wchar_t longForm[LongPathCapacity];
    int32_t shareRoot = 0;
    uint32_t error = 0;
    if (LongFormOf(chosen.c_str(), longForm, LongPathCapacity, &shareRoot, &error) !=
        LongFormMade) {
        SetStatus(Format(TextStatusPathRefused, {chosen}));
        return;
    }
    (original ? DecryptWindow.pairOriginal : DecryptWindow.pairEncrypted) = longForm;
    SetDlgItemTextW(DecryptWindow.dialog, original ? IDC_PAIR_ORIGINAL : IDC_PAIR_ENCRYPTED,
                    ShownLongPath(longForm).c_str());
}
