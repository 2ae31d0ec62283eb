// The rows of the list and the words of their cells.
#include "decrypt_app/file_rows.h"

#include <algorithm>

#include "decrypt_app/window_texts.h"
#include "report/decrypt_words.h"
#include "unlock/path_forms.h"
#include "unlock/path_text.h"

FileRowsRecord FileRows;

namespace {

// A case key for any path the decryptor can take, with room for the walk's longer ones.
constexpr size_t KeyCapacity = 2048;

std::wstring CaseKey(const std::wstring& path) {
    std::vector<wchar_t> key(KeyCapacity);
    if (!CaseKeyOf(path.c_str(), key.data(), key.size())) {
        return path; // too long to fold: compared as it is
    }
    return key.data();
}

std::wstring FolderOf(const std::wstring& path) {
    size_t separator = path.rfind(L'\\');
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

std::wstring KeyList(uint32_t fittingKeys) {
    std::wstring list;
    for (int32_t index = 0; index <= BuiltInDesKeyCount; ++index) {
        if (fittingKeys & (1u << index)) {
            int32_t selector = index == BuiltInDesKeyCount ? KeySelectorPassword : index;
            list += (list.empty() ? L"" : L", ") + KeyText(selector);
        }
    }
    return list;
}

std::wstring KeySearchText(const CryptFileResult& result) {
    switch (result.keyResult) {
    case KeyNoSignature:
        return Text(TextKeyNoSignature);
    case KeyNoneFits:
        return Text(TextKeyNoneFits);
    case KeySeveralFit:
        return Format(TextKeySeveralFit, {KeyList(result.fittingKeys)});
    case KeyTooShort:
        return Text(TextKeyTooShort);
    case KeySizesDiffer:
        return Text(TextKeySizesDiffer);
    case KeyWholeFileDiffers:
        return Text(TextKeyWholeFileDiffers);
    case KeyNotCryptName:
        return Text(TextKeyNotCryptName);
    case KeyOpenFailed:
        return Text(TextKeyOpenFailed);
    case KeyReadFailed:
        return Text(TextKeyReadFailed);
    case KeyNotAFile:
        return Text(TextKeyNotAFile);
    case KeyFound:
        break;
    }
    return Format(TextDecryptOtherResult,
                  {std::to_wstring(static_cast<int32_t>(result.keyResult))});
}

std::wstring DecryptorText(const CryptFileResult& result) {
    std::wstring text;
    switch (result.decryptResult) {
    case DecryptOpenFailed:
        text = Text(TextDecryptOpenFailed);
        break;
    case DecryptCreateFailed:
        text = Text(TextDecryptCreateFailed);
        break;
    case DecryptReadFailed:
        text = Text(TextDecryptReadFailed);
        break;
    case DecryptWriteFailed:
        text = Text(TextDecryptWriteFailed);
        break;
    case DecryptNoKey:
        text = Text(TextDecryptNoKey);
        break;
    case DecryptNotCryptFile:
        text = Text(TextDecryptNotCryptFile);
        break;
    default:
        text = Format(TextDecryptOtherResult, {std::to_wstring(result.decryptResult)});
        break;
    }
    if (result.systemError != 0) {
        text += L" (" + Format(TextSystemError, {std::to_wstring(result.systemError)}) + L")";
    }
    if (result.outputName[0] != L'\0') {
        text += Format(TextLeftBehind, {result.outputName});
    }
    return text;
}

// An unfinished file of an earlier run found beside the input, after the row's result.
std::wstring LeftoverText(const CryptFileResult& result) {
    return result.leftoverName[0] != L'\0' ? Format(TextLeftoverFound, {result.leftoverName})
                                           : std::wstring();
}

std::wstring ResultText(const FileRow& row) {
    switch (row.state) {
    case RowWaiting:
        if (row.foundOutcome == CryptSkipped || row.foundOutcome == CryptFailed) {
            CryptFileResult settled = {};
            settled.outcome = row.foundOutcome;
            settled.reason = row.foundReason;
            std::wstring reason = ReasonText(settled);
            return Format(row.foundOutcome == CryptSkipped ? TextResultSkipped : TextResultFailed,
                          {reason});
        }
        return L"";
    case RowDecrypting:
        return Text(TextResultDecrypting);
    case RowStopped:
        return Text(TextResultStopped);
    case RowDone:
        break;
    }
    const CryptFileResult& result = row.result;
    switch (result.outcome) {
    case CryptDecrypted:
        return (result.outputName[0] != L'\0' ? Format(TextResultDecryptedTo, {result.outputName})
                                              : std::wstring(Text(TextResultDecrypted))) +
               LeftoverText(result);
    case CryptNotIdentified:
        return Format(TextResultNotIdentified, {ReasonText(result)});
    case CryptFailed:
        return Format(TextResultFailed, {ReasonText(result)}) + LeftoverText(result);
    case CryptSkipped:
        return Format(TextResultSkipped, {ReasonText(result)});
    case CryptPending:
        break;
    }
    return Text(TextResultStopped);
}

} // namespace

int AddFileRow(const CryptFileFound& found) {
    std::wstring path = found.path;
    if (!FileRows.keys.insert(CaseKey(path)).second) {
        return 0;
    }
    FileRow row;
    row.path = path;
    row.size = found.size;
    row.foundOutcome = found.outcome;
    row.foundReason = found.reason;
    row.state = RowWaiting;
    row.result = CryptFileResult();
    row.result.selector = KeySelectorNone;
    FileRows.rows.push_back(row);
    return 1;
}

void RemoveFileRows(std::vector<int> indexes) {
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    for (auto index = indexes.rbegin(); index != indexes.rend(); ++index) {
        if (*index >= 0 && static_cast<size_t>(*index) < FileRows.rows.size()) {
            FileRows.keys.erase(CaseKey(FileRows.rows[*index].path));
            FileRows.rows.erase(FileRows.rows.begin() + *index);
        }
    }
}

int IsDecryptedRow(const FileRow& row) {
    return row.state == RowDone && row.result.outcome == CryptDecrypted ? 1 : 0;
}

std::wstring CellText(const FileRow& row, ListColumn column) {
    switch (column) {
    case ColumnName:
        return FinalNameOf(row.path.c_str());
    case ColumnFolder:
        return ShownLongPath(FolderOf(row.path));
    case ColumnSize:
        return SizeText(row.size);
    case ColumnKey:
        return row.state == RowDone ? KeyText(row.result.selector) : L"";
    case ColumnResult:
        return ResultText(row);
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

std::wstring KeyText(int32_t selector) {
    if (selector == KeySelectorPassword) {
        return Text(TextKeyOfPassword);
    }
    if (selector >= 0 && selector < BuiltInDesKeyCount) {
        return Format(TextKeyNumber, {std::to_wstring(selector)});
    }
    return L"";
}

std::wstring ReasonText(const CryptFileResult& result) {
    switch (result.reason) {
    case CryptReasonOtherLetters:
        return Text(TextReasonOtherLetters);
    case CryptReasonWalkPathTooLong:
        return Text(TextReasonWalkPathTooLong);
    case CryptReasonDecryptorPathTooLong:
        return Text(TextReasonDecryptorPathTooLong);
    case CryptReasonNoOutputName:
        return Text(TextReasonNoOutputName);
    case CryptReasonKeySearch:
        return KeySearchText(result);
    case CryptReasonDecryptor:
        return DecryptorText(result);
    case CryptReasonStopped: // the row says so on its own
    case CryptReasonNone:
        break;
    }
    return L"";
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
