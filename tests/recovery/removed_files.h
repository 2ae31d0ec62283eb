// What the code under test deletes, kept with its contents at that moment: the decryptor removes
// an unfinished output, and the test still sees what had been written into it.
#pragma once
#include <string>
#include <vector>

struct RemovedFile {
    std::wstring path;
    std::string contents;
};

// Hooks DeleteFileW of this executable until StopRecordingRemovals, which returns every file
// deleted meanwhile, in order.
void StartRecordingRemovals();
std::vector<RemovedFile> StopRecordingRemovals();
