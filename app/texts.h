// Every user-visible text, once per language; RunState.RussianUi picks one.
#pragma once

extern const wchar_t WindowCaption[];
extern const wchar_t BannerTitle[];
extern const wchar_t ContinueCaptionRussian[];
extern const wchar_t ExitCaptionRussian[];
extern const wchar_t ResultFormatEnglish[];
extern const wchar_t ResultFormatRussian[];
extern const wchar_t ResultTitle[];

// The three parts of the dialog text; multi-line, every line ending in CR LF.
extern const wchar_t IntroTextEnglish[];
extern const wchar_t IntroTextRussian[];
extern const wchar_t DisclaimerTextEnglish[];
extern const wchar_t DisclaimerTextRussian[];
extern const wchar_t MakerNotice[];

// Newly allocated with new[] (release with delete[]); null when memory runs out.
wchar_t* BuildDialogText(int russian);
