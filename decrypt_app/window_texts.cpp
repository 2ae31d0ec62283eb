// The decrypt window's texts. Russian counts follow a colon ("Файлов в списке: 5"), which reads
// right for every number without plural forms.
#include "decrypt_app/window_texts.h"

WindowLanguageRecord WindowLanguage = {0};

const WindowTextRow WindowTexts[TextCount] = {
    {TextCaption, L"Rescindo: decrypt .crypt files", L"Rescindo: расшифровка файлов .crypt"},
    {TextWarning,
     L"Keep every .crypt file until you have opened its decrypted file and checked it: a file "
     L"decrypted with the wrong key looks like any other until it is opened, and only the "
     L".crypt file lets you try again.",
     L"Сохраните каждый файл .crypt, пока не откроете и не проверите расшифрованный файл: файл, "
     L"расшифрованный не тем ключом, выглядит как любой другой, пока его не откроешь, и только "
     L"файл .crypt позволит попробовать снова."},
    {TextFilesLabel, L"F&iles to decrypt (add them, or drop files and folders onto the window):",
     L"Фай&лы для расшифровки (добавьте их или перетащите в окно файлы и папки):"},
    {TextAddFiles, L"Add &files…", L"Добавить &файлы…"},
    {TextAddFolder, L"Add f&older…", L"Добавить пап&ку…"},
    {TextRemove, L"&Remove", L"&Убрать"},
    {TextKeyGroup, L"The key", L"Ключ"},
    {TextKeyAuto, L"&Automatic: each file's key from its type (report.pdf.crypt must become a PDF)",
     L"&Автоматически: ключ каждого файла по его типу (report.pdf.crypt должен стать PDF)"},
    {TextKeyBuiltIn, L"&Built-in key:", L"&Встроенный ключ:"},
    {TextKeyPair, L"Known &pair:", L"Известная па&ра:"},
    {TextPairOriginal, L"Original:", L"Оригинал:"},
    {TextPairEncrypted, L"Its .crypt:", L"Его .crypt:"},
    {TextChoose, L"Choose…", L"Выбрать…"},
    {TextKeyPassword, L"Pass&word:", L"&Пароль:"},
    {TextPasswordHint, L"also tried by Automatic and Known pair",
     L"пробуется и в автоматическом, и с парой"},
    {TextDecrypt, L"&Decrypt", L"Рас&шифровать"},
    {TextStop, L"&Stop", L"&Остановить"},
    {TextSaveReport, L"Save r&eport…", L"Сохранить о&тчёт…"},
    {TextExit, L"E&xit", L"В&ыход"},

    {TextColumnName, L"Name", L"Имя"},
    {TextColumnFolder, L"Folder", L"Папка"},
    {TextColumnSize, L"Size", L"Размер"},
    {TextColumnKey, L"Key", L"Ключ"},
    {TextColumnResult, L"Result", L"Результат"},

    {TextSizeBytes, L"{1} B", L"{1} Б"},
    {TextSizeKilobytes, L"{1} KB", L"{1} КБ"},
    {TextSizeMegabytes, L"{1} MB", L"{1} МБ"},
    {TextSizeGigabytes, L"{1} GB", L"{1} ГБ"},

    {TextKeyNumber, L"key {1}", L"ключ {1}"},
    {TextKeyOfPassword, L"password", L"пароль"},

    {TextResultDecryptedTo, L"decrypted → {1}", L"расшифрован → {1}"},
    {TextResultDecrypted, L"decrypted; look for its output beside it",
     L"расшифрован; результат ищите рядом с ним"},
    {TextResultNotIdentified, L"not identified: {1}", L"ключ не определён: {1}"},
    {TextResultFailed, L"failed: {1}", L"ошибка: {1}"},
    {TextResultSkipped, L"skipped: {1}", L"пропущен: {1}"},
    {TextResultStopped, L"stopped: not decrypted", L"остановлено: не расшифрован"},
    {TextResultDecrypting, L"decrypting…", L"расшифровывается…"},

    {TextReasonOtherLetters,
     L"the decryptor takes only names ending in \".crypt\" in small letters",
     L"расшифровываются только имена, оканчивающиеся на «.crypt» строчными буквами"},
    {TextReasonWalkPathTooLong, L"its path is longer than the search can handle",
     L"его путь длиннее, чем может обработать поиск"},
    {TextReasonDecryptorPathTooLong,
     L"its path is too long for the decryptor (at most 259 characters)",
     L"его путь слишком длинный для расшифровки (не более 259 знаков)"},
    {TextReasonNoOutputName, L"no free name for the output fits the decryptor",
     L"для результата нет свободного имени подходящей длины"},

    {TextKeyNoSignature, L"no known signature for this file type",
     L"у этого типа файлов нет известной сигнатуры"},
    {TextKeyNoneFits, L"no key fits", L"ни один ключ не подходит"},
    {TextKeySeveralFit, L"several keys fit ({1})", L"подходят несколько ключей ({1})"},
    {TextKeyTooShort, L"the file is too short to tell the keys apart",
     L"файл слишком короткий, чтобы различить ключи"},
    {TextKeySizesDiffer, L"the two files differ in size", L"размеры двух файлов различаются"},
    {TextKeyWholeFileDiffers, L"one key fits the start, but not the whole file",
     L"один ключ подходит к началу, но не ко всему файлу"},
    {TextKeyNotCryptName, L"the name does not end in \".crypt\"",
     L"имя не оканчивается на «.crypt»"},
    {TextKeyOpenFailed, L"the file cannot be opened", L"файл не открывается"},
    {TextKeyReadFailed, L"reading the file failed", L"файл не читается"},
    {TextKeyNotAFile, L"not a file", L"это не файл"},

    {TextDecryptOpenFailed, L"the file cannot be opened", L"файл не открывается"},
    {TextDecryptCreateFailed, L"the output file cannot be created",
     L"не удаётся создать файл результата"},
    {TextDecryptReadFailed, L"reading the file failed part way", L"чтение файла прервалось"},
    {TextDecryptWriteFailed, L"writing the output failed part way (is the disk full?)",
     L"запись результата прервалась (диск заполнен?)"},
    {TextDecryptNoKey, L"no key was chosen", L"ключ не выбран"},
    {TextDecryptNotCryptFile, L"the name does not end in \".crypt\"",
     L"имя не оканчивается на «.crypt»"},
    {TextDecryptOtherResult, L"the decryptor gave result {1}", L"расшифровка вернула код {1}"},
    {TextSystemError, L"error {1}", L"ошибка {1}"},
    {TextLeftBehind, L"; what was written is left in {1}", L"; записанное осталось в {1}"},
    {TextLeftoverFound, L"; an unfinished {1} of an earlier run lies beside it, left as it is",
     L"; рядом лежит незаконченный {1} от прошлого запуска, он оставлен как есть"},

    {TextStatusStart,
     L"Add .crypt files or a folder, or drop them here; choose the key; press Decrypt.",
     L"Добавьте файлы .crypt или папку либо перетащите их сюда; выберите ключ; нажмите "
     L"«Расшифровать»."},
    {TextStatusSearching, L"Searching {1}", L"Поиск: {1}"},
    {TextStatusAdded, L"Added: {1}. Files in the list: {2}.",
     L"Добавлено: {1}. Файлов в списке: {2}."},
    {TextStatusNothingAdded, L"Already in the list. Files in the list: {1}.",
     L"Уже в списке. Файлов в списке: {1}."},
    {TextStatusNoCryptFile, L"No .crypt file in {1}.", L"В папке {1} нет файлов .crypt."},
    {TextStatusNotCryptFile, L"Not a .crypt file: {1}.", L"Это не файл .crypt: {1}."},
    {TextStatusPathRefused, L"Cannot use {1}.", L"Не удаётся открыть {1}."},
    {TextStatusPathMissing, L"Not found: {1}.", L"Не найдено: {1}."},
    {TextStatusFoldersNotSearched, L" Folders not searched, their paths too long: {1}.",
     L" Не просмотрено папок со слишком длинным путём: {1}."},
    {TextStatusBusy, L"Files can be added when the run has ended.",
     L"Файлы можно добавить, когда работа закончится."},
    {TextStatusRemoved, L"Removed from the list: {1} (the files themselves are untouched).",
     L"Убрано из списка: {1} (сами файлы не тронуты)."},
    {TextStatusFindingPairKey, L"Finding the key of the pair…", L"Поиск ключа пары…"},
    {TextStatusDecrypting, L"Decrypting {1}: file {2} of {3}, {4} MB/s",
     L"Расшифровка {1}: файл {2} из {3}, {4} МБ/с"},
    {TextStatusStopping, L"Stopping…", L"Остановка…"},
    {TextStatusDone, L"Decrypted {1} of {2} files.", L"Расшифровано файлов: {1} из {2}."},
    {TextStatusDoneWithLeft,
     L"Decrypted {1} of {2} files; not identified {3}, failed {4}, skipped {5}.",
     L"Расшифровано файлов: {1} из {2}; ключ не определён: {3}, ошибок: {4}, пропущено: {5}."},
    {TextStatusStopped, L"Stopped: decrypted {1} of {2} files, {3} not tried.",
     L"Остановлено. Расшифровано файлов: {1} из {2}, не обработано: {3}."},
    {TextStatusAllDecryptedAlready,
     L"Every file in the list is decrypted already. To decrypt one again, remove it and add it "
     L"again.",
     L"Все файлы списка уже расшифрованы. Чтобы расшифровать файл снова, уберите его и добавьте "
     L"заново."},
    {TextStatusReportSaved, L"Report saved: {1}", L"Отчёт сохранён: {1}"},
    {TextStatusNoPairKey, L"No key fits the pair: nothing was decrypted.",
     L"К паре не подходит ни один ключ: ничего не расшифровано."},

    {TextPairMissing, L"Choose both files of the pair: the original and its .crypt file.",
     L"Выберите оба файла пары: оригинал и его файл .crypt."},
    {TextPairNoKey, L"No key turns {1} into {2}: {3}.\r\n\r\nNothing was decrypted.",
     L"Ни один ключ не превращает {1} в {2}: {3}.\r\n\r\nНичего не расшифровано."},
    {TextPasswordEmpty, L"Type the password first.", L"Сначала введите пароль."},
    {TextPasswordTooLong, L"The password is {1} bytes long; a password has at most 31.",
     L"Длина пароля в байтах: {1}; пароль может быть не длиннее 31 байта."},
    {TextPasswordNotConvertible,
     L"The password holds characters that the code page of Windows' file functions cannot "
     L"write, so no key can be made from it.",
     L"В пароле есть знаки, которых нет в кодовой странице файловых функций Windows, поэтому "
     L"ключ из него получить нельзя."},
    {TextPasswordHoldsNul, L"The password holds a NUL character, which no password can contain.",
     L"В пароле есть нулевой знак, которого не может быть ни в одном пароле."},
    {TextReportNotWritten, L"The report could not be written to {1} ({2}).",
     L"Не удалось записать отчёт в {1} ({2})."},

    {TextAddFilesTitle, L"Add .crypt files", L"Добавить файлы .crypt"},
    {TextAddFolderTitle, L"Add a folder: its .crypt files and those of its subfolders",
     L"Добавить папку: файлы .crypt в ней и во вложенных папках"},
    {TextOriginalTitle, L"The original: the file as it was before it was encrypted",
     L"Оригинал: файл, каким он был до шифрования"},
    {TextEncryptedTitle, L"The same file encrypted (.crypt)",
     L"Тот же файл в зашифрованном виде (.crypt)"},
    {TextSaveReportTitle, L"Save the report", L"Сохранить отчёт"},
    {TextFilterCrypt, L"Encrypted files (*.crypt)", L"Зашифрованные файлы (*.crypt)"},
    {TextFilterAll, L"All files", L"Все файлы"},
    {TextFilterReport, L"JSON lines (*.jsonl)", L"Строки JSON (*.jsonl)"},
    {TextReportFileName, L"decrypt-report.jsonl", L"decrypt-report.jsonl"},
};

const wchar_t* Text(TextId id) {
    const WindowTextRow& row = WindowTexts[id];
    return WindowLanguage.russian == 1 ? row.russian : row.english;
}

std::wstring FillPlaces(const wchar_t* pattern, std::initializer_list<std::wstring> values) {
    std::wstring out;
    for (const wchar_t* c = pattern; *c != L'\0'; ++c) {
        // {1} .. {9}; any other brace is text.
        if (c[0] == L'{' && c[1] >= L'1' && c[1] <= L'9' && c[2] == L'}') {
            size_t index = static_cast<size_t>(c[1] - L'1');
            if (index < values.size()) {
                out += values.begin()[index];
            }
            c += 2;
            continue;
        }
        out += *c;
    }
    return out;
}

std::wstring Format(TextId id, std::initializer_list<std::wstring> values) {
    return FillPlaces(Text(id), values);
}
