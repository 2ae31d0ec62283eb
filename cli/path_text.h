// Paths and names as the console program prints and compares them: the engine's path forms over
// its strings.
#pragma once
#include <string>

// A long path as people write it: \\?\C:\Users as C:\Users, \\?\UNC\server\share as
// \\server\share, a drive's start directory \\?\C: as C:\.
std::wstring Displayed(const std::wstring& longPath);
// The final name of a path.
std::wstring NameOf(const std::wstring& path);
// "text", in double quotes.
std::wstring Quoted(const std::wstring& text);
// The key by which the file system tells names apart (case ignored).
std::wstring CaseKey(const std::wstring& text);
// The full path of a file the user named, as the system makes it; the path itself when it cannot.
std::wstring FullPathOf(const std::wstring& path);
