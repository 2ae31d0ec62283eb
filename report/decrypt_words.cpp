// The words of a decrypt run's outcomes in both languages: see report/decrypt_words.h.
#include "report/decrypt_words.h"

#include <cstdio>

#include "unlock/path_text.h"

namespace {

// Every phrase once, in both languages; a row's places {1}, {2}... are filled in by the callers
// below. Russian counts and names follow a colon, which reads right for every number.
enum PhraseId : int32_t {
    PhraseError,
    PhraseErrorNamed,
    PhraseKey,
    PhrasePasswordKey,
    PhrasePassword,
    PhraseDecrypted,
    PhraseNotIdentified,
    PhraseFailed,
    PhraseSkipped,
    PhraseNotTried,
    PhraseAlreadyDecrypted,
    PhraseOtherLetters,
    PhraseWalkPathTooLong,
    PhraseDecryptorPathTooLong,
    PhraseNoOutputName,
    PhraseStopped,
    PhraseKeyFound,
    PhraseKeyNoSignature,
    PhraseKeyNoneFits,
    PhraseKeySeveralFit,
    PhraseKeyTooShort,
    PhraseKeySizesDiffer,
    PhraseKeyWholeFileDiffers,
    PhraseKeyNotCryptName,
    PhraseKeyOpenFailed,
    PhraseKeyReadFailed,
    PhraseKeyNotAFile,
    PhraseKeyStopped,
    PhraseKeyRefuted,
    PhraseKeyRefutedType,
    PhraseKeySeveralCheck,
    PhraseKeyOther,
    PhraseOpenFailed,
    PhraseCreateFailed,
    PhraseReadFailed,
    PhraseWriteFailed,
    PhraseNoKey,
    PhraseNotCryptFile,
    PhraseOtherResult,
    PhraseLeftover,
    PhraseCount
};

struct Phrase {
    PhraseId id; // the row's own index, so that a row out of place is found by the tests
    const wchar_t* english;
    const wchar_t* russian;
};

const Phrase Phrases[PhraseCount] = {
    {PhraseError, L"error {1}", L"ошибка {1}"},
    {PhraseErrorNamed, L"{1}, error {2}", L"{1}, ошибка {2}"},
    {PhraseKey, L"key {1}", L"ключ {1}"},
    {PhrasePasswordKey, L"the password's key", L"ключ пароля"},
    {PhrasePassword, L"password", L"пароль"},
    {PhraseDecrypted, L"decrypted", L"расшифрован"},
    {PhraseNotIdentified, L"not identified", L"ключ не определён"},
    {PhraseFailed, L"failed", L"ошибка"},
    {PhraseSkipped, L"skipped", L"пропущен"},
    {PhraseNotTried, L"not tried", L"не обработан"},
    {PhraseAlreadyDecrypted, L"already decrypted", L"уже расшифрован"},
    {PhraseOtherLetters, L"the decryptor takes only names ending in \".crypt\", in small letters",
     L"расшифровываются только имена, оканчивающиеся на «.crypt» строчными буквами"},
    {PhraseWalkPathTooLong, L"its path is longer than the walk can handle",
     L"его путь длиннее, чем может обработать поиск"},
    {PhraseDecryptorPathTooLong,
     L"its path is too long for the decryptor (at most {1} characters, \\\\?\\ included)",
     L"его путь слишком длинный для расшифровки (не более {1} знаков вместе с \\\\?\\)"},
    {PhraseNoOutputName,
     L"no free name for the output fits the decryptor's {1} characters: {2} is taken",
     L"для результата нет свободного имени не длиннее {1} знаков: {2} занято"},
    {PhraseStopped, L"stopped part way; nothing was written",
     L"остановлено на полпути; ничего не записано"},
    {PhraseKeyFound, L"key found", L"ключ найден"},
    {PhraseKeyNoSignature, L"no known signature for this file type",
     L"у этого типа файлов нет известной сигнатуры"},
    {PhraseKeyNoneFits, L"no key fits", L"ни один ключ не подходит"},
    {PhraseKeySeveralFit, L"several keys fit", L"подходят несколько ключей"},
    {PhraseKeyTooShort, L"the file is too short to tell the keys apart",
     L"файл слишком короткий, чтобы различить ключи"},
    {PhraseKeySizesDiffer, L"the original and the encrypted file differ in size",
     L"размеры оригинала и зашифрованного файла различаются"},
    {PhraseKeyWholeFileDiffers, L"the first blocks fit a key but the whole file does not",
     L"ключ подходит к началу файла, но не ко всему файлу"},
    {PhraseKeyNotCryptName, L"the name does not end in \".crypt\"",
     L"имя не оканчивается на «.crypt»"},
    {PhraseKeyOpenFailed, L"the file cannot be opened", L"файл не открывается"},
    {PhraseKeyReadFailed, L"the file cannot be read", L"файл не читается"},
    {PhraseKeyNotAFile, L"not a file", L"это не файл"},
    {PhraseKeyStopped, L"stopped before a key was found", L"остановлено до того, как найден ключ"},
    {PhraseKeyRefuted, L"the key given does not fit this type of file: its signature does not show",
     L"заданный ключ не подходит к этому типу файлов: его сигнатура не видна"},
    {PhraseKeyRefutedType, L"{1} does not fit a {2} file: its signature does not show",
     L"{1} не подходит к файлу {2}: его сигнатура не видна"},
    {PhraseKeySeveralCheck, L"several keys fit, and the outputs of more than one check",
     L"подходят несколько ключей, и проверку проходит результат больше чем одного"},
    {PhraseKeyOther, L"the key search gave result {1}", L"поиск ключа вернул код {1}"},
    {PhraseOpenFailed, L"the file cannot be opened", L"файл не открывается"},
    {PhraseCreateFailed, L"the output file cannot be created",
     L"не удаётся создать файл результата"},
    {PhraseReadFailed, L"reading the file failed part way", L"чтение файла прервалось"},
    {PhraseWriteFailed,
     L"writing the output failed part way (is the disk full?); nothing was left of it",
     L"запись результата прервалась (диск заполнен?); от неё ничего не осталось"},
    {PhraseNoKey, L"no key was chosen", L"ключ не выбран"},
    {PhraseNotCryptFile, L"the name does not end in \".crypt\"",
     L"имя не оканчивается на «.crypt»"},
    {PhraseOtherResult, L"the decryptor gave result {1}", L"расшифровка вернула код {1}"},
    {PhraseLeftover,
     L"an unfinished file of an earlier run lies beside it, \"{1}\": it was left as it is",
     L"рядом лежит незаконченный файл прошлого запуска, «{1}»: он оставлен как есть"},
};

const wchar_t* Said(PhraseId id, WordsLanguage language) {
    const Phrase& phrase = Phrases[id];
    return language == WordsRussian ? phrase.russian : phrase.english;
}

std::wstring Said(PhraseId id, WordsLanguage language, std::initializer_list<std::wstring> values) {
    return FillPlaces(Said(id, language), values);
}

// The system errors a user can do something about, by their numbers in winerror.h.
struct ErrorName {
    uint32_t error;
    const wchar_t* english;
    const wchar_t* russian;
};
const ErrorName ErrorNames[] = {
    {2, L"the entry is gone", L"файла или папки больше нет"},              // ERROR_FILE_NOT_FOUND
    {3, L"the entry is gone", L"файла или папки больше нет"},              // ERROR_PATH_NOT_FOUND
    {5, L"access denied", L"отказано в доступе"},                          // ERROR_ACCESS_DENIED
    {19, L"the medium is write-protected", L"носитель защищён от записи"}, // ERROR_WRITE_PROTECT
    {32, L"in use by another program", L"занят другой программой"},  // ERROR_SHARING_VIOLATION
    {33, L"in use by another program", L"занят другой программой"},  // ERROR_LOCK_VIOLATION
    {80, L"an entry of that name exists", L"такое имя уже занято"},  // ERROR_FILE_EXISTS
    {183, L"an entry of that name exists", L"такое имя уже занято"}, // ERROR_ALREADY_EXISTS
    {206, L"the path is too long", L"путь слишком длинный"},         // ERROR_FILENAME_EXCED_RANGE
    {21, L"the drive is not ready", L"диск не готов"},               // ERROR_NOT_READY
    {112, L"the disk is full", L"диск заполнен"},                    // ERROR_DISK_FULL
};

std::wstring DecryptorWords(const CryptFileResult& result, WordsLanguage language) {
    std::wstring because =
        result.systemError != 0 ? L" (" + ErrorWords(result.systemError, language) + L")" : L"";
    switch (result.decryptResult) {
    case DecryptOpenFailed:
        return Said(PhraseOpenFailed, language) + because;
    case DecryptCreateFailed:
        return Said(PhraseCreateFailed, language) + because;
    case DecryptReadFailed:
        return Said(PhraseReadFailed, language);
    case DecryptWriteFailed:
        return Said(PhraseWriteFailed, language);
    case DecryptNoKey:
        return Said(PhraseNoKey, language);
    case DecryptNotCryptFile:
        return Said(PhraseNotCryptFile, language);
    default:
        break;
    }
    return Said(PhraseOtherResult, language, {std::to_wstring(result.decryptResult)});
}

std::wstring NameOf(const wchar_t* path, DecryptNameRow row, int32_t counter) {
    wchar_t name[DecryptFileNameCapacity];
    return DecryptedNameOf(path, row, counter, name, DecryptFileNameCapacity) ? std::wstring(name)
                                                                              : std::wstring();
}

std::wstring Displayed(const std::wstring& longPath) {
    std::vector<wchar_t> shown(longPath.size() + 8);
    DisplayedPath(longPath.c_str(), shown.data(), shown.size());
    return shown.data();
}

} // namespace

