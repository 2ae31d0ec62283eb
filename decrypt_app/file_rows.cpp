// The rows of the list and the words of their cells.
#include "decrypt_app/file_rows.h"

#include <windows.h>

#include <algorithm>
#include <numeric>
#include <string_view>
#include <unordered_map>

#include "decrypt_app/window_texts.h"
#include "report/check_words.h"
#include "report/recycle_words.h"
#include "unlock/path_text.h"

FileRowsRecord FileRows;

namespace {

std::wstring FolderOf(const std::wstring& path) {
    size_t separator = path.rfind(L'\\');
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

// An unfinished file of an earlier run found beside the input, after the row's result.
std::wstring LeftoverText(const wchar_t* path, const CryptFileResult& result) {
    std::wstring words = LeftoverWords(path, result, WindowWords());
    return words.empty() ? words : L"; " + words;
}

std::wstring Outcome(CryptOutcome outcome, const std::wstring& reason) {
    return OutcomeWords(outcome, WindowWords()) + L": " + reason;
}

std::wstring ResultText(size_t place) {
    const CryptFile& file = FileRows.list.files[place];
    const RowView& view = FileRows.views[place];
    const wchar_t* path = file.path.c_str();
    switch (view.state) {
    case RowWaiting:
        if (file.foundOutcome == CryptSkipped || file.foundOutcome == CryptFailed) {
            CryptFileResult settled = BlankCryptResult();
            settled.outcome = file.foundOutcome;
            settled.reason = file.foundReason;
            return Outcome(file.foundOutcome, ReasonText(path, settled));
        }
        return L"";
    case RowDecrypting:
        return Text(TextResultDecrypting);
    case RowStopped:
        return Text(TextResultStopped);
    case RowDone:
        break;
    }
    const CryptFileResult& result = view.result;
    switch (result.outcome) {
    case CryptDecrypted: {
        std::wstring decrypted = OutcomeLabelWords(result, WindowWords()) + L" → " +
                                 OutputNameOf(path, result) + LeftoverText(path, result);
        return view.recycleAsked
                   ? Format(TextResultRecycled,
                            {decrypted, RecycleWords(path, result, view.recycle, WindowWords())})
                   : decrypted;
    }
    case CryptNotIdentified:
    case CryptSkipped:
        return Outcome(result.outcome, ReasonText(path, result));
    case CryptFailed:
        return Outcome(result.outcome, ReasonText(path, result)) + LeftoverText(path, result);
    case CryptPending:
        break;
    }
    return Text(TextResultStopped);
}

} // namespace

size_t RowCount() {
    return FileRows.list.files.size();
}

int AddFileRow(const CryptFile& file) {
    CryptFileFound found = {file.path.c_str(), file.size, file.foundOutcome, file.foundReason};
    if (!AddCryptFile(&FileRows.list, &found)) {
        return 0;
    }
    FileRows.views.push_back({RowWaiting, BlankCryptResult(), 0, {RecycleNotOffered, 0, L""}});
    return 1;
}

void RemoveFileRows(const std::vector<int>& indexes) {
    std::vector<size_t> places;
    for (int index : indexes) {
        if (index >= 0 && static_cast<size_t>(index) < RowCount()) {
            places.push_back(static_cast<size_t>(index));
        }
    }
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());
    for (auto place = places.rbegin(); place != places.rend(); ++place) {
        FileRows.views.erase(FileRows.views.begin() + static_cast<std::ptrdiff_t>(*place));
    }
    RemoveCryptFiles(&FileRows.list, places);
}

std::wstring CheckText(size_t row) {
    const RowView& view = FileRows.views[row];
    return view.state == RowDone && view.result.outcome == CryptDecrypted
               ? CheckReportWords(view.result.check, WindowWords())
               : L"";
}

int IsDecryptedRow(size_t row) {
    const RowView& view = FileRows.views[row];
    return view.state == RowDone && view.result.outcome == CryptDecrypted ? 1 : 0;
}

int IsRecycleOfferedRow(size_t row) {
    const RowView& view = FileRows.views[row];
    return view.state == RowDone && !view.recycleAsked && RecycleOffered(view.result) ? 1 : 0;
}

WordsLanguage WindowWords() {
    return WindowLanguage.russian == 1 ? WordsRussian : WordsEnglish;
}

std::wstring CellText(size_t row, ListColumn column) {
    const CryptFile& file = FileRows.list.files[row];
    switch (column) {
    case ColumnName:
        return FinalNameOf(file.path.c_str());
    case ColumnFolder:
        return ShownLongPath(FolderOf(file.path));
    case ColumnSize:
        return SizeText(file.size);
    case ColumnKey:
        return FileRows.views[row].state == RowDone
                   ? ShortKeyWords(FileRows.views[row].result.selector, WindowWords())
                   : L"";
    case ColumnResult:
        return ResultText(row);
    case ColumnCheck:
        return FileRows.views[row].state == RowDone &&
                       FileRows.views[row].result.outcome == CryptDecrypted
                   ? CheckVerdictWords(FileRows.views[row].result.check.verdict, WindowWords())
                   : L"";
    case ColumnCount:
        break;
    }
    return L"";
}

