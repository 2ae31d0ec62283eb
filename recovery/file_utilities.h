// Command-line copy, the common file dialogs and the file-API code page conversion.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <cstdint>

wchar_t* CopyCommandLine(int32_t* count);
void FillOpenFileName(OPENFILENAMEW* record, const wchar_t* initialDirectory, const wchar_t* filter,
                      uint32_t capacity, wchar_t* fileName);
int32_t ChooseOpenFile(const wchar_t* initialDirectory, const wchar_t* filter, uint32_t capacity,
                       wchar_t* fileName);
int32_t ChooseSaveFile(const wchar_t* initialDirectory, const wchar_t* filter, uint32_t capacity,
                       wchar_t* fileName);
int ToFileApiNarrow(const wchar_t* source, int sourceLength, char* destination,
                    int destinationSize);
