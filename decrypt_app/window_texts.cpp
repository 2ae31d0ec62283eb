// The decrypt window's texts. Russian counts follow a colon ("Файлов в списке: 5"), which reads
// right for every number without plural forms.
#include "decrypt_app/window_texts.h"

#include "report/decrypt_words.h"

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
    {TextSearchDrives, L"Searc&h all drives", L"Искать на всех &дисках"},
    {TextRemove, L"&Remove", L"&Убрать"},
    {TextNotSearched, L"&Not searched…", L"&Не просмотрены…"},
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
    {TextRecycle, L"Move to Re&cycle Bin…", L"В кор&зину…"},
    {TextExit, L"E&xit", L"В&ыход"},

    {TextColumnName, L"Name", L"Имя"},
    {TextColumnFolder, L"Folder", L"Папка"},
    {TextColumnSize, L"Size", L"Размер"},
    {TextColumnKey, L"Key", L"Ключ"},
    {TextColumnResult, L"Result", L"Результат"},
    {TextColumnCheck, L"Check", L"Проверка"},

    {TextSizeBytes, L"{1} B", L"{1} Б"},
    {TextSizeKilobytes, L"{1} KB", L"{1} КБ"},
    {TextSizeMegabytes, L"{1} MB", L"{1} МБ"},
    {TextSizeGigabytes, L"{1} GB", L"{1} ГБ"},

    {TextResultStopped, L"stopped: not decrypted", L"остановлено: не расшифрован"},
    {TextResultDecrypting, L"decrypting…", L"расшифровывается…"},

    {TextStatusStart,
     L"Add .crypt files or a folder, or drop them here; choose the key; press Decrypt.",
     L"Добавьте файлы .crypt или папку либо перетащите их сюда; выберите ключ; нажмите "
     L"«Расшифровать»."},
    {TextStatusSearching, L"Searched {1} folders, found {2} .crypt files: {3}",
     L"Просмотрено папок: {1}, найдено файлов .crypt: {2}: {3}"},
    {TextStatusAdded, L"Added: {1}. Files in the list: {2}.",
     L"Добавлено: {1}. Файлов в списке: {2}."},
    {TextStatusNothingAdded, L"Already in the list. Files in the list: {1}.",
     L"Уже в списке. Файлов в списке: {1}."},
    {TextStatusNoCryptFile, L"No .crypt file in {1}.", L"В папке {1} нет файлов .crypt."},
    {TextStatusNotCryptFile, L"Not a .crypt file: {1}.", L"Это не файл .crypt: {1}."},
    {TextStatusPathRefused, L"Cannot use {1}.", L"Не удаётся открыть {1}."},
    {TextStatusPathMissing, L"Not found: {1}.", L"Не найдено: {1}."},
    {TextStatusFoldersNotSearched,
     L" Folders not searched: {1} (\u201cNot searched\u201d lists them).",
     L" Не просмотрено папок: {1} (их список — по кнопке «Не просмотрены»)."},
    {TextNotSearchedTitle, L"Folders not searched", L"Непросмотренные папки"},
    {TextNotSearchedTooLong, L"{1}: its path is too long to search",
     L"{1}: путь слишком длинный для поиска"},
    {TextNotSearchedMore, L"\u2026 and {1} more.", L"\u2026 и ещё {1}."},
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
    {TextStatusRecycling, L"Moving to the Recycle Bin: {1} of {2}",
     L"Перемещение в корзину: {1} из {2}"},
    {TextStatusRecycled, L"Moved to the Recycle Bin: {1} .crypt files; kept: {2}.",
     L"Перемещено в корзину файлов .crypt: {1}; оставлено: {2}."},
    {TextResultRecycled, L"{1}; its .crypt file: {2}", L"{1}; его файл .crypt: {2}"},

    {TextPairMissing, L"Choose both files of the pair: the original and its .crypt file.",
     L"Выберите оба файла пары: оригинал и его файл .crypt."},
    {TextPairNoKey, L"No key turns {1} into {2}: {3}.\r\n\r\nNothing was decrypted.",
     L"Ни один ключ не превращает {1} в {2}: {3}.\r\n\r\nНичего не расшифровано."},
    {TextPasswordEmpty, L"Type the password first.", L"Сначала введите пароль."},
    {TextPasswordTooLong,
     L"The password has {1} characters; at most {2} of them fit (the key is made from 31 bytes, "
     L"as Windows' file functions write the password, and some letters take two). Type a "
     L"shorter password.",
     L"В пароле знаков: {1}; помещается не больше {2} (ключ делается из 31 байта пароля в "
     L"записи файловых функций Windows, а некоторые буквы занимают два байта). Введите пароль "
     L"короче."},
    {TextPasswordNotConvertible,
     L"The password holds characters that the code page of Windows' file functions cannot "
     L"write, so no key can be made from it.",
     L"В пароле есть знаки, которых нет в кодовой странице файловых функций Windows, поэтому "
     L"ключ из него получить нельзя."},
    {TextPasswordNotHeld,
     L"The password holds characters that code page {1}, which Windows' file functions use "
     L"here, cannot hold: \u201c{2}\u201d. A key made from it would not be this password's, so "
     L"nothing was tried.",
     L"В пароле есть знаки, которых нет в кодовой странице {1}, используемой здесь файловыми "
     L"функциями Windows: «{2}». Ключ из такого пароля не был бы ключом этого пароля, поэтому "
     L"ничего не расшифровывалось."},
    {TextPasswordHoldsNul, L"The password holds a NUL character, which no password can contain.",
     L"В пароле есть нулевой знак, которого не может быть ни в одном пароле."},
    {TextReportNotWritten, L"The report could not be written to {1} ({2}).",
     L"Не удалось записать отчёт в {1} ({2})."},
    {TextRecycleConfirm,
     L"Move the {1} .crypt files whose decrypted files passed their checks to the Recycle "
     L"Bin?\r\n\r\nYou can restore them from there. A file whose decrypted file has changed "
     L"since, or was not checked, stays where it is; nothing is deleted.",
     L"Переместить в корзину файлы .crypt ({1}), расшифрованные файлы которых прошли "
     L"проверку?\r\n\r\nИх можно будет восстановить из корзины. Файл, расшифровка которого "
     L"изменилась или не проверялась, останется на месте; ничего не удаляется."},
    {TextRecycleKept, L"These .crypt files were kept where they are:",
     L"Эти файлы .crypt оставлены на месте:"},

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

std::wstring Format(TextId id, std::initializer_list<std::wstring> values) {
    return FillPlaces(Text(id), values);
}
