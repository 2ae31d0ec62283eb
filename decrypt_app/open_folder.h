// Shows a decrypted file to the user: its folder in the file manager, with the file selected.
#pragma once
#include <string>

// Returns at once; the file manager opens on a thread of its own, since finding or starting its
// window can take a second.
void ShowFileInFolder(const std::wstring& longPath);
