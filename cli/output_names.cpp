// The decryptor's candidates for its output name, before and after.
#include "cli/output_names.h"
#include <windows.h>
#include <algorithm>

namespace {

// The decryptor takes the name of a file or of a folder as taken.
bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

std::wstring OutputCandidate(const std::wstring& base, int32_t candidate) {
    return candidate < 0 ? base : base + L"(" + std::to_wstring(candidate) + L")";
}

void WatchOutputNames(const std::wstring& cryptPath, OutputNameWatch* watch) {
    watch->base = cryptPath.substr(0, cryptPath.size() - 6);
    watch->held.clear();
    int32_t candidate = -1;
    while (Exists(OutputCandidate(watch->base, candidate))) {
        ++candidate;
    }
    watch->firstFree = candidate;
    // The decryptor may find the first free name taken by the time it creates its file, and
    // then goes on along the row: what is in that row now must not pass for its output later.
    while (Exists(OutputCandidate(watch->base, ++candidate))) {
        watch->held.push_back(candidate);
    }
}

std::wstring FindOutputName(const OutputNameWatch& watch) {
    // The output is in the row from the first free name on: every name the decryptor passed
    // over was taken when it looked. The row ends at the first name no entry holds.
    std::wstring found;
    for (int32_t candidate = watch.firstFree;; ++candidate) {
        std::wstring name = OutputCandidate(watch.base, candidate);
        if (!Exists(name)) {
            return found;
        }
        if (std::find(watch.held.begin(), watch.held.end(), candidate) != watch.held.end()) {
            continue;
        }
        if (!found.empty()) {
            return L""; // two new names: which one is the output cannot be told
        }
        found = name;
    }
}