std::wstring ErrorWords(uint32_t error, WordsLanguage language) {
    for (const ErrorName& name : ErrorNames) {
        if (name.error == error) {
            return Said(
                PhraseErrorNamed, language,
                {language == WordsRussian ? name.russian : name.english, std::to_wstring(error)});
        }
    }
    return Said(PhraseError, language, {std::to_wstring(error)});
}

std::wstring KeyWords(int32_t selector, WordsLanguage language) {
    return selector == KeySelectorPassword ? std::wstring(Said(PhrasePasswordKey, language))
                                           : Said(PhraseKey, language, {std::to_wstring(selector)});
}

std::wstring ShortKeyWords(int32_t selector, WordsLanguage language) {
    if (selector == KeySelectorPassword) {
        return Said(PhrasePassword, language);
    }
    return selector >= 0 && selector < BuiltInDesKeyCount
               ? Said(PhraseKey, language, {std::to_wstring(selector)})
               : std::wstring();
}

std::vector<int32_t> FittingSelectors(uint32_t fittingKeys) {
    std::vector<int32_t> selectors;
    for (int32_t index = 0; index <= BuiltInDesKeyCount; ++index) {
        if (fittingKeys & (1u << index)) {
            selectors.push_back(index == BuiltInDesKeyCount ? KeySelectorPassword : index);
        }
    }
    return selectors;
}

