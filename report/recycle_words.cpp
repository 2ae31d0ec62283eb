// The words of the clean-up in both languages: see report/recycle_words.h.
#include "report/recycle_words.h"

#include <cwchar>

#include "report/decrypt_words.h"
#include "unlock/path_text.h"

namespace {

struct Phrase {
    const wchar_t* english;
    const wchar_t* russian;
};

// By RecycleOutcome, in its order; {1} a name or a number where the phrase has one.
const Phrase OutcomePhrases[] = {
    {L"moved to the Recycle Bin", L"перемещён в корзину"},
    {L"its decrypted file did not pass its check", L"расшифрованный файл не прошёл проверку"},
    {L"its decrypted file \"{1}\" is gone or has changed since it was decrypted",
     L"расшифрованного файла «{1}» нет или он изменился после расшифровки"},
    {L"it is gone or has changed since it was decrypted",
     L"его нет или он изменился после расшифровки"},
    {L"its path is longer than the Recycle Bin takes ({1} characters)",
     L"путь длиннее, чем принимает корзина ({1} знаков)"},
    {L"its drive could not give it a second name ({1}), without which its reaching the "
     L"Recycle Bin cannot be made sure of; drives formatted as FAT have no Recycle Bin",
     L"на этом диске ему не удалось дать второе имя ({1}), а без него нельзя "
     L"убедиться, что он попал в корзину; на дисках FAT корзины нет"},
    {L"the Recycle Bin did not take it (shell error {1})",
     L"корзина его не приняла (ошибка оболочки {1})"},
    {L"the Recycle Bin would not keep it (no bin on this drive, a bin set to delete at once, "
     L"or a file too large for it), so it has its name back",
     L"корзина не сохранила бы его (на диске нет корзины, она настроена удалять сразу "
     L"или файл для неё слишком велик), поэтому ему возвращено прежнее имя"},
};

const Phrase NotCheckable = {L"its decrypted file's type has no check of its own",
                             L"у типа расшифрованного файла нет собственной проверки"};
const Phrase SecondNameLeft = {L"; a second name of it is left: \"{1}\"",
                               L"; осталось второе имя этого файла: «{1}»"};
const Phrase Recycled = {L"recycled", L"в корзине"};
const Phrase Kept = {L"kept", L"оставлен"};

const wchar_t* Said(const Phrase& phrase, WordsLanguage language) {
    return language == WordsRussian ? phrase.russian : phrase.english;
}

} // namespace

std::wstring RecycleOutcomeWord(RecycleOutcome outcome, WordsLanguage language) {
    return Said(outcome == RecycleMoved ? Recycled : Kept, language);
}

std::wstring RecycleWords(const wchar_t* path, const CryptFileResult& result,
                          const RecycleResult& recycled, WordsLanguage language) {
    std::wstring value;
    switch (recycled.outcome) {
    case RecycleOutputChanged:
        value = OutputNameOf(path, result);
        break;
    case RecyclePathTooLong:
        value = L"259";
        break;
    case RecycleNoSecondName:
        value = ErrorWords(recycled.systemError, language);
        break;
    case RecycleRefused: {
        wchar_t hex[16];
        std::swprintf(hex, 16, L"0x%X", static_cast<unsigned>(recycled.systemError));
        value = hex;
        break;
    }
    default:
        break;
    }
    size_t place = static_cast<size_t>(recycled.outcome);
    std::wstring words = place < sizeof OutcomePhrases / sizeof OutcomePhrases[0]
                             ? FillPlaces(Said(OutcomePhrases[place], language), {value})
                             : std::wstring();
    if (recycled.outcome == RecycleNotOffered && result.check.verdict == CheckNotCheckable) {
        words = Said(NotCheckable, language);
    }
    if (!recycled.secondName.empty()) {
        words +=
            FillPlaces(Said(SecondNameLeft, language), {FinalNameOf(recycled.secondName.c_str())});
    }
    return words;
}
