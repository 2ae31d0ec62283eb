// A run as the window shows it: the files handed to the worker, each row's result as it comes,
// the progress by bytes, the status line at the end.
#include <windows.h>
#include <commctrl.h>

#include "decrypt_app/decrypt_dialog.h"
#include "decrypt_app/decrypt_worker.h"
#include "decrypt_app/dialog_parts.h"
#include "decrypt_app/file_rows.h"
#include "decrypt_app/run_report.h"
#include "res/decrypt_resource.h"
#include "unlock/path_text.h"

namespace {

constexpr int ProgressRange = 1000;

void RedrawRow(int row) {
    SendMessageW(DecryptWindow.list, LVM_REDRAWITEMS, row, row);
}

void ShowProgress() {
    const DecryptJob& run = Job.decrypt;
    int64_t current = run.current.load();
    int64_t bytes = DecryptWindow.bytesBefore + (current >= 0 ? run.bytesInFile.load() : 0);
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
    const CryptFile& file = run.files.files[static_cast<size_t>(current)];
    SetStatus(
        Format(TextStatusDecrypting, {FinalNameOf(file.path.c_str()), std::to_wstring(current + 1),
                                      std::to_wstring(run.files.files.size()), DecimalText(rate)}));
}

std::wstring RunSummary() {
    const DecryptTotalsRecord& totals = Job.decrypt.totals;
    size_t files = Job.decrypt.files.files.size();
    std::wstring count = std::to_wstring(files);
    std::wstring decrypted = std::to_wstring(totals.decrypted);
    if (totals.notTried > 0) {
        return Format(TextStatusStopped, {decrypted, count, std::to_wstring(totals.notTried)});
    }
    if (totals.decrypted == static_cast<int64_t>(files)) {
        return Format(TextStatusDone, {decrypted, count});
    }
    return Format(TextStatusDoneWithLeft,
                  {decrypted, count, std::to_wstring(totals.notIdentified),
                   std::to_wstring(totals.failed), std::to_wstring(totals.skipped)});
}

} // namespace

void StartDecrypt() {
    // A second Decrypt while a run is going does nothing.
    if (WorkerBusy() || RowCount() == 0) {
        return;
    }
    std::vector<int> rows;
    for (size_t i = 0; i < RowCount(); ++i) {
        if (!IsDecryptedRow(i)) {
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
    DecryptJob& run = Job.decrypt;
    run.plan = plan;
    run.pairOriginal = DecryptWindow.pairOriginal;
    run.pairEncrypted = DecryptWindow.pairEncrypted;
    run.foldersSearched = DecryptWindow.foldersSearched;
    run.foldersNotSearched = DecryptWindow.foldersNotSearched;
    run.files = CryptFileList();
    run.rows = rows;
    DecryptWindow.runBytes = 0;
    for (int row : rows) {
        run.files.files.push_back(FileRows.list.files[static_cast<size_t>(row)]);
        DecryptWindow.runBytes += FileRows.list.files[static_cast<size_t>(row)].size;
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
    DecryptJob& run = Job.decrypt;
    // Cleared before reading, so that anything the worker does from here on posts again.
    Job.runPosted.store(0);
    int64_t done = run.filesDone.load();
    for (int64_t i = DecryptWindow.filesShown; i < done; ++i) {
        size_t place = static_cast<size_t>(i);
        RowView& view = FileRows.views[static_cast<size_t>(run.rows[place])];
        view.result = run.results[place];
        view.state = RowDone;
        DecryptWindow.bytesBefore += run.files.files[place].size;
        RedrawRow(run.rows[place]);
    }
    DecryptWindow.filesShown = done;
    int64_t current = run.current.load();
    if (current >= done && current < static_cast<int64_t>(run.rows.size())) {
        int row = run.rows[static_cast<size_t>(current)];
        if (FileRows.views[static_cast<size_t>(row)].state != RowDecrypting) {
            FileRows.views[static_cast<size_t>(row)].state = RowDecrypting;
            RedrawRow(row);
            SendMessageW(DecryptWindow.list, LVM_ENSUREVISIBLE, row, FALSE);
        }
    }
    ShowProgress();
}

void EndRun() {
    ShowRunNews();
    ReleaseWorker();
    DecryptJob& run = Job.decrypt;
    if (run.pairResult != KeyFound) {
        for (int row : run.rows) {
            FileRows.views[static_cast<size_t>(row)].state = RowWaiting;
        }
        SetStatus(Text(TextStatusNoPairKey));
        UpdateControls();
        // Closing the window during the pair's search wants no message on the way out.
        if (DecryptWindow.closeWhenEnded) {
            return;
        }
        ShowMessage(Format(TextPairNoKey,
                           {ShownLongPath(run.pairEncrypted), ShownLongPath(run.pairOriginal),
                            KeySearchWords(run.pairResult, WindowWords())}));
        return;
    }
    for (size_t i = static_cast<size_t>(run.filesDone.load()); i < run.rows.size(); ++i) {
        FileRows.views[static_cast<size_t>(run.rows[i])].state = RowStopped;
        RedrawRow(run.rows[i]);
    }
    if (run.totals.notTried == 0) {
        SendDlgItemMessageW(DecryptWindow.dialog, IDC_PROGRESS, PBM_SETPOS, ProgressRange, 0);
    }
    KeepRunReport();
    DecryptWindow.stopping = 0;
    SetStatus(RunSummary());
    UpdateControls();
    KeepFocusOn(DecryptWindow.list);
}