std::wstring FittingKeysWords(uint32_t fittingKeys, WordsLanguage language) {
    std::wstring list;
    for (int32_t selector : FittingSelectors(fittingKeys)) {
        list += (list.empty() ? L"" : L", ") + ShortKeyWords(selector, language);
    }
    return list;
}

std::wstring KeySearchWords(KeySearchResult result, WordsLanguage language) {
    switch (result) {
    case KeyFound:
        return Said(PhraseKeyFound, language);
    case KeyNoSignature:
        return Said(PhraseKeyNoSignature, language);
    case KeyNoneFits:
        return Said(PhraseKeyNoneFits, language);
    case KeySeveralFit:
        return Said(PhraseKeySeveralFit, language);
    case KeyTooShort:
        return Said(PhraseKeyTooShort, language);
    case KeySizesDiffer:
        return Said(PhraseKeySizesDiffer, language);
    case KeyWholeFileDiffers:
        return Said(PhraseKeyWholeFileDiffers, language);
    case KeyNotCryptName:
        return Said(PhraseKeyNotCryptName, language);
    case KeyOpenFailed:
        return Said(PhraseKeyOpenFailed, language);
    case KeyReadFailed:
        return Said(PhraseKeyReadFailed, language);
    case KeyNotAFile:
        return Said(PhraseKeyNotAFile, language);
    case KeyStopped:
        return Said(PhraseKeyStopped, language);
    case KeyRefutedByType:
        return Said(PhraseKeyRefuted, language);
    case KeySeveralCheck:
        return Said(PhraseKeySeveralCheck, language);
    }
    return Said(PhraseKeyOther, language, {std::to_wstring(static_cast<int32_t>(result))});
}

