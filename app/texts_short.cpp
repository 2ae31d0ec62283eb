// Short texts: captions, the banner title and the result message.
#include "app/texts.h"

const wchar_t WindowCaption[] = L"Rescindo";
const wchar_t BannerTitle[] = L"Vorpalix unlocker";
const wchar_t ContinueCaptionRussian[] = L"Продолжить";
const wchar_t ExitCaptionRussian[] = L"Выход";
const wchar_t ResultFormatEnglish[] = L"Unlocked %d file(s)";
const wchar_t ResultFormatRussian[] = L"Разблокировано %d файл(ов)";
const wchar_t ResultTitle[] = L"Done";