std::wstring SizeText(int64_t bytes) {
    const double kilo = 1024.0;
    double value = static_cast<double>(bytes);
    if (bytes < 1024) {
        return Format(TextSizeBytes, {std::to_wstring(bytes)});
    }
    if (value < kilo * kilo) {
        return Format(TextSizeKilobytes, {DecimalText(value / kilo)});
    }
    if (value < kilo * kilo * kilo) {
        return Format(TextSizeMegabytes, {DecimalText(value / kilo / kilo)});
    }
    return Format(TextSizeGigabytes, {DecimalText(value / kilo / kilo / kilo)});
}

std::wstring ReasonText(const wchar_t* path, const CryptFileResult& result) {
    std::wstring reason = CryptReasonWords(path, result, WindowWords());
    if (result.reason == CryptReasonKeySearch && result.keyResult == KeySeveralFit) {
        reason += L" (" + FittingKeysWords(result.fittingKeys, WindowWords()) + L")";
    }
    // A stopped row says so on its own.
    return result.reason == CryptReasonStopped ? std::wstring() : reason;
}

std::wstring ShownLongPath(const std::wstring& longPath) {
    std::vector<wchar_t> shown(longPath.size() + 8);
    DisplayedPath(longPath.c_str(), shown.data(), shown.size());
    return shown.data();
}

std::wstring DecimalText(double value) {
    std::wstring text = OneDecimal(value);
    if (WindowLanguage.russian == 1) {
        std::replace(text.begin(), text.end(), L'.', L',');
    }
    return text;
}

// Rows of one folder share a rank: each folder's long form is compared once with the others (as
// their shown forms order them, network folders among the drives aside), the rows by their ranks.
// A row's folder is found as the part of its path before the name, made into no text of its own;
// the rows of a folder mostly come one after another, as the walk found them.
static std::vector<size_t> FolderRanks(int descending) {
    const std::vector<CryptFile>& files = FileRows.list.files;
    std::vector<std::wstring_view> folders;
    std::unordered_map<std::wstring_view, size_t> places;
    std::vector<size_t> folderOfRow(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        std::wstring_view path = files[i].path;
        size_t separator = path.rfind(L'\\');
        std::wstring_view folder = path.substr(0, separator == path.npos ? 0 : separator);
        if (i > 0 && folders[folderOfRow[i - 1]] == folder) {
            folderOfRow[i] = folderOfRow[i - 1];
            continue;
        }
        auto found = places.emplace(folder, folders.size());
        if (found.second) {
            folders.push_back(folder);
        }
        folderOfRow[i] = found.first->second;
    }
    std::vector<std::wstring> keys(folders.begin(), folders.end());
    for (std::wstring& key : keys) {
        if (!key.empty()) {
            CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
        }
    }
    std::vector<size_t> byText(keys.size());
    std::iota(byText.begin(), byText.end(), 0);
    std::stable_sort(byText.begin(), byText.end(), [&](size_t a, size_t b) {
        return descending ? keys[b] < keys[a] : keys[a] < keys[b];
    });
    std::vector<size_t> rankOfFolder(keys.size());
    for (size_t rank = 0; rank < byText.size(); ++rank) {
        rankOfFolder[byText[rank]] = rank;
    }
    for (size_t& folder : folderOfRow) {
        folder = rankOfFolder[folder];
    }
    return folderOfRow;
}

void SortRows(ListColumn column, int descending) {
    size_t count = RowCount();
    std::vector<size_t> order(count);
    std::iota(order.begin(), order.end(), 0);
    if (column == ColumnSize) {
        const std::vector<CryptFile>& files = FileRows.list.files;
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            return descending ? files[a].size > files[b].size : files[a].size < files[b].size;
        });
    } else if (column == ColumnFolder) {
        std::vector<size_t> ranks = FolderRanks(descending);
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return ranks[a] < ranks[b]; });
    } else {
        // Each row's text once, in capitals, then compared as they stand: a locale's comparison
        // of each pair took seconds for a list of 100,000.
        std::vector<std::wstring> keys(count);
        for (size_t i = 0; i < count; ++i) {
            keys[i] = CellText(i, column);
            if (!keys[i].empty()) {
                CharUpperBuffW(&keys[i][0], static_cast<DWORD>(keys[i].size()));
            }
        }
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            return descending ? keys[b] < keys[a] : keys[a] < keys[b];
        });
    }
    std::vector<CryptFile> files;
    std::vector<RowView> views;
    files.reserve(count);
    views.reserve(count);
    for (size_t place : order) {
        files.push_back(std::move(FileRows.list.files[place]));
        views.push_back(std::move(FileRows.views[place]));
    }
    FileRows.list.files.swap(files);
    FileRows.views.swap(views);
}
