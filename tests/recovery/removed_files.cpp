// Recording removals through an import hook: see tests/recovery/removed_files.h.
#include "tests/recovery/removed_files.h"

#include <windows.h>

#include "tests/support/scratch_tree.h"
#include "tests/support/import_hook.h"

namespace {

decltype(&DeleteFileW) RealDeleteFile = nullptr;
std::vector<RemovedFile> Removed;

BOOL WINAPI RecordThenDelete(LPCWSTR path) {
    RemovedFile file = {path, ""};
    ReadWhole(path, &file.contents);
    Removed.push_back(file);
    return RealDeleteFile(path);
}

} // namespace

void StartRecordingRemovals() {
    Removed.clear();
    RealDeleteFile = reinterpret_cast<decltype(&DeleteFileW)>(
        ReplaceImport("kernel32.dll", "DeleteFileW", reinterpret_cast<void*>(&RecordThenDelete)));
}

std::vector<RemovedFile> StopRecordingRemovals() {
    if (RealDeleteFile != nullptr) {
        ReplaceImport("kernel32.dll", "DeleteFileW", reinterpret_cast<void*>(RealDeleteFile));
        RealDeleteFile = nullptr;
    }
    return Removed;
}
