// The clean-up as the window offers it: after a run, the .crypt files whose outputs checked are
// moved to the Recycle Bin on the worker once the user has confirmed their count; each row says
// what became of its file, and the files kept are listed.
#include <windows.h>
#include <commctrl.h>

#include "decrypt_app/decrypt_dialog.h"
#include "decrypt_app/decrypt_worker.h"
#include "decrypt_app/dialog_parts.h"
#include "decrypt_app/file_rows.h"
#include "report/recycle_words.h"
#include "res/decrypt_resource.h"
#include "unlock/path_text.h"

namespace {

void ShowRecycleStatus() {
    const RecycleJob& recycle = Job.recycle;
    SetStatus(Format(TextStatusRecycling, {std::to_wstring(recycle.filesDone.load()),
                                           std::to_wstring(recycle.paths.size())}));
}

// The files kept although they were offered, with why, in one message.
void ListKept() {
    constexpr size_t Listed = 20;
    const RecycleJob& recycle = Job.recycle;
    std::wstring text;
    size_t kept = 0;
    for (size_t i = 0; i < static_cast<size_t>(recycle.filesDone.load()); ++i) {
        const RecycleResult& recycled = recycle.recycled[i];
        if (recycled.outcome == RecycleMoved && recycled.secondName.empty()) {
            continue;
        }
        if (++kept <= Listed) {
            const wchar_t* path = recycle.paths[i].c_str();
            text += L"\r\n" + ShownLongPath(recycle.paths[i]) + L": " +
                    RecycleWords(path, recycle.results[i], recycled, WindowWords());
        }
    }
    if (kept == 0) {
        return;
    }
    if (kept > Listed) {
        text += L"\r\n" + Format(TextNotSearchedMore, {std::to_wstring(kept - Listed)});
    }
    ShowMessage(std::wstring(Text(TextRecycleKept)) + L"\r\n" + text);
}

} // namespace

size_t RecycleOfferedCount() {
    size_t offered = 0;
    for (size_t i = 0; i < RowCount(); ++i) {
        offered += static_cast<size_t>(IsRecycleOfferedRow(i));
    }
    return offered;
}

void StartRecycle() {
    if (WorkerBusy()) {
        return;
    }
    RecycleJob& recycle = Job.recycle;
    recycle.paths.clear();
    recycle.results.clear();
    recycle.rows.clear();
    for (size_t i = 0; i < RowCount(); ++i) {
        if (IsRecycleOfferedRow(i)) {
            recycle.paths.push_back(FileRows.list.files[i].path);
            recycle.results.push_back(FileRows.views[i].result);
            recycle.rows.push_back(static_cast<int>(i));
        }
    }
    if (recycle.paths.empty()) {
        return;
    }
    int answer =
        MessageBoxW(DecryptWindow.dialog,
                    Format(TextRecycleConfirm, {std::to_wstring(recycle.paths.size())}).c_str(),
                    Text(TextCaption), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    if (answer != IDYES || !StartWorker(JobRecycle)) {
        return;
    }
    DecryptWindow.filesShown = 0;
    DecryptWindow.stopping = 0;
    ShowRecycleStatus();
    UpdateControls();
    SendMessageW(DecryptWindow.dialog, WM_NEXTDLGCTL,
                 reinterpret_cast<WPARAM>(GetDlgItem(DecryptWindow.dialog, IDC_STOP)), TRUE);
}

void ShowRecycleNews() {
    RecycleJob& recycle = Job.recycle;
    Job.runPosted.store(0);
    int64_t done = recycle.filesDone.load();
    for (int64_t i = DecryptWindow.filesShown; i < done; ++i) {
        size_t place = static_cast<size_t>(i);
        int row = recycle.rows[place];
        RowView& view = FileRows.views[static_cast<size_t>(row)];
        view.recycleAsked = 1;
        view.recycle = recycle.recycled[place];
        SendMessageW(DecryptWindow.list, LVM_REDRAWITEMS, row, row);
    }
    DecryptWindow.filesShown = done;
    if (!DecryptWindow.stopping) {
        ShowRecycleStatus();
    }
}

void EndRecycle() {
    ShowRecycleNews();
    ReleaseWorker();
    const RecycleJob& recycle = Job.recycle;
    int64_t moved = 0;
    for (size_t i = 0; i < static_cast<size_t>(recycle.filesDone.load()); ++i) {
        moved += recycle.recycled[i].outcome == RecycleMoved;
    }
    DecryptWindow.stopping = 0;
    SetStatus(Format(TextStatusRecycled,
                     {std::to_wstring(moved), std::to_wstring(recycle.filesDone.load() - moved)}));
    UpdateControls();
    KeepFocusOn(DecryptWindow.list);
    if (!DecryptWindow.closeWhenEnded) {
        ListKept();
    }
}
