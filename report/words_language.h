// The two languages the programs' words come in, and how a phrase's places are filled.
// Windows-free.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>

enum WordsLanguage : int32_t {
    WordsEnglish = 0,
    WordsRussian = 1,
};

// The pattern with its places {1}, {2}... filled by values, in order; any other brace is text.
std::wstring FillPlaces(const wchar_t* pattern, std::initializer_list<std::wstring> values);
