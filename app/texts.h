// Every user-visible text, once per language; RunState.RussianUi picks one.
#pragma once

extern const wchar_t WindowCaption[];
extern const wchar_t BannerTitle[];
extern const wchar_t ContinueCaptionRussian[];
extern const wchar_t ExitCaptionRussian[];
extern const wchar_t ResultFormatEnglish[];
extern const wchar_t ResultFormatRussian[];
extern const wchar_t ResultTitle[];

int IsRussianUi();
// Newly allocated with new[] (release with delete[]); null when memory runs out.
wchar_t* BuildDialogText(int russian);