std::wstring OutcomeWords(CryptOutcome outcome, WordsLanguage language) {
    switch (outcome) {
    case CryptDecrypted:
        return Said(PhraseDecrypted, language);
    case CryptNotIdentified:
        return Said(PhraseNotIdentified, language);
    case CryptFailed:
        return Said(PhraseFailed, language);
    case CryptSkipped:
        return Said(PhraseSkipped, language);
    case CryptPending:
        break;
    }
    return Said(PhraseNotTried, language);
}

std::wstring OutcomeLabelWords(const CryptFileResult& result, WordsLanguage language) {
    return result.outcome == CryptDecrypted && result.alreadyDecrypted
               ? std::wstring(Said(PhraseAlreadyDecrypted, language))
               : OutcomeWords(result.outcome, language);
}

std::wstring CryptReasonWords(const wchar_t* path, const CryptFileResult& result,
                              WordsLanguage language) {
    switch (result.reason) {
    case CryptReasonNone:
        return L"";
    case CryptReasonOtherLetters:
        return Said(PhraseOtherLetters, language);
    case CryptReasonWalkPathTooLong:
        return Said(PhraseWalkPathTooLong, language);
    case CryptReasonDecryptorPathTooLong:
        return Said(PhraseDecryptorPathTooLong, language,
                    {std::to_wstring(DecryptLongPathCapacity - 1)});
    case CryptReasonNoOutputName: {
        std::wstring bare = path;
        bare.resize(bare.size() - CryptExtensionLength);
        return Said(PhraseNoOutputName, language,
                    {std::to_wstring(DecryptLongPathCapacity - 1), Displayed(bare)});
    }
    case CryptReasonKeySearch: {
        uint32_t length = 0;
        const wchar_t* extension = TypeExtensionOfCryptName(path, &length);
        if (result.keyResult == KeyRefutedByType && extension != nullptr) {
            return Said(
                PhraseKeyRefutedType, language,
                {KeyWords(result.selector, language), L"." + std::wstring(extension, length)});
        }
        return KeySearchWords(result.keyResult, language);
    }
    case CryptReasonDecryptor:
        return DecryptorWords(result, language);
    case CryptReasonStopped:
        return Said(PhraseStopped, language);
    }
    return L"";
}

std::wstring LeftoverWords(const wchar_t* path, const CryptFileResult& result,
                           WordsLanguage language) {
    std::wstring name = LeftoverNameOf(path, result);
    return name.empty() ? name : Said(PhraseLeftover, language, {name});
}

std::wstring OutputNameOf(const wchar_t* path, const CryptFileResult& result) {
    return NameOf(path, DecryptOutputNames, result.outputCounter);
}

std::wstring LeftoverNameOf(const wchar_t* path, const CryptFileResult& result) {
    return NameOf(path, DecryptUnfinishedNames, result.leftoverCounter);
}

std::wstring BesideInput(const wchar_t* inputPath, const std::wstring& name) {
    std::wstring path = inputPath;
    size_t separator = path.rfind(L'\\');
    path.resize(separator == std::wstring::npos ? 0 : separator + 1);
    return path + name;
}

std::wstring OneDecimal(double value) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.1f", value);
    return text;
}
