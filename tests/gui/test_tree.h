// Files and folders on the test drives, reached through long paths so that trailing spaces in
// damaged names stay as they are.
#pragma once
#include <string>

// path is a plain drive path such as L"D:\\Work a-1 ".
bool MakeFolder(const std::wstring& path);
// The file holds its own name, so a lost or swapped file shows in its content.
bool MakeFile(const std::wstring& path);
bool Exists(const std::wstring& path);
std::wstring ReadContent(const std::wstring& path);
