// The long text of the dialog's read-only edit control: introduction, disclaimer and the maker's
// notice, joined into one buffer. Lines end in CR LF because the multi-line edit control breaks
// lines only there.
#include "app/texts.h"

#include <windows.h>
#include <new>

const wchar_t IntroTextEnglish[] =
    L"Free utility to recover files crypted by Vorpalix and its modifications\r\n\r\n";
const wchar_t IntroTextRussian[] =
    L"Бесплатная утилита для восстановления файлов после Vorpalix и его модификаций. \r\n\r\n";

// Justified by hand with runs of spaces; the first line of each paragraph is indented by four.
// One source line per text line, however long.
// clang-format off
const wchar_t DisclaimerTextEnglish[] =
    L"    By pressing the <Continue> button,  you agree  that this  SOFTWARE is supplied on\r\n"
    L"an <AS IS> basis  and  in  no event  shall  Brennick  be  liable  for  possible damage\r\n"
    L"arising  out  of  the  use  of  or  inability to use the SOFTWARE. The person who legally\r\n"
    L"uses the SOFTWARE bears the entire risk of any negative consequences, direct or indirect,\r\n"
    L"that may be caused by the incompatibility of the SOFTWARE with, or by its conflicts with,\r\n"
    L"any  other  software installed on that person's  personal  computers  (PCs) or servers.\r\n"
    L"    The SOFTWARE is not designed or licensed for use in information systems operating in\r\n"
    L"hazardous environments or in life-support equipment, where a failure of the SOFTWARE could\r\n"
    L"threaten people's lives or cause gross financial damage.\r\n"
    L"\r\n";
const wchar_t DisclaimerTextRussian[] =
    L"    Нажимая <Продолжить> Вы соглашаетесь с тем, что данное ПО поставляется\r\n"
    L"<как есть>,  и  Бренник  не   несет  ответственности  за  возможный  ущерб,\r\n"
    L"нанесенный Вам  в результате использования или невозможности использования\r\n"
    L"данного ПО.  Лицо, правомерно использующее данное ПО, принимает на себя весь\r\n"
    L"риск  любых негативных последствий, прямых или косвенных, которые могут быть\r\n"
    L"вызваны  несовместимостью данного  ПО  с  другим  программным  обеспечением,\r\n"
    L"установленным  на  персональных  компьютерах  или  серверах этого лица, либо\r\n"
    L"конфликтами данного ПО с таким программным обеспечением.\r\n"
    L"    Данное  ПО  не  разработано  и  не  лицензировано  для  использования  в\r\n"
    L"информационных системах, работающих в опасных средах, а также в оборудовании\r\n"
    L"жизнеобеспечения,  где сбой данного ПО может создать угрозу жизни  людей или\r\n"
    L"повлечь за собой крупный материальный ущерб.\r\n"
    L"\r\n";
// clang-format on

// The same in both languages.
const wchar_t MakerNotice[] = L"Copyright (C) 2026 Brennick. All rights reserved.\r\n"
                              L"https://www.brennick.example/rescindo/\r\n";

wchar_t* BuildDialogText(int russian) {
    const wchar_t* intro = russian ? IntroTextRussian : IntroTextEnglish;
    const wchar_t* disclaimer = russian ? DisclaimerTextRussian : DisclaimerTextEnglish;
    // Three spare characters: room for the terminating NUL with some to spare.
    int length = lstrlenW(intro) + lstrlenW(disclaimer) + lstrlenW(MakerNotice) + 3;
    wchar_t* text = new (std::nothrow) wchar_t[length];
    if (text == nullptr) {
        return nullptr;
    }
    lstrcpyW(text, intro);
    lstrcatW(text, disclaimer);
    lstrcatW(text, MakerNotice);
    return text;
}
