// The recording walk report of the tests.
#include "unlock/name_rule.h"
#include "tests/unlock/walk_record.h"
#include "app/unlock_run.h"
#include "unlock/path_text.h"

WalkRecord Walked;

namespace {
void EnteredDirectory(const wchar_t* directory) {
    Walked.entered.push_back(ShownPath(directory));
}

void MetFile(uint32_t, uint32_t) {
    Walked.files += 1;
}

void MetMatch(const wchar_t* entryPath) {
    Walked.matches.push_back(ShownPath(entryPath));
    RestoreName(entryPath);
}

void MetTooLong(const wchar_t*, const wchar_t* name, int) {
    Walked.tooLong.push_back(name);
}

const WalkReport RecordingReport = {EnteredDirectory, MetFile, MetMatch,
                                    MetTooLong,       nullptr, nullptr};
} // namespace

void WalkRecorded(const std::wstring& directory) {
    Walked = WalkRecord();
    ForgetLinkTargets();
    WalkTree(directory.c_str(), SuffixPattern, &RecordingReport);
}
